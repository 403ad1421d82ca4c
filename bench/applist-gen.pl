#!/usr/bin/perl
# applist-gen.pl N: N AppList lines as a catalogue on the web has them, in
# UTF-8 (convert with iconv -t CP932): file name, type, description (some
# quoted, some Japanese), address, one of 20 categories, date; in random
# order, with a few names differing only in letter case.
use strict;
use warnings;
use utf8;
binmode(STDOUT, ':encoding(UTF-8)');
my $n = shift // 50000;
srand(20001);
my @cats = qw(ゲーム ユーティリティ 辞書 スケジュール ドキュメント 通信 日本語化 標準
              Games Utility Reference Finance Graphics Hacks Music Sports Travel Medical
              Education Database);
my @words = qw(高機能 シンプルな 無料の 日本語対応 スケジューラ 電卓 時計 辞書 ビューア
               パズル 麻雀 将棋 メモ 家計簿 地図 フォント ランチャー 表計算 通信 端末
               fast small free viewer editor game clock calc launcher hack);
my @types = qw(appl DATA Dict TEXt Font HACK libr);
my @ext = qw(prc prc prc pdb pdb pnc);
for my $i (1 .. $n) {
  my $name = sprintf("%s%05d.%s", (qw(Palm Pocket Mini Super Easy Kanji Hand Quick))[$i % 8],
                     int(rand(100000)), $ext[$i % @ext]);
  $name = lc $name if $i % 97 == 0;
  my $desc = join('', map { $words[rand @words] } 1 .. 1 + int(rand(4)));
  $desc = "\"$desc ver." . (1 + int(rand(9))) . "\"" if $i % 3 == 0;
  my $date = sprintf("%04d/%02d/%02d", 1998 + int(rand(6)), 1 + int(rand(12)), 1 + int(rand(28)));
  printf "%s,%s,%s,http://www.example.com/palm/%d/,%s,%s\n", $name, $types[rand @types], $desc,
         $i, $cats[rand @cats], $date;
}
