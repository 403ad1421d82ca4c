#!/usr/bin/env bash
# Reading a 50,000-line AppList: kestrel-tool applist (load, sort and
# categorise, then print the categories or every entry) against sort -f of
# the same file, each as a whole process. Prints the best of several runs
# and the ratio of processor times (ours / theirs; below 1.0 is faster).
# Then the listing of a 200,000-line AppList with its peak memory, as a
# ratio the other way round (theirs / ours) with its goal.
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
mkdir -p "$KESTREL_HOME"
perl "$HERE/applist-gen.pl" 50000 | sed 's/$/\r/' | iconv -f UTF-8 -t CP932 >"$KESTREL_HOME/AppList.txt"

categories=$("$TOOL" applist categories | wc -l)
entries=$("$TOOL" applist list | wc -l)
if [ "$categories" -ne 20 ] || [ "$entries" -ne 50000 ]; then
  echo "applist: $categories categories and $entries entries, expected 20 and 50000" >&2
  exit 1
fi

# Best wall time and best processor time (user + system) of RUNS runs, in ms.
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

theirs=$(LC_ALL=C best_times sort -f "$KESTREL_HOME/AppList.txt")
for verb in categories list; do
  ours=$(best_times "$TOOL" applist "$verb")
  awk -v l="applist $verb" -v o="$ours" -v t="$theirs" 'BEGIN {
    split(o, a, " "); split(t, b, " ");
    printf "%-18s kestrel-tool %4d ms (cpu %3d ms)   sort -f %4d ms (cpu %3d ms)   ratio %.2f\n",
           l, a[1], a[2], b[1], b[2], (a[2] < 1 ? 1 : a[2]) / (b[2] < 1 ? 1 : b[2])
  }'
done

perl "$HERE/applist-gen.pl" 200000 | sed 's/$/\r/' | iconv -f UTF-8 -t CP932 >"$KESTREL_HOME/AppList.txt"
entries=$("$TOOL" applist list | wc -l)
if [ "$entries" -ne 200000 ]; then
  echo "applist: $entries entries, expected 200000" >&2
  exit 1
fi
bytes=$(stat -c %s "$KESTREL_HOME/AppList.txt")
ours=$(precise "$RUNS" "$TOOL" applist list)
theirs=$(LC_ALL=C precise "$RUNS" sort -f "$KESTREL_HOME/AppList.txt")
report "applist list, 200,000 lines" "$(awk -v b="$bytes" 'BEGIN { print b / 1048576 }')" "$ours" "$theirs" "sort -f" 1
awk -v b="$bytes" -v o="$ours" 'BEGIN {
  split(o, a, " "); m = a[2] * 1024 / b;
  printf "%-30s peak %.1f times the file (goal <= 3: %s)\n", "applist list, 200,000 lines", m, m <= 3 ? "met" : "NOT met"
}'
