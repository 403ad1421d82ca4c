#!/usr/bin/env bash
# Throughput of `kestrel-tool html2text` against Debian's html2text on the
# same generated HTML corpus (Shift_JIS and ASCII text, the common tags,
# scripts, entities). Prints both rates and their ratio.
set -euo pipefail

BUILD_DIR=${BUILD_DIR:-build}
TOOL="$BUILD_DIR/bin/kestrel-tool"
SIZE_MB=${HTML2TEXT_BENCH_MB:-32}
ROUNDS=${HTML2TEXT_BENCH_ROUNDS:-3}

if [ ! -x "$TOOL" ]; then
  echo "html2text bench: $TOOL is not built" >&2
  exit 1
fi
if ! command -v html2text >/dev/null; then
  echo "html2text bench: the html2text program is missing (apt-get install html2text)" >&2
  exit 1
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/kestrel-html2text-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

# One block of a page, then doubled until the corpus is large enough.
jp=$'\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x83\x65\x83\x4c\x83\x58\x83\x67\x82\xc5\x82\xb7\x81\x42'
{
  printf '<html><head><title>Kestrel bench page</title>\n'
  printf '<style type="text/css">p { margin: 0 } td { padding: 2px }</style>\n'
  printf '<script language="JavaScript">function f(a, b) { return a < b; }</script>\n'
  printf '</head><body bgcolor="#FFFFFF">\n'
  for i in $(seq 1 40); do
    printf '<h2 align="center">Section %d</h2>\n' "$i"
    printf '<p>Palm OS software for the handheld, version %d.%d &amp; more &lt;tags&gt;\n' "$i" "$i"
    printf 'in a paragraph that runs   over several   lines, %s\n' "$jp"
    printf 'with <a href="http://example.com/page%d.html">a link</a> and <b>bold</b> text.</p>\n' "$i"
    printf '<ul><li>%s one<li>item two<li>item three</ul>\n' "$jp"
    printf '<table border="1"><tr><td nowrap>cell %d</td><td align=right>%s</td></tr></table>\n' "$i" "$jp"
    printf '<img src="images/Logo%d.gif" alt="logo"><br>\n<hr>\n' "$i"
  done
  printf '</body></html>\n'
} > "$work/block.html"

cp "$work/block.html" "$work/corpus.html"
limit=$((SIZE_MB * 1024 * 1024))
while [ "$(stat -c %s "$work/corpus.html")" -lt "$limit" ]; do
  cat "$work/corpus.html" "$work/corpus.html" > "$work/next.html"
  mv "$work/next.html" "$work/corpus.html"
done
bytes=$(stat -c %s "$work/corpus.html")

# Best wall time of several rounds, in nanoseconds.
best_time() {
  local best=0 start end elapsed
  for _ in $(seq 1 "$ROUNDS"); do
    start=$(date +%s%N)
    "$@" > /dev/null
    end=$(date +%s%N)
    elapsed=$((end - start))
    if [ "$best" -eq 0 ] || [ "$elapsed" -lt "$best" ]; then best=$elapsed; fi
  done
  echo "$best"
}

ours=$(best_time "$TOOL" html2text --width 80 "$work/corpus.html")
theirs=$(best_time html2text -nobs -width 80 "$work/corpus.html")

rate() { awk -v b="$bytes" -v ns="$1" 'BEGIN { printf "%.1f", b / 1048576 / (ns / 1e9) }'; }
echo "html2text corpus: $((bytes / 1048576)) MB"
echo "  kestrel-tool html2text: $(rate "$ours") MB/s"
echo "  html2text (Debian):     $(rate "$theirs") MB/s"
awk -v a="$theirs" -v b="$ours" 'BEGIN { printf "  ratio kestrel-tool/html2text: %.2f\n", a / b }'
