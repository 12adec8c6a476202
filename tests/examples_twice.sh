#!/usr/bin/env bash
# Runs every example twice in a row against one simulated store, as a tester
# does by hand with the default per-user store: each run must pass.
set -uo pipefail
bin=$(readlink -f "$1") dir=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export PVXJSIM_DB="$work/store.db"
fail=0
for round in 1 2; do
  for f in "$dir"/*.dat; do
    name=$(basename "$f" .dat)
    (cd "$work" && "$bin" -i "$f" -o "$name.$round.log" -u USER1 -p pw1 </dev/null >/dev/null 2>"$name.$round.err")
    rc=$?
    if [ "$rc" -ne 0 ]; then
      echo "$name: run $round ended with exit code $rc"
      grep -v '^[^[:print:]]' "$work/$name.$round.err" | tail -n 5
      fail=1
    fi
  done
done
[ "$fail" -eq 0 ] && echo "every example passed twice against one store"
exit "$fail"
