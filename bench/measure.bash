# Sourced by the bench scripts: whole-process measurements with /usr/bin/time.
# measure RUNS INPUT CMD...: prints "CPU_SECONDS PEAK_KB", the least
# processor time (user + system) of RUNS runs reading INPUT on standard
# input, output discarded, and the largest peak resident size among them.
measure() {
  local runs=$1 input=$2; shift 2
  local best="" peak=0 line cpu kb out
  out=$(mktemp)
  for _ in $(seq "$runs"); do
    /usr/bin/time -o "$out" -f '%U %S %M' "$@" <"$input" >/dev/null 2>/dev/null || true
    line=$(tail -1 "$out")
    cpu=$(awk '{ printf "%.3f", $1 + $2 }' <<<"$line")
    kb=$(awk '{ print $3 }' <<<"$line")
    if [ -z "$best" ] || awk -v a="$cpu" -v b="$best" 'BEGIN { exit !(a < b) }'; then best=$cpu; fi
    [ "$kb" -gt "$peak" ] && peak=$kb
  done
  rm -f "$out"
  echo "$best $peak"
}

# precise RUNS CMD...: like measure, without input, but the processor time
# to the microsecond, through the bench's cpu-time program (/usr/bin/time
# rounds to 10 ms; the shell's `time` rounds user and system time each to
# the millisecond, off by up to 1 ms in all on a run of a few). Without
# cpu-time built, the shell's timing. PRECISE_BEFORE, when set, is run
# untimed before each run (to undo what the last run left behind).
precise() {
  local runs=$1; shift
  local best="" t TIMEFORMAT='%3U %3S' out
  local cputime=${BUILD_DIR:-build}/bin/cpu-time
  out=$(mktemp)
  for _ in $(seq "$runs"); do
    if [ -n "${PRECISE_BEFORE:-}" ]; then eval "$PRECISE_BEFORE"; fi
    if [ -x "$cputime" ]; then
      "$cputime" "$out" "$@" >/dev/null 2>&1 </dev/null || true
      t=$(awk '{ printf "%.6f", $1 }' "$out")
      [ -n "$t" ] || { echo "precise: $1 could not be timed" >&2; rm -f "$out"; return 1; }
    else
      t=$({ time "$@" >/dev/null 2>&1 </dev/null; } 2>&1)
      t=$(awk '{ printf "%.3f", $1 + $2 }' <<<"$t")
    fi
    if [ -z "$best" ] || awk -v a="$t" -v b="$best" 'BEGIN { exit !(a < b) }'; then best=$t; fi
  done
  rm -f "$out"
  echo "$best $(measure 1 /dev/null "$@" | cut -d' ' -f2)"
}

# report LABEL MB OURS PEER PEER-NAME [GOAL]: one line, time ratio peer/ours
# (above 1 means kestrel-tool is ahead) and both peaks in MiB; with GOAL,
# whether the ratio reaches it.
report() {
  local label=$1 mb=$2 ours=$3 peer=$4 name=$5 goal=${6:-}
  awk -v l="$label" -v mb="$mb" -v o="$ours" -v p="$peer" -v n="$name" -v g="$goal" 'BEGIN {
    split(o, a, " "); split(p, b, " ");
    oc = a[1] < 0.001 ? 0.001 : a[1]; pc = b[1] < 0.001 ? 0.001 : b[1];
    printf "%-30s %6.1f MB  kestrel-tool %6.3f s %6.1f MiB | %-12s %6.3f s %6.1f MiB | ratio %6.2f",
           l, mb, a[1], a[2] / 1024, n, b[1], b[2] / 1024, pc / oc
    if (g != "") { met = "NOT met"; if (pc / oc >= g + 0) met = "met"; printf "  (goal >= %s: %s)", g, met }
    printf "\n"
  }'
}
