#!/usr/bin/env bash
# Whole-process runs of a loop over four tool-method sections per pass
# (LoopStart, two CommentToOutput, JumpToLoopStart), writing the result file:
# sections per second, result file size, the same bytes written by a plain
# buffered copy as the floor, and peak memory, at 10,000 and 1,000,000 passes.
set -euo pipefail
build=$1
bin=$(readlink -f "$build/kestrun1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

have_time=0
[ -x /usr/bin/time ] && have_time=1

now_ns() { date +%s%N; }

# Best wall time of `runs` runs of a command, in nanoseconds.
best_ns() {
  local runs=$1; shift
  local best=0 t0 t1
  for ((i = 0; i < runs; i++)); do
    t0=$(now_ns)
    "$@" >/dev/null 2>&1
    t1=$(now_ns)
    if ((best == 0 || t1 - t0 < best)); then best=$((t1 - t0)); fi
  done
  echo "$best"
}

peak_kib() {
  if ((have_time)); then
    /usr/bin/time -f '%M' -o "$work/peak" "$@" >/dev/null 2>&1 || true
    cat "$work/peak"
  else
    echo "n/a"
  fi
}

bench() {  # passes runs
  local passes=$1 runs=$2 name=loop$1
  cat >"$name.dat" <<EOF
TestTool_LoopStart NoOfLoops $passes End
TestTool_CommentToOutput Comment "pass" End
TestTool_CommentToOutput Comment "another short comment" ToStandardError FALSE End
TestTool_JumpToLoopStart
EOF
  local tool_ns floor_ns peak size sections
  tool_ns=$(best_ns "$runs" "$bin" -i "$name" -o "$name")
  # Check the run did what it should before trusting its figures.
  if ! tail -c 300 "$name.log" | grep -q "Test case ended normally"; then
    echo "$name: the run did not end normally" >&2
    exit 1
  fi
  grep -q "^TestTool_LoopStart \[planned: $passes\] \[actual: $passes\]$" "$name.log" ||
    { echo "$name: the last pass is missing" >&2; exit 1; }
  sections=$((4 * passes))
  size=$(stat -c %s "$name.log")
  floor_ns=$(best_ns "$runs" dd if="$name.log" of="$work/copy" bs=64K)
  rm -f "$work/copy"
  peak=$(peak_kib "$bin" -i "$name" -o "$name")
  awk -v n="$passes" -v s="$sections" -v t="$tool_ns" -v f="$floor_ns" -v b="$size" -v p="$peak" 'BEGIN {
    if (t <= 0) t = 1; if (f <= 0) f = 1;
    printf "%9d passes %9d sections %8.1f ms %12.0f sections/s %7.1f ns/section  result %7.1f MiB  floor %7.1f ms  tool/floor %5.2f  peak %s KiB\n",
      n, s, t / 1e6, s / (t / 1e9), t / s, b / 1048576, f / 1e6, t / f, p }'
  rm -f "$name.log"
}

bench 10000 5
bench 1000000 3
((have_time)) || echo "(peak memory needs /usr/bin/time: apt-get install time)"
