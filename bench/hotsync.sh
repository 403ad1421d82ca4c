#!/usr/bin/env bash
# HotSync: kestrel-hotsync installs 100 databases of 100 KB (about 10 MB)
# onto kestrel-tool's fake handheld over the loopback. Prints the transfer
# rate (wall time of the handheld's sync) and the service's own processor
# time per MB (user + system, from /usr/bin/time); goal at most 20 ms per MB.
set -euo pipefail
BUILD_DIR=${BUILD_DIR:-build}
BIN=$(cd "$BUILD_DIR/bin" && pwd)
RUNS=${KESTREL_BENCH_RUNS:-3}

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export KESTREL_HOME=$tmp/home
mkdir -p "$KESTREL_HOME" "$tmp/src"
reg() { "$BIN/kestrel-reg" "$@" >/dev/null; }
tool() { "$BIN/kestrel-tool" "$@" >/dev/null; }

PALM=$tmp/Palm
reg add 'HKCU\Software\U.S. Robotics\Pilot Desktop\Core' --value Path --data "$PALM"
reg add 'HKCU\Software\U.S. Robotics\Pilot Desktop\HotSync Manager' --value DirectComPort --data COM1
tool usersdat add Taro Taro 1001
tool register Taro --backup "$tmp/backup"
# 100 record databases, each two records of 51,200 bytes.
perl -e '
  for my $i (1 .. 100) {
    my $name = sprintf("Bench%03d", $i);
    open(my $f, ">", "$ARGV[0]/$name.pdb") or die;
    binmode $f;
    my $size = 51200;
    my $first = 78 + 2 * 8 + 2;
    print $f pack("a32 n n N N N N N N a4 a4 N N n", $name, 0, 1, 0, 0, 0, 0, 0, 0,
                  "DATA", "BNCH", 0, 0, 2);
    for my $r (0 .. 1) {
      print $f pack("N C", $first + $r * $size, 0x40), substr(pack("N", $i * 16 + $r), 1);
    }
    print $f "\0\0", chr(65 + $i % 26) x (2 * $size);
  }' "$tmp/src"
bytes=$(cat "$tmp"/src/*.pdb | wc -c)

port_of() {  # PORTFILE: waits until the service wrote its port
  for _ in $(seq 200); do
    [ -s "$1" ] && { cat "$1"; return; }
    sleep 0.05
  done
  echo "hotsync bench: the service did not start" >&2
  exit 1
}

echo "HotSync of $(ls "$tmp/src" | wc -l) databases, $bytes bytes, $RUNS runs:"
for run in $(seq "$RUNS"); do
  rm -rf "$tmp/handheld" "$tmp/port" "$tmp/cpu"
  mkdir -p "$tmp/handheld"
  tool queue Taro "$tmp"/src/*.pdb
  /usr/bin/time -f '%U %S' -o "$tmp/cpu" "$BIN/kestrel-hotsync" --net 127.0.0.1:0 \
    --port-file "$tmp/port" --once 2>/dev/null &
  service=$!
  port=$(port_of "$tmp/port")
  start=$EPOCHREALTIME
  "$BIN/kestrel-tool" handheld sync --net "127.0.0.1:$port" --user Taro --id 1001 \
    --dir "$tmp/handheld" >/dev/null
  end=$EPOCHREALTIME
  wait "$service"
  installed=$(ls "$tmp/handheld" | wc -l)
  [ "$installed" -eq 100 ] || { echo "hotsync bench: $installed of 100 installed" >&2; exit 1; }
  read -r user sys <"$tmp/cpu"
  awk -v b="$bytes" -v s="$start" -v e="$end" -v u="$user" -v y="$sys" -v r="$run" 'BEGIN {
    mb = b / 1048576
    printf "  run %d: %.1f MB/s, service %.1f ms processor time per MB (goal <= 20)\n",
           r, mb / (e - s), (u + y) * 1000 / mb
  }'
done
