#!/usr/bin/perl
# Generates Shift_JIS HTML pages of one shape, about BYTES long, for the
# html2text benchmark and the renderer's reference test.
#   perl bench/pages.pl SHAPE BYTES [SEED]
# Shapes: mix (the usual page: meta charset, a style block, centred headings,
# long paragraphs with inline font and link tags, mixed kanji/kana/ASCII),
# tags (tag-heavy), text (text-heavy), table (table-heavy), entity
# (entity-heavy), page (a mix of all of them: headings, paragraphs with inline
# font and link tags, tables, entities, and kanji that only code page 932
# has: NEC specials and IBM extensions).
use strict;
use warnings;

my ($shape, $bytes, $seed) = @ARGV;
die "usage: pages.pl mix|tags|text|table|entity|page BYTES [SEED]\n"
  unless defined $bytes && $shape =~ /^(mix|tags|text|table|entity|page)$/;
srand(defined $seed ? $seed : 1);
binmode STDOUT;

# Shift_JIS words: kanji from rows 0x88-0x9F, hiragana, katakana, ASCII.
my @kanji = map { my $l = $_; map { chr($l) . chr($_) } (0x40 .. 0x7E, 0x80 .. 0xFC) } 0x89 .. 0x97;
my @hira = map { "\x82" . chr($_) } 0x9F .. 0xF1;
my @kata = map { "\x83" . chr($_) } (0x40 .. 0x7E, 0x80 .. 0x96);
my @ascii = qw(Palm HotSync install backup OS5 PalmPilot Visor CLIE prc pdb Kestrel Memo
  version update freeware shareware 2024 Graffiti handheld);
# Only in code page 932: circled numbers and other NEC specials, NEC-selected
# and IBM extension kanji.
my @cp932 = ((map { "\x87" . chr($_) } 0x40 .. 0x75),
             (map { "\xED" . chr($_) } 0x40 .. 0x7E), (map { "\xFA" . chr($_) } 0x5C .. 0x7E));
sub pick { $_[rand @_] }
sub word {
  my $p = rand();
  return join('', map { pick(@kanji) } 1 .. 1 + int(rand(3))) if $p < 0.4;
  return join('', map { pick(@hira) } 1 .. 1 + int(rand(5))) if $p < 0.7;
  return join('', map { pick(@kata) } 1 .. 2 + int(rand(4))) if $p < 0.82;
  return ' ' . pick(@ascii) . ' ';
}
sub words { join('', map { word() } 1 .. $_[0]) }
my @colors = ('#FF0000', '#0000FF', '#008000', 'red', 'navy', '#336699');

sub paragraph_mix {
  my $s = '<p>';
  for (1 .. 4 + int(rand(6))) {
    $s .= words(8 + int(rand(20)));
    my $p = rand();
    if ($p < 0.35) {
      $s .= sprintf('<font color="%s" size=%d>%s</font>', pick(@colors), 1 + int(rand(5)), words(3));
    } elsif ($p < 0.6) {
      $s .= sprintf('<a href="http://www.example.co.jp/palm/soft%04d.html">%s</a>', int(rand(10000)), words(2));
    } elsif ($p < 0.7) {
      $s .= '<b>' . words(2) . '</b>';
    } elsif ($p < 0.8) {
      $s .= "<br>\r\n";
    }
    $s .= "\r\n" if rand() < 0.5;
  }
  return $s . "</p>\r\n";
}

sub head {
  my $h = "<html>\r\n<head>\r\n"
    . qq(<meta http-equiv="Content-Type" content="text/html; charset=Shift_JIS">\r\n)
    . '<title>' . words(4) . "</title>\r\n";
  $h .= qq(<style type="text/css">\r\n<!--\r\nbody { background: #FFFFFF; color: #000000 }\r\n)
      . "h1, h2 { text-align: center }\r\np { margin: 0.5em }\r\n-->\r\n</style>\r\n"
    if $shape ne 'text';
  return $h . qq(</head>\r\n<body bgcolor="#FFFFFF" text="#000000">\r\n);
}

my $out = head();
my $n = 0;
while (length($out) < $bytes) {
  ++$n;
  if ($shape eq 'mix') {
    $out .= sprintf(qq(<h2 align="center">%s</h2>\r\n), words(3)) if $n % 4 == 1;
    $out .= paragraph_mix();
    $out .= "<hr>\r\n" if $n % 16 == 0;
  } elsif ($shape eq 'tags') {
    # Short words between many small tags with attributes.
    $out .= sprintf('<div class="c%d"><span id=s%d><font face="MS UI Gothic" size=2 color=%s>',
                    $n % 7, $n, pick(@colors))
      . word() . '</font></span>'
      . sprintf('<a href="soft%d.html" target=_blank><img src="img/i%d.gif" width=16 height=16 border=0></a>', $n, $n % 50)
      . '<b><i>' . word() . "</i></b></div>\r\n";
    $out .= "<ul><li>" . word() . "<li>" . word() . "</ul>\r\n" if $n % 5 == 0;
  } elsif ($shape eq 'text') {
    # Long paragraphs, hardly any markup.
    my $line = '';
    $line .= words(30 + int(rand(30))) . "\r\n" for 1 .. 8;
    $out .= "<p>\r\n" . $line;
    $out .= sprintf("<h3>%s</h3>\r\n", words(3)) if $n % 10 == 0;
  } elsif ($shape eq 'table') {
    $out .= qq(<table border=1 cellpadding=2 cellspacing=0 width="100%">\r\n) if $n % 20 == 1;
    $out .= sprintf(qq(<tr><td nowrap align=right>%d</td><td><a href="soft%d.lzh">%s</a></td><td align=center>%s</td><td>%s</td></tr>\r\n),
                    $n, $n, word() . ' ' . pick(@ascii), pick(@ascii), words(4));
    $out .= "</table>\r\n" if $n % 20 == 0;
  } elsif ($shape eq 'page') {
    $out .= sprintf(qq(<h2 align="center">%s%s</h2>\r\n), words(2), pick(@cp932)) if $n % 4 == 1;
    my $p = paragraph_mix();
    $p =~ s/<\/p>/pick(@cp932) . words(3) . '&nbsp;&amp;&quot;' . pick(@cp932) . '&copy;<\/p>'/e;
    $out .= $p;
    if ($n % 6 == 0) {
      $out .= qq(<table border=1 cellpadding=2>\r\n);
      $out .= sprintf(qq(<tr><td nowrap>%d</td><td><a href="soft%d.lzh">%s</a></td><td>%s&lt;%s&gt;</td></tr>\r\n),
                      $n + $_, $n, words(2) . pick(@cp932), pick(@ascii), words(3)) for 1 .. 5;
      $out .= "</table>\r\n";
    }
    $out .= "<hr>\r\n" if $n % 16 == 0;
  } else {
    # Entities everywhere, known ones and others.
    my @ent = ('&nbsp;', '&lt;', '&gt;', '&amp;', '&quot;', '&copy;', '&reg;', '&eacute;', '&#12354;',
               '&amp;lt;', '&nbsp;&nbsp;');
    my $s = '<p>';
    $s .= words(2) . pick(@ent) . (rand() < 0.3 ? ' ' . pick(@ascii) . pick(@ent) : '') for 1 .. 20;
    $out .= $s . "</p>\r\n";
  }
}
$out .= "</table>\r\n" if $shape eq 'table';
$out .= "</body>\r\n</html>\r\n";
print $out;
