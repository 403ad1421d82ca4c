#!/usr/bin/env bash
# Queuing: kestrel-tool queue of 200 Palm files (about 10 MB) for a
# registered user, against cp of the same files into an empty folder;
# paired runs of the whole process (wall time: the syncs that make the
# queue durable are part of its price), medians and their ratio.
set -euo pipefail
BUILD_DIR=${BUILD_DIR:-build}
BIN=$(cd "$BUILD_DIR/bin" && pwd)
RUNS=${KESTREL_BENCH_RUNS:-9}

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export KESTREL_HOME=$tmp/home
mkdir -p "$KESTREL_HOME" "$tmp/src" "$tmp/copy"
reg() { "$BIN/kestrel-reg" "$@" >/dev/null; }
tool() { "$BIN/kestrel-tool" "$@" >/dev/null; }

PALM=$tmp/Palm
mkdir -p "$PALM/Taro/Install"
reg add 'HKCU\Software\U.S. Robotics\Pilot Desktop\Core' --value Path --data "$PALM"
# The install flag is raised in HotSync Manager's key, as for a real install.
reg add 'HKCU\Software\U.S. Robotics\Pilot Desktop\HotSync Manager' --value DirectComPort --data COM1
tool usersdat add Taro Taro 1001
tool register Taro --backup "$tmp/backup"
perl -e 'for my $i (1 .. 200) { open(my $f, ">", sprintf("%s/App%03d.prc", $ARGV[0], $i)) or die; print $f chr(65 + $i % 26) x 50000; }' \
  "$tmp/src"
files=("$tmp"/src/*.prc)

# Seconds of one run of the command, with the folder it fills emptied
# first. The files are moved out, as HotSync takes them: deleting them and
# making as many again at once would time the file system's search for
# inodes that were not freed recently, not the copying.
n=0
timed() {  # FOLDER CMD...
  local folder=$1; shift
  n=$((n + 1))
  mkdir -p "$tmp/taken/$n"
  find "$folder" -mindepth 1 -maxdepth 1 -exec mv -t "$tmp/taken/$n" {} +
  local start=$EPOCHREALTIME
  "$@" >/dev/null
  awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.4f\n", b - a }'
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

ours=() theirs=() durable=()
timed "$PALM/Taro/Install" "$BIN/kestrel-tool" queue Taro "${files[@]}" >/dev/null  # warm-up
for _ in $(seq "$RUNS"); do
  tool flag clear Taro
  # A run that syncs pays for its own data only, not for what cp left
  # in the page cache.
  sync
  ours+=("$(timed "$PALM/Taro/Install" "$BIN/kestrel-tool" queue Taro "${files[@]}")")
  theirs+=("$(timed "$tmp/copy" cp "${files[@]}" "$tmp/copy/")")
  # The least a durable copy costs on this disk: cp, then the file
  # system's data written out (sync -f is syncfs, as the queue uses).
  sync
  durable+=("$(timed "$tmp/copy" bash -c 'cp "$@" && sync -f "${@: -1}"' - "${files[@]}" "$tmp/copy/")")
done
[ "$(ls "$PALM/Taro/Install" | wc -l)" -eq 200 ] || { echo "queue.sh: the queue did not arrive" >&2; exit 1; }
[ "$("$BIN/kestrel-tool" flag get Taro)" = 1 ] || { echo "queue.sh: the install flag was not raised" >&2; exit 1; }
o=$(printf '%s\n' "${ours[@]}" | median)
t=$(printf '%s\n' "${theirs[@]}" | median)
d=$(printf '%s\n' "${durable[@]}" | median)
awk -v o="$o" -v t="$t" -v d="$d" 'BEGIN {
  printf "%-30s kestrel-tool %6.3f s | cp %6.3f s | ratio %5.2f (target <= 2)\n",
         "queue, 200 files (10 MB)", o, t, o / t
  printf "%-30s kestrel-tool %6.3f s | cp + sync -f %6.3f s | ratio %5.2f\n",
         "  the same, durable both", o, d, o / d }'
