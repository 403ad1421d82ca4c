#!/usr/bin/env bash
# kestrel-tool conv, guess, eol and base64 against iconv, nkf and base64 on
# generated Japanese texts of several shapes, each at two sizes so that time
# or memory growing faster than the input shows. Prints processor time, peak
# memory (/usr/bin/time %M) and the time ratio (peer / ours; above 1 means
# kestrel-tool is ahead).
#   JCONVERT_BENCH_MB   the smaller size in MB (default 16; the larger is twice it)
#   KESTREL_BENCH_BIG=1 60 and 120 MB instead
#   JCONVERT_BENCH_RUNS runs of each command (default 3)
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/measure.bash

BUILD_DIR=${BUILD_DIR:-build}
TOOL="$BUILD_DIR/bin/kestrel-tool"
RUNS=${JCONVERT_BENCH_RUNS:-3}
SMALL=${JCONVERT_BENCH_MB:-16}
[ "${KESTREL_BENCH_BIG:-0}" = 1 ] && SMALL=60
LARGE=$((SMALL * 2))
[ -x "$TOOL" ] || { echo "jconvert.sh: $TOOL is not built" >&2; exit 1; }
for peer in nkf iconv perl base64 /usr/bin/time; do
  command -v "$peer" >/dev/null || { echo "jconvert.sh: $peer is missing" >&2; exit 1; }
done

WORK=$(mktemp -d "${TMPDIR:-/tmp}/kestrel-jconvert.XXXXXX")
trap 'rm -rf "$WORK"' EXIT

# One megabyte of text of a shape, EUC-JP, repeated to $2 MB.
#   mixed: kanji, kana, punctuation, ASCII words, CR LF line ends
#   kana:  long lines of hiragana and katakana, LF line ends
#   ascii: plain ASCII (leaves the guess undecided to the end)
make_text() {
  perl -e '
    my ($shape, $mb) = @ARGV;
    srand(20240607);
    my @kanji = map { my $r = $_; map { chr($r) . chr($_) } 0xA1 .. 0xFE } 0xB0 .. 0xCE;
    my @hira = map { "\xA4" . chr($_) } 0xA1 .. 0xF3;
    my @kata = map { "\xA5" . chr($_) } 0xA1 .. 0xF6;
    my @punct = ("\xA1\xA2", "\xA1\xA3", "\xA1\xD6", "\xA1\xD7");
    my @words = qw(Palm HotSync 2024 OS install backup pdb prc queue folder user flag);
    my $out = "";
    while (length($out) < 1 << 20) {
      my $line = "";
      if ($shape eq "ascii") {
        $line = join(" ", map { $words[rand @words] } 1 .. 12) . "\r\n";
      } elsif ($shape eq "kana") {
        $line .= rand() < 0.6 ? $hira[rand @hira] : $kata[rand @kata] for 1 .. 200 + int(rand(200));
        $line .= "\n";
      } else {
        for (1 .. 10 + int(rand(30))) {
          my $p = rand();
          $line .= $p < 0.35 ? $kanji[rand @kanji] : $p < 0.75 ? $hira[rand @hira]
                 : $p < 0.85 ? $kata[rand @kata] : $p < 0.93 ? $punct[rand @punct]
                 : " " . $words[rand @words] . " ";
        }
        $line .= "\r\n";
      }
      $out .= $line;
    }
    print $out x $mb;
  ' "$1" "$2"
}

# The conversions must agree with iconv before their speed means anything.
make_text mixed 1 >"$WORK/check.euc"
iconv -f EUC-JP -t SHIFT_JIS "$WORK/check.euc" >"$WORK/check.sjis"
iconv -f EUC-JP -t ISO-2022-JP "$WORK/check.euc" >"$WORK/check.jis"
"$TOOL" conv --to sjis <"$WORK/check.euc" | cmp -s - "$WORK/check.sjis" ||
  { echo "jconvert.sh: EUC-JP -> Shift_JIS differs from iconv" >&2; exit 1; }
