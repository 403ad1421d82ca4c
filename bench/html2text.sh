#!/usr/bin/env bash
# kestrel-tool html2text against Debian's html2text -nometa (without it,
# html2text recodes by the pages' meta charset and gives up on kanji that
# only code page 932 has, printing nothing) on generated Shift_JIS pages of
# every shape (bench/pages.pl: mix, tags, text, table, entity, page), each at
# two sizes so that time or memory growing faster than the input shows.
# Prints processor time, peak memory and the time ratio (html2text / ours;
# above 1 means kestrel-tool is ahead) with its goal.
#   HTML2TEXT_BENCH_MB     the sizes in MB (default "2 10")
#   HTML2TEXT_BENCH_ROUNDS runs of each command (default 3)
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/measure.bash

BUILD_DIR=${BUILD_DIR:-build}
TOOL="$BUILD_DIR/bin/kestrel-tool"
SIZES=${HTML2TEXT_BENCH_MB:-2 10}
RUNS=${HTML2TEXT_BENCH_ROUNDS:-3}

[ -x "$TOOL" ] || { echo "html2text bench: $TOOL is not built" >&2; exit 1; }
command -v html2text >/dev/null ||
  { echo "html2text bench: the html2text program is missing (apt-get install html2text)" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/kestrel-html2text-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

for mb in $SIZES; do
  echo "-- $mb MB"
  for shape in mix tags text table entity page; do
    perl bench/pages.pl "$shape" $((mb * 1048576)) >"$work/$shape.html"
    size=$(awk -v s="$(stat -c %s "$work/$shape.html")" 'BEGIN { printf "%.1f", s / 1048576 }')
    report "html2text $shape" "$size" \
      "$(precise "$RUNS" "$TOOL" html2text --width 80 "$work/$shape.html")" \
      "$(precise "$RUNS" html2text -nometa -nobs -width 80 "$work/$shape.html")" "html2text" 25
    rm -f "$work/$shape.html"
  done
done
