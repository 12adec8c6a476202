#!/usr/bin/env bash
# Whole-process runs of execution service sections against the simulated
# client: a loop over the logon state, a template query with its object names
# report and the vector's deallocation, against an in-memory and a file store.
set -euo pipefail
build=$1
bin=$(readlink -f "$build/kestrun1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

make_case() {  # passes
  cat <<CASE
PvxjExecutionServiceAllocate ExecutionServiceHdl 1 XpRc PVX_OK End
PvxjExecutionServiceLogon ExecutionServiceHdl 1 UserID "ADMIN" Password "password" XpRc PVX_OK End
TestTool_LoopStart NoOfLoops $1 End
  PvxjExecutionServiceIsLoggedOn ExecutionServiceHdl 1 XpValue TRUE End
  PvxjExecutionServiceQueryProcessTemplates ExecutionServiceHdl 1 Filter NULL SortCriteria "NAME ASC"
    Threshold NULL ProcessTemplateVectorHdl 1 ShowAllObjectNames TRUE XpRc PVX_OK End
  PvxjProcessTemplateVectorDeallocate ProcessTemplateVectorHdl 1 XpRc PVX_OK End
TestTool_JumpToLoopStart
PvxjExecutionServiceLogoff ExecutionServiceHdl 1 XpRc PVX_OK End
CASE
}

run() {  # label store passes
  local label=$1 store=$2 passes=$3
  make_case "$passes" >"$work/api.dat"
  rm -f "$work"/store.db*
  local t0 t1 peak="n/a"
  t0=$(date +%s%N)
  if [ -x /usr/bin/time ]; then
    PVXJSIM_DB=$store /usr/bin/time -v "$bin" -i "$work/api.dat" -o "$work/api.log" 2>"$work/time.txt" >/dev/null
    peak="$(awk '/Maximum resident set size/ {print $NF}' "$work/time.txt") KiB"
  else
    PVXJSIM_DB=$store "$bin" -i "$work/api.dat" -o "$work/api.log" 2>/dev/null >/dev/null
  fi
  t1=$(date +%s%N)
  grep -q "ended normally" "$work/api.log" || { echo "$label: run did not end normally"; tail -5 "$work/api.log"; exit 1; }
  local ms=$(( (t1 - t0) / 1000000 ))
  awk -v l="$label" -v p="$passes" -v ms="$ms" -v peak="$peak" 'BEGIN {
    n = p * 3; s = ms / 1000.0; if (s <= 0) s = 0.001;
    printf "%-12s %7d passes %8d API sections %7d ms %10.0f sections/s %7.1f us/section  peak %s\n",
           l, p, n, ms, n / s, ms * 1000.0 / n, peak }'
}

for passes in 1000 100000; do
  run memory ":memory:" "$passes"
  run file "$work/store.db" "$passes"
done