"$TOOL" conv --to sjis <"$WORK/check.jis" | cmp -s - "$WORK/check.sjis" ||
  { echo "jconvert.sh: JIS -> Shift_JIS differs from iconv" >&2; exit 1; }

for mb in "$SMALL" "$LARGE"; do
  echo "-- $mb MB"
  for shape in mixed kana ascii; do
    make_text "$shape" "$mb" >"$WORK/$shape.euc"
  done
  iconv -f EUC-JP -t SHIFT_JIS "$WORK/mixed.euc" >"$WORK/mixed.sjis"
  iconv -f EUC-JP -t ISO-2022-JP "$WORK/mixed.euc" >"$WORK/mixed.jis"
  iconv -f EUC-JP -t SHIFT_JIS "$WORK/kana.euc" >"$WORK/kana.sjis"
  # Fits EUC-JP and Shift_JIS alike to the end: the guess never decides.
  perl -e 'print(("\xA4\xA2\xA4\xA4\xA4\xA6 " x 73 . "\r\n") x (1024 * $ARGV[0] * 2))' "$mb" >"$WORK/undecided.txt"

  conv() { # LABEL FILE OURS-ARGS -- ICONV-ARGS -- NKF-ARGS
    local label=$1 file=$2; shift 2
    local ours=() iconv_args=() nkf_args=()
    while [ "$1" != -- ]; do ours+=("$1"); shift; done; shift
    while [ "$1" != -- ]; do iconv_args+=("$1"); shift; done; shift
    nkf_args=("$@")
    local size o
    size=$(awk -v s="$(stat -c %s "$file")" 'BEGIN { printf "%.1f", s / 1048576 }')
    o=$(measure "$RUNS" "$file" "$TOOL" "${ours[@]}")
    report "$label" "$size" "$o" "$(measure "$RUNS" "$file" iconv "${iconv_args[@]}")" iconv
    report "$label" "$size" "$o" "$(measure "$RUNS" "$file" nkf "${nkf_args[@]}")" nkf
  }
  conv "conv mixed EUC-JP -> SJIS" "$WORK/mixed.euc" conv --to sjis -- -f EUC-JP -t SHIFT_JIS -- -s
  conv "conv mixed JIS -> SJIS" "$WORK/mixed.jis" conv --to sjis -- -f ISO-2022-JP -t SHIFT_JIS -- -s
  conv "conv mixed SJIS -> EUC-JP" "$WORK/mixed.sjis" conv --to euc -- -f SHIFT_JIS -t EUC-JP -- -e
  conv "conv kana SJIS -> JIS" "$WORK/kana.sjis" conv --to jis -- -f SHIFT_JIS -t ISO-2022-JP -- -j
  for f in mixed.euc mixed.jis mixed.sjis ascii.euc undecided.txt; do
    size=$(awk -v s="$(stat -c %s "$WORK/$f")" 'BEGIN { printf "%.1f", s / 1048576 }')
    report "guess $f" "$size" "$(measure "$RUNS" "$WORK/$f" "$TOOL" guess)" \
      "$(measure "$RUNS" "$WORK/$f" nkf --guess)" "nkf --guess"
  done
  size=$(awk -v s="$(stat -c %s "$WORK/mixed.sjis")" 'BEGIN { printf "%.1f", s / 1048576 }')
  report "eol CR LF -> LF" "$size" "$(measure "$RUNS" "$WORK/mixed.sjis" "$TOOL" eol --to lf)" \
    "$(measure "$RUNS" "$WORK/mixed.sjis" nkf -Lu)" "nkf -Lu"
  report "base64 encode" "$size" "$(measure "$RUNS" "$WORK/mixed.sjis" "$TOOL" base64 encode)" \
    "$(measure "$RUNS" "$WORK/mixed.sjis" base64 -w 76)" "base64"
  rm -f "$WORK"/*.euc "$WORK"/mixed.* "$WORK"/kana.* "$WORK/undecided.txt"
done
