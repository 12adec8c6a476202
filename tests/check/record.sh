#!/usr/bin/env bash
# --record on the example gallery: every example, recorded against a fresh
# simulated store, runs again to "Test case ended normally"; recording the
# recorded file writes it back unchanged (it has all its expectations), and
# so does --record-all; the recording added expectations somewhere.
set -uo pipefail
bin=$(readlink -f "$1") root=$(cd "$2" && pwd)
export LC_ALL=C PVXJSIM_DB=:memory:
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
fail=0
die() { echo "record: $*"; fail=1; }
added=0
for f in "$root"/examples/*.dat; do
  name=$(basename "$f" .dat)
  "$bin" -i "$f" -o "$name-1" -u USER1 -p pw1 --record "$name.rec.dat" </dev/null >/dev/null 2>"$name.1.err"
  rc=$?
  [ "$rc" = 0 ] || { die "$name: the recording run ended with $rc"; continue; }
  [ -f "$name.rec.dat" ] || { die "$name: nothing recorded"; continue; }
  "$bin" -i "$name.rec.dat" -o "$name-2" -u USER1 -p pw1 </dev/null >/dev/null 2>"$name.2.err"
  rc=$?
  [ "$rc" = 0 ] || die "$name: the recorded file ended with $rc"
  tail -n 1 "$name-2.log" | grep -q "Test case ended normally" || die "$name: the recorded file does not end normally"
  "$bin" -i "$name.rec.dat" -o "$name-3" -u USER1 -p pw1 --record "$name.again.dat" </dev/null >/dev/null 2>&1
  cmp -s "$name.rec.dat" "$name.again.dat" || die "$name: a file with all its expectations changed when recorded"
  "$bin" -i "$name.rec.dat" -o "$name-4" -u USER1 -p pw1 --record "$name.all.dat" --record-all </dev/null >/dev/null 2>&1
  cmp -s "$name.rec.dat" "$name.all.dat" || die "$name: --record-all changed expectations that hold"
  # Only expectations were added: dropping the added words gives the original back.
  n=$(diff <(tr -s ' \n\t' '\n\n\n' <"$f") <(tr -s ' \n\t' '\n\n\n' <"$name.rec.dat") | grep -c '^>')
  added=$((added + n))
  if diff <(tr -s ' \n\t' '\n\n\n' <"$f") <(tr -s ' \n\t' '\n\n\n' <"$name.rec.dat") | grep -q '^<'; then
    die "$name: the recording lost words of the original"
  fi
done
[ "$added" -gt 0 ] || die "no example gained an expectation"

# An exploratory case: an example without its return-code expectations (those
# between IF and THEN make the IF expression, so examples with IFs stay out)
# gets every one back from the recording, and the recorded file passes.
for f in "$root"/examples/*.dat; do
  grep -q TestTool_If "$f" && continue
  name=$(basename "$f" .dat)
  sed -E 's/XpRc[[:space:]]+[A-Z_]+//' "$f" >"$name.bare.dat"
  "$bin" -i "$name.bare.dat" -o "$name-b" -u USER1 -p pw1 --record "$name.back.dat" </dev/null >/dev/null 2>&1
  "$bin" -i "$name.back.dat" -o "$name-c" -u USER1 -p pw1 </dev/null >/dev/null 2>&1 ||
    die "$name: the recording of the bare example does not pass"
  # Every return code comes back (sections that had none gain one), but those
  # of sections the run abandons (a handle out of range) are never checked.
  want=$(grep -o 'XpRc [A-Z_]*' "$f" | wc -l) got=$(grep -o 'XpRc [A-Z_]*' "$name.back.dat" | wc -l)
  [ "$got" -ge $((want - 1)) ] ||
    die "$name: the recording did not bring back the return codes"
done

# A wrong expectation is replaced only with --record-all, and the run still reports it.
cat >wrong.dat <<'DAT'
PvxjExecutionServiceAllocate ExecutionServiceHdl 1 XpRc PVX_OK End
PvxjExecutionServiceLogoff ExecutionServiceHdl 1
   XpRc PVX_OK
End
DAT
"$bin" -i wrong.dat -o wrong --record kept.dat >/dev/null 2>&1
[ $? = 8 ] || die "a failing expectation did not fail the recording run"
cmp -s wrong.dat kept.dat || die "--record replaced an expectation"
"$bin" -i wrong.dat -o wrong --record fixed.dat --record-all >/dev/null 2>&1
grep -q '^   XpRc PVX_ERROR_NOT_LOGGED_ON$' fixed.dat || die "--record-all did not write the return code seen"
"$bin" -i fixed.dat -o fixed >/dev/null 2>&1 || die "the fixed file does not pass"

# Command lines that cannot record.
"$bin" -i wrong.dat -o x --record >/dev/null 2>err.txt; rc=$?
[ $rc = 4 ] && grep -q 'Missing argument: --record ???' err.txt || die "--record without a file: $rc"
"$bin" -i wrong.dat -o x --record-all >/dev/null 2>err.txt; rc=$?
[ $rc = 4 ] || die "--record-all without --record: $rc"
"$bin" -i wrong.dat -o x --record wrong.dat >/dev/null 2>err.txt; rc=$?
[ $rc = 4 ] && grep -q 'identical' err.txt || die "--record over the test case itself: $rc"
"$bin" -i wrong.dat -o x --record /nonexistent/dir/r.dat >/dev/null 2>err.txt; rc=$?
[ $rc = 1 ] && grep -q 'Can not write file:  /nonexistent/dir/r.dat' err.txt || die "an unwritable record file: $rc"

[ "$fail" = 0 ] && echo "record: every example recorded and passed again ($added words added)"
exit "$fail"
