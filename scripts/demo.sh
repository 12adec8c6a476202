#!/usr/bin/env bash
# make demo: runs the sample test case against a fresh simulated store and
# shows its result file.
set -uo pipefail
build=${1:-build}
out="$build/tour.log"
export PVXJSIM_DB="$build/demo-store.db"
rm -f "$PVXJSIM_DB" "$PVXJSIM_DB-wal" "$PVXJSIM_DB-shm"
"$build/kestrun1" -i examples/tour.dat -o "$out" -u USER1 -p pw1
rc=$?
echo
echo "Result file: $out (exit code $rc)"
echo "----------------------------------------------------------------------------"
cat "$out"
exit "$rc"
