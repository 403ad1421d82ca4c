#!/usr/bin/env bash
# Opening a 20 MB Shift_JIS text: `kestrel-tool view --width 80` (detect,
# keep, wrap with the Japanese line-breaking rules, write the rows) against
# `iconv -f SHIFT_JIS -t UTF-8 | fold -b -w 80` of the same file, whole
# processes, in the same run. Prints both speeds and the ratio (theirs / ours;
# 1 or more means kestrel-tool is no slower).
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD_DIR=${BUILD_DIR:-build}
TOOL="$BUILD_DIR/bin/kestrel-tool"
RUNS=${VIEW_BENCH_RUNS:-3}
[ -x "$TOOL" ] || { echo "view.sh: $TOOL is not built" >&2; exit 1; }
for peer in iconv fold perl; do
  command -v "$peer" >/dev/null || { echo "view.sh: $peer is missing" >&2; exit 1; }
done

WORK=$(mktemp -d "${TMPDIR:-/tmp}/kestrel-view.XXXXXX")
trap 'rm -rf "$WORK"' EXIT

# One megabyte of EUC-JP prose (kanji, kana, punctuation, ASCII words;
# paragraphs longer than a row), repeated to 20 MB, then in Shift_JIS.
perl -e '
  srand(20240607);
  my @kanji = map { my $r = $_; map { chr($r) . chr($_) } 0xA1 .. 0xFE } 0xB0 .. 0xCE;
  my @hira = map { "\xA4" . chr($_) } 0xA1 .. 0xF3;
  my @kata = map { "\xA5" . chr($_) } 0xA1 .. 0xF6;
  my @punct = ("\xA1\xA2", "\xA1\xA3", "\xA1\xD6", "\xA1\xD7");
  my @words = qw(Palm HotSync 2024 OS install http://example.jp/ taro@example.jp);
  my $out = "";
  while (length($out) < 1 << 20) {
    my $line = "";
    for (1 .. 10 + int(rand(150))) {
      my $p = rand();
      $line .= $p < 0.35 ? $kanji[rand @kanji]
             : $p < 0.75 ? $hira[rand @hira]
             : $p < 0.85 ? $kata[rand @kata]
             : $p < 0.93 ? $punct[rand @punct]
             : " " . $words[rand @words] . " ";
    }
    $out .= $line . "\r\n";
  }
  print $out x 20;
' | iconv -f EUC-JP -t SHIFT_JIS >"$WORK/sjis.txt"

SIZE=$(stat -c %s "$WORK/sjis.txt")
"$TOOL" view --width 80 "$WORK/sjis.txt" >"$WORK/rows.txt"
[ "$(head -c 1 "$WORK/rows.txt" | od -An -c | tr -d ' ')" = '\n' ] ||
  { echo "view.sh: the corpus was not taken for Shift_JIS" >&2; exit 1; }
rm -f "$WORK/rows.txt"

# Best wall-clock seconds of $RUNS runs of a shell command, output discarded.
best_time() {
  local best=""
  for _ in $(seq "$RUNS"); do
    local t0 t1
    t0=$(date +%s.%N)
    bash -c "$1" >/dev/null
    t1=$(date +%s.%N)
    best=$(awk -v a="$t0" -v b="$t1" -v m="$best" 'BEGIN { d = b - a; if (m == "" || d < m) m = d; printf "%.6f", m }')
  done
  echo "$best"
}
mbps() { awk -v s="$SIZE" -v t="$1" 'BEGIN { if (t < 1e-6) t = 1e-6; printf "%.1f", s / 1048576 / t }'; }

F=$(printf '%q' "$WORK/sjis.txt")
T_OURS=$(best_time "$(printf '%q' "$TOOL") view --width 80 $F")
T_PEER=$(best_time "iconv -f SHIFT_JIS -t UTF-8 $F | fold -b -w 80")
echo "view 20 MB Shift_JIS at width 80: kestrel-tool $(mbps "$T_OURS") MB/s ($T_OURS s)"
echo "  vs iconv | fold -b -w 80: $(mbps "$T_PEER") MB/s ($T_PEER s), ratio $(awk -v o="$T_OURS" -v p="$T_PEER" 'BEGIN { if (o < 1e-6) o = 1e-6; printf "%.2f", p / o }')"
