#!/usr/bin/env bash
# Throughput of kestrel-tool conv and guess against nkf and iconv on generated
# Japanese corpora of at least 32 MB. Prints each ratio (ours / peer; above 1
# means kestrel-tool is ahead).
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD_DIR=${BUILD_DIR:-build}
TOOL="$BUILD_DIR/bin/kestrel-tool"
RUNS=${JCONVERT_BENCH_RUNS:-3}
[ -x "$TOOL" ] || { echo "jconvert.sh: $TOOL is not built" >&2; exit 1; }
for peer in nkf iconv perl; do
  command -v "$peer" >/dev/null || { echo "jconvert.sh: $peer is missing" >&2; exit 1; }
done

WORK=$(mktemp -d "${TMPDIR:-/tmp}/kestrel-jconvert.XXXXXX")
trap 'rm -rf "$WORK"' EXIT

# One megabyte of EUC-JP text (kanji, kana, punctuation, ASCII words, CR LF
# line ends; only characters every peer knows), repeated up to 34 MB.
perl -e '
  srand(20240607);
  my @kanji = map { my $r = $_; map { chr($r) . chr($_) } 0xA1 .. 0xFE } 0xB0 .. 0xCE;
  my @hira = map { "\xA4" . chr($_) } 0xA1 .. 0xF3;
  my @kata = map { "\xA5" . chr($_) } 0xA1 .. 0xF6;
  my @punct = ("\xA1\xA2", "\xA1\xA3", "\xA1\xD6", "\xA1\xD7");
  my @words = qw(Palm HotSync 2024 OS install backup pdb prc);
  my $out = "";
  while (length($out) < 1 << 20) {
    my $line = "";
    for (1 .. 10 + int(rand(30))) {
      my $p = rand();
      $line .= $p < 0.35 ? $kanji[rand @kanji]
             : $p < 0.75 ? $hira[rand @hira]
             : $p < 0.85 ? $kata[rand @kata]
             : $p < 0.93 ? $punct[rand @punct]
             : " " . $words[rand @words] . " ";
    }
    $out .= $line . "\r\n";
  }
  print $out x 34;
' >"$WORK/euc.txt"
# Plain ASCII leaves the guess undecided, so it scans the whole file.
perl -e '
  srand(7);
  my @words = qw(Palm HotSync install backup queue folder user flag archive viewer);
  my $out = "";
  $out .= join(" ", map { $words[rand @words] } 1 .. 12) . "\r\n" while length($out) < 1 << 20;
  print $out x 34;
' >"$WORK/ascii.txt"
iconv -f EUC-JP -t ISO-2022-JP "$WORK/euc.txt" >"$WORK/jis.txt"
iconv -f EUC-JP -t SHIFT_JIS "$WORK/euc.txt" >"$WORK/sjis.txt"

size_of() { stat -c %s "$1"; }
for f in euc jis sjis ascii; do
  if [ "$(size_of "$WORK/$f.txt")" -lt $((32 * 1024 * 1024)) ]; then
    echo "jconvert.sh: corpus $f.txt is smaller than 32 MB" >&2
    exit 1
  fi
done

# Best wall-clock seconds of $RUNS runs of a command reading $1, output discarded.
best_time() {
  local input=$1; shift
  local best=""
  for _ in $(seq "$RUNS"); do
    local t0 t1
    t0=$(date +%s.%N)
    "$@" <"$input" >/dev/null
    t1=$(date +%s.%N)
    best=$(awk -v a="$t0" -v b="$t1" -v m="$best" 'BEGIN { d = b - a; if (m == "" || d < m) m = d; printf "%.6f", m }')
  done
  echo "$best"
}

mbps() { awk -v s="$1" -v t="$2" 'BEGIN { if (t < 1e-6) t = 1e-6; printf "%.1f", s / 1048576 / t }'; }
ratio() { awk -v ours="$1" -v peer="$2" 'BEGIN { if (ours < 1e-6) ours = 1e-6; printf "%.2f", peer / ours }'; }

# compare LABEL INPUT OURS-COMMAND -- PEER-NAME PEER-COMMAND [-- PEER-NAME PEER-COMMAND]
compare() {
  local label=$1 input=$2; shift 2
  local ours=()
  while [ "$1" != "--" ]; do ours+=("$1"); shift; done
  shift
  local size t_ours
  size=$(size_of "$input")
  t_ours=$(best_time "$input" "${ours[@]}")
  echo "$label ($(awk -v s="$size" 'BEGIN { printf "%.1f", s / 1048576 }') MB): kestrel-tool $(mbps "$size" "$t_ours") MB/s"
  while [ $# -gt 0 ]; do
    local name=$1; shift
    local peer=()
    while [ $# -gt 0 ] && [ "$1" != "--" ]; do peer+=("$1"); shift; done
    [ $# -gt 0 ] && shift
    local t_peer
    t_peer=$(best_time "$input" "${peer[@]}")
    echo "  vs $name: $(mbps "$size" "$t_peer") MB/s, ratio $(ratio "$t_ours" "$t_peer")"
  done
}

# The conversions must agree with iconv before their speed means anything.
"$TOOL" conv --to sjis <"$WORK/euc.txt" | cmp -s - "$WORK/sjis.txt" ||
  { echo "jconvert.sh: EUC-JP -> Shift_JIS differs from iconv" >&2; exit 1; }
"$TOOL" conv --to sjis <"$WORK/jis.txt" | cmp -s - "$WORK/sjis.txt" ||
  { echo "jconvert.sh: JIS -> Shift_JIS differs from iconv" >&2; exit 1; }

compare "conv EUC-JP -> Shift_JIS" "$WORK/euc.txt" "$TOOL" conv --to sjis -- \
  nkf nkf -s -- iconv iconv -f EUC-JP -t SHIFT_JIS
compare "conv JIS -> Shift_JIS" "$WORK/jis.txt" "$TOOL" conv --to sjis -- \
  nkf nkf -s -- iconv iconv -f ISO-2022-JP -t SHIFT_JIS
for f in euc jis sjis ascii; do
  compare "guess $f.txt" "$WORK/$f.txt" "$TOOL" guess -- "nkf --guess" nkf --guess
done
