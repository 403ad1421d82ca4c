#!/usr/bin/env bash
# Deep registry keys: kestrel-reg import, export and query --recursive of a
# 20,000-level key (a 40 KB .reg file; its export lists every level, so the
# text is some 400 MB). Prints the seconds each step took; every step should
# stay within a few seconds (each key costs the same however deep it lies).
set -euo pipefail
BUILD_DIR=${BUILD_DIR:-build}
REG=$(cd "$BUILD_DIR/bin" && pwd)/kestrel-reg
LEVELS=${KESTREL_BENCH_LEVELS:-20000}

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export KESTREL_HOME=$tmp/home
mkdir -p "$KESTREL_HOME"

{
  printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Deep'
  for ((i = 0; i < LEVELS; i++)); do printf '\\k'; done
  printf ']\r\n"bottom"="here"\r\n'
} > "$tmp/deep.reg"

step() {
  local name=$1; shift
  local start end
  start=$(date +%s.%N)
  "$@" > /dev/null
  end=$(date +%s.%N)
  printf '%-28s %6.2f s\n' "$name" "$(awk -v a="$start" -v b="$end" 'BEGIN { print b - a }')"
}

echo "deep keys: $LEVELS levels ($(stat -c %s "$tmp/deep.reg") bytes of .reg)"
step "import" "$REG" import "$tmp/deep.reg"
step "export" "$REG" export 'HKCU\Deep' "$tmp/out.reg"
step "query --recursive" "$REG" query 'HKCU\Deep' --recursive
rm -f "$tmp/out.reg"
step "delete" "$REG" delete 'HKCU\Deep'
