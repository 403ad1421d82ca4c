#!/usr/bin/env bash
# The console without a window: kestrel-tool xfer list for a registered user
# whose pilot-xfer (a stand-in made here) writes 50 MB after "Connected",
# against that program piped into cat. Prints the least processor time of
# several runs of each, the ratio theirs / ours and our peak memory per
# output byte, each with its goal.
set -euo pipefail
BUILD_DIR=${BUILD_DIR:-build}
BIN=$(cd "$BUILD_DIR/bin" && pwd)
RUNS=${KESTREL_BENCH_RUNS:-5}
HERE=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=measure.bash
source "$HERE/measure.bash"

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export KESTREL_HOME=$tmp/home
mkdir -p "$KESTREL_HOME" "$tmp/Palm" "$tmp/px" "$tmp/backup"
"$BIN/kestrel-reg" add 'HKCU\Software\U.S. Robotics\Pilot Desktop\Core' --value Path --data "$tmp/Palm" >/dev/null
"$BIN/kestrel-tool" usersdat add Taro TaroY 7 >/dev/null
"$BIN/kestrel-tool" register Taro --backup "$tmp/backup" >/dev/null
"$BIN/kestrel-tool" config set Taro 'pilot-xfer\Path' "$tmp/px" 'pilot-xfer\BackupPath' "$tmp/backup" >/dev/null

# 50 MB of listing lines of 64 bytes, written in blocks as a tool does.
cat >"$tmp/px/pilot-xfer" <<'PERL'
#!/usr/bin/perl
$| = 0;
print "Waiting for connection on $ARGV[0] (press the HotSync button now)...\n";
print "   Port: $ARGV[0], speed: $ENV{PILOTRATE}\n";
print "Connected\n";
my $line = sprintf("%-63s\n", "Database 'MemoDB' listed, 12345 records, attributes ok");
my $block = $line x 1024;
print $block for 1 .. 763;
PERL
chmod +x "$tmp/px/pilot-xfer"
bytes=$((64 * 1024 * 763))

lines=$("$BIN/kestrel-tool" xfer Taro list | wc -l)
if [ "$lines" -lt $((1024 * 763)) ]; then
  echo "xfer: $lines lines, expected at least $((1024 * 763))" >&2
  exit 1
fi
# Each run appends to the log: the last run's is deleted before the next,
# outside the time measured, which is the tool's alone.
ours=$(PRECISE_BEFORE="rm -f '$KESTREL_HOME/Kestlink.log'" precise "$RUNS" "$BIN/kestrel-tool" xfer Taro list)
theirs=$(precise "$RUNS" sh -c "'$tmp/px/pilot-xfer' COM1 | cat")
report "xfer list, 50 MB of output" "$(awk -v b="$bytes" 'BEGIN { print b / 1e6 }')" "$ours" "$theirs" "pilot-xfer|cat" 0.3
awk -v b="$bytes" -v o="$ours" 'BEGIN {
  split(o, a, " "); m = a[2] * 1024 / b;
  printf "%-30s peak %.2f bytes per output byte (goal <= 1.5: %s)\n", "xfer list, 50 MB of output", m, m <= 1.5 ? "met" : "NOT met"
}'
