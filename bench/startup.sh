#!/usr/bin/env bash
# Start-up: kestrel-plus (offscreen) on a home with 5 registered users, each
# with 1,000 files in its backup folder, from its start until it has shown
# its window and closed on the close message, against a minimal Qt 6 window
# program built here; paired runs, medians and their ratio.
set -euo pipefail
BUILD_DIR=${BUILD_DIR:-build}
BIN=$(cd "$BUILD_DIR/bin" && pwd)
RUNS=${KESTREL_BENCH_RUNS:-9}

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export KESTREL_HOME=$tmp/home
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR=$tmp/run
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
mkdir -p "$KESTREL_HOME"
reg() { "$BIN/kestrel-reg" "$@" >/dev/null; }
tool() { "$BIN/kestrel-tool" "$@" >/dev/null; }

PALM=$tmp/Palm
mkdir -p "$PALM"
reg add 'HKCU\Software\U.S. Robotics\Pilot Desktop\Core' --value Path --data "$PALM"
reg add 'HKCU\Software\U.S. Robotics\Pilot Desktop\Core' --value HotSyncPath --data /bin/true
reg add 'HKCU\Software\U.S. Robotics\Pilot Desktop\HotSync Manager' --value DirectComPort --data COM1
for n in 1 2 3 4 5; do
  name="User $n"
  tool usersdat add "$name" "User$n" "100$n"
  tool register "$name" --backup "$tmp/backup/User$n"
  mkdir -p "$PALM/User$n/Install" "$tmp/backup/User$n/Old"
  perl -e 'for my $i (1 .. 1000) { open(my $f, ">", sprintf("%s/File%04d.prc", $ARGV[0], $i)) or die; print $f "x" x 200; }' \
    "$tmp/backup/User$n"
done
reg add 'HKCU\Software\Tolva\Kestrel+' --value LastUser --data User3

"$BIN/startup-driver" "$RUNS" "$BIN/kestrel-plus" "$BIN/minimal-qt-window"
