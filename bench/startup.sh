#!/usr/bin/env bash
# Start-up: kestrel-plus (offscreen) on homes with 5 and 20 registered users,
# each with 1,000 files in its backup folder, and with one user with 20,000,
# from its start until it has shown its window and closed on the close
# message, against a minimal Qt 6 window program built here; paired runs,
# medians and their ratio with its goal.
set -euo pipefail
BUILD_DIR=${BUILD_DIR:-build}
BIN=$(cd "$BUILD_DIR/bin" && pwd)
RUNS=${KESTREL_BENCH_RUNS:-9}

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR=$tmp/run
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
reg() { "$BIN/kestrel-reg" "$@" >/dev/null; }
tool() { "$BIN/kestrel-tool" "$@" >/dev/null; }

# shape USERS FILES: a fresh home with USERS registered users, each with
# FILES files in its backup folder, the last user the third (or the only).
shape() {
  local users=$1 files=$2 n
  local root=$tmp/$users-$files
  export KESTREL_HOME=$root/home
  PALM=$root/Palm
  mkdir -p "$KESTREL_HOME" "$PALM"
  reg add 'HKCU\Software\U.S. Robotics\Pilot Desktop\Core' --value Path --data "$PALM"
  reg add 'HKCU\Software\U.S. Robotics\Pilot Desktop\Core' --value HotSyncPath --data /bin/true
  reg add 'HKCU\Software\U.S. Robotics\Pilot Desktop\HotSync Manager' --value DirectComPort --data COM1
  for n in $(seq "$users"); do
    name="User $n"
    tool usersdat add "$name" "User$n" "100$n"
    tool register "$name" --backup "$root/backup/User$n"
    mkdir -p "$PALM/User$n/Install" "$root/backup/User$n/Old"
    perl -e 'for my $i (1 .. $ARGV[1]) { open(my $f, ">", sprintf("%s/File%05d.prc", $ARGV[0], $i)) or die; print $f "x" x 200; }' \
      "$root/backup/User$n" "$files"
  done
  reg add 'HKCU\Software\Tolva\Kestrel+' --value LastUser --data "User$(( users < 3 ? users : 3 ))"
  # The files just made go to the disk first: their writing back would
  # otherwise share the two cores with the runs measured.
  sync
  "$BIN/startup-driver" "$RUNS" "$BIN/kestrel-plus" "$BIN/minimal-qt-window" \
    "start-up, $users user$([ "$users" -eq 1 ] || echo s) x $files files"
}

shape 5 1000
shape 20 1000
shape 1 20000
