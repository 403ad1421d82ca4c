#!/usr/bin/env bash
# kestrel-tool html2text against Debian's html2text on generated Shift_JIS
# pages of every shape (bench/pages.pl: mix, tags, text, table, entity),
# each at two sizes so that time or memory growing faster than the input
# shows. Prints processor time, peak memory (/usr/bin/time %M) and the time
# ratio (html2text / ours; above 1 means kestrel-tool is ahead).
#   HTML2TEXT_BENCH_MB     the smaller size in MB (default 10; the larger is twice it)
#   HTML2TEXT_BENCH_ROUNDS runs of each command (default 3)
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/measure.bash

BUILD_DIR=${BUILD_DIR:-build}
TOOL="$BUILD_DIR/bin/kestrel-tool"
SMALL=${HTML2TEXT_BENCH_MB:-10}
RUNS=${HTML2TEXT_BENCH_ROUNDS:-3}

[ -x "$TOOL" ] || { echo "html2text bench: $TOOL is not built" >&2; exit 1; }
command -v html2text >/dev/null ||
  { echo "html2text bench: the html2text program is missing (apt-get install html2text)" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/kestrel-html2text-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

for mb in "$SMALL" $((SMALL * 2)); do
  echo "-- $mb MB"
  for shape in mix tags text table entity; do
    perl bench/pages.pl "$shape" $((mb * 1048576)) >"$work/$shape.html"
    size=$(awk -v s="$(stat -c %s "$work/$shape.html")" 'BEGIN { printf "%.1f", s / 1048576 }')
    report "html2text $shape" "$size" \
      "$(measure "$RUNS" "$work/$shape.html" "$TOOL" html2text --width 80)" \
      "$(measure "$RUNS" "$work/$shape.html" html2text -nobs -width 80)" "html2text"
    rm -f "$work/$shape.html"
  done
done
