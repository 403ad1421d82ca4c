#!/usr/bin/env bash
# Listing archives: kestrel-tool archive list against unzip -l on a
# 10,000-member zip and lhasa l on a 2,000-member lzh, both made here.
# Prints the best of several runs of each and the ratio of processor times
# (ours / theirs; at most 1.0 means no slower). Then the extraction of the
# last member of a 50,000-member zip against unzip -p, as a ratio of
# processor times the other way round (theirs / ours) with its goal.
set -euo pipefail
BUILD_DIR=${BUILD_DIR:-build}
TOOL=$(cd "$BUILD_DIR/bin" && pwd)/kestrel-tool
RUNS=${KESTREL_BENCH_RUNS:-7}
HERE=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=measure.bash
source "$HERE/measure.bash"

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export KESTREL_HOME=$tmp/home

# zip_tree ARCHIVE PER-FOLDER: PER-FOLDER small files in each of 100
# folders, zipped with Info-ZIP's zip.
zip_tree() {
  perl - "$1.src" "$2" <<'PERL'
use strict;
my ($root, $per) = @ARGV;
mkdir $root;
for my $d (0 .. 99) {
  mkdir sprintf("%s/d%02d", $root, $d);
  for my $i (0 .. $per - 1) {
    open(my $fh, '>', sprintf("%s/d%02d/member%05d.prc", $root, $d, $d * $per + $i)) or die;
    print $fh "member $d $i\n" x 10;
  }
}
PERL
  (cd "$1.src" && zip -q -r "$1" .)
}
zip_tree "$tmp/big.zip" 100

# 2,000 stored members with level-1 headers, written byte by byte (Debian
# has no lzh archiver).
perl - "$tmp/big.lzh" 2000 <<'PERL'
use strict;
my ($out, $n) = @ARGV;
sub crc16 {
  my $c = 0;
  for my $b (unpack('C*', $_[0])) {
    $c ^= $b;
    for (1 .. 8) { $c = ($c & 1) ? (($c >> 1) ^ 0xA001) : ($c >> 1); }
  }
  return $c;
}
open(my $fh, '>:raw', $out) or die;
my $date = (20 << 9) | (1 << 5) | 31;
my $time = (14 << 11) | (5 << 5) | 3;
for my $i (1 .. $n) {
  my $name = sprintf("dir%02d\\member%05d.prc", $i % 50, $i);
  my $data = "member $i\n" x 20;
  my $h = '-lh0-' . pack('VVvvCCC', length $data, length $data, $time, $date, 0x20, 1, length $name)
        . $name . pack('v', crc16($data)) . 'M' . pack('v', 0);
  my $sum = 0;
  $sum += $_ for unpack('C*', $h);
  print $fh pack('CC', length $h, $sum & 0xFF), $h, $data;
}
print $fh "\0";
PERL

# Best wall time and best processor time (user + system) of RUNS runs, in
# milliseconds. The machine is shared, so the processor time is the steadier
# measure and the ratio is taken on it.
best_times() {
  local best_wall="" best_cpu=""
  for _ in $(seq "$RUNS"); do
    local TIMEFORMAT='%3R %3U %3S' t wall cpu
    t=$({ time "$@" >/dev/null 2>&1; } 2>&1)
    read -r wall cpu < <(awk '{ printf "%d %d\n", $1 * 1000, ($2 + $3) * 1000 }' <<<"$t")
    if [ -z "$best_wall" ] || [ "$wall" -lt "$best_wall" ]; then best_wall=$wall; fi
    if [ -z "$best_cpu" ] || [ "$cpu" -lt "$best_cpu" ]; then best_cpu=$cpu; fi
  done
  echo "$best_wall $best_cpu"
}

compare() {
  local label=$1 file=$2 expected=$3
  shift 3
  local listed
  listed=$("$TOOL" archive list "$file" | wc -l)
  if [ "$listed" -ne "$expected" ]; then
    echo "$label: kestrel-tool listed $listed members, expected $expected" >&2
    exit 1
  fi
  local ours theirs
  ours=$(best_times "$TOOL" archive list "$file")
  theirs=$(best_times "$@" "$file")
  awk -v l="$label" -v o="$ours" -v t="$theirs" -v c="$*" 'BEGIN {
    split(o, a, " "); split(t, b, " ");
    printf "%-20s kestrel-tool %4d ms (cpu %3d ms)   %-9s %4d ms (cpu %3d ms)   ratio %.2f\n",
           l, a[1], a[2], c, b[1], b[2], (a[2] < 1 ? 1 : a[2]) / (b[2] < 1 ? 1 : b[2])
  }'
}

compare "zip, 10,000 members" "$tmp/big.zip" 10000 unzip -l
compare "lzh, 2,000 members" "$tmp/big.lzh" 2000 lhasa l

# 50,000 small members; the last one in the directory.
zip_tree "$tmp/50k.zip" 500
last=$(unzip -Z1 "$tmp/50k.zip" | tail -1)
mkdir -p "$tmp/out"
"$TOOL" archive extract "$tmp/50k.zip" "$last" "$tmp/out" >/dev/null
if ! cmp -s "$tmp/out/${last##*/}" "$tmp/50k.zip.src/$last"; then
  echo "zip extract: $last did not come out whole" >&2
  exit 1
fi
ours=$(precise "$RUNS" "$TOOL" archive extract "$tmp/50k.zip" "$last" "$tmp/out")
theirs=$(precise "$RUNS" unzip -p "$tmp/50k.zip" "$last")
report "zip extract, last of 50,000" "$(du -m "$tmp/50k.zip" | cut -f1)" "$ours" "$theirs" "unzip -p" 0.5
