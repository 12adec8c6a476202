#!/usr/bin/env bash
# --junit beside a run: the file parses as XML, holds one test case per
# section with its failure or error, is written when the run breaks off,
# stays valid whatever bytes the test case holds, and the run's own output
# is byte for byte what it is without the option.
set -uo pipefail
bin=$(readlink -f "$1") root=$(cd "$2" && pwd)
here="$root/tests/check"
export LC_ALL=C
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
fail=0
die() { echo "junit: $*"; fail=1; }
mask_date() { sed -E 's/^(Mon|Tue|Wed|Thu|Fri|Sat|Sun) .* [0-9]{4}$/<DATE>/' "$1"; }

cp "$here/junit.files/mixed.dat" .
PVXJSIM_DB=:memory: "$bin" -i mixed -o mixed >/dev/null 2>plain.err
rc_plain=$?
mv mixed.log plain.log
PVXJSIM_DB=:memory: "$bin" -i mixed -o mixed --junit mixed.xml >/dev/null 2>with.err
rc_with=$?
mv mixed.log with.log
[ "$rc_plain" = 12 ] || die "exit code $rc_plain, expected 12"
[ "$rc_plain" = "$rc_with" ] || die "exit code $rc_with with --junit, $rc_plain without"
cmp -s <(mask_date plain.log) <(mask_date with.log) || die "the result file differs with --junit"
cmp -s plain.err with.err || die "the console differs with --junit"

# A strict parser reads it; the structure is what the run did.
python3 - mixed.xml <<'PY' || fail=1
import sys, xml.etree.ElementTree as ET
root = ET.parse(sys.argv[1]).getroot()
suites = root.findall("testsuite")
assert len(suites) == 1, suites
s = suites[0]
cases = s.findall("testcase")
names = [c.get("name") for c in cases]
assert names == [
    "PvxjExecutionServiceAllocate (line 2)", "PvxjExecutionServiceLogon (line 3)",
    "PvxjExecutionServiceLogon (line 4)", "PvxjExecutionServiceIsLoggedOn (line 5)",
    "TestTool_LoopStart (line 6)", "TestTool_CommentToOutput (line 7, pass 1)",
    "TestTool_JumpToLoopStart (line 8, pass 1)", "TestTool_LoopStart (line 6, pass 2)",
    "TestTool_CommentToOutput (line 7, pass 2)", "TestTool_JumpToLoopStart (line 8, pass 2)",
    "PvxjExecutionServiceRefresh (line 9)", "TestTool_Bogus (line 10)", "/* (line 11)"], names
fails = {c.get("name"): c.find("failure") for c in cases if c.find("failure") is not None}
errs = {c.get("name"): c.find("error") for c in cases if c.find("error") is not None}
assert sorted(fails) == ["PvxjExecutionServiceIsLoggedOn (line 5)", "PvxjExecutionServiceLogon (line 3)"], fails
assert "AcRc = PVX_ERROR_PASSWORD" in fails["PvxjExecutionServiceLogon (line 3)"].get("message")
assert "+++ERROR+++" in fails["PvxjExecutionServiceIsLoggedOn (line 5)"].text
assert {n: e.get("type") for n, e in errs.items()} == {
    "PvxjExecutionServiceRefresh (line 9)": "TC0015", "TestTool_Bogus (line 10)": "TC0006",
    "/* (line 11)": "TC0022"}, errs
assert "Handle value = 50" in errs["PvxjExecutionServiceRefresh (line 9)"].get("message")
for c in cases:
    float(c.get("time"))
props = {p.get("name"): p.get("value") for p in s.find("properties")}
assert props == {"verdict": "break due to error(s)", "exit_code": "12"}, props
assert (s.get("tests"), s.get("failures"), s.get("errors")) == ("13", "2", "3")
PY

# The whole file, times masked, as reviewed.
sed -E 's/time="[0-9]+\.[0-9]{3}"/time="T"/g' mixed.xml >mixed.masked
if [ "${GOLDEN_UPDATE:-}" = 1 ]; then cp mixed.masked "$here/junit.files/mixed.xml"
elif ! diff -u "$here/junit.files/mixed.xml" mixed.masked; then fail=1; fi

# Every byte value in a section's text, and a fatal end: still a valid file.
python3 -c '
import sys
body = bytes(b for b in range(1, 256) if b not in (0x22, 0x1A))
sys.stdout.buffer.write(b"TestTool_CommentToOutput Comment \"" + body + b"\" Bogus End\n")
sys.stdout.buffer.write(b"PvxjExecutionServiceAllocate ExecutionServiceHdl 1 End\n")
sys.stdout.buffer.write(b"PvxjExecutionServiceSystemName ExecutionServiceHdl 1 BufferLength 0 End\n")
' >bytes.dat
PVXJSIM_DB=:memory: "$bin" -i bytes -o NoOutput --junit=bytes.xml >/dev/null 2>&1
[ $? = 1 ] || die "bytes.dat: expected the fatal exit code 1"
python3 - bytes.xml <<'PY' || fail=1
import sys, xml.etree.ElementTree as ET
s = ET.parse(sys.argv[1]).getroot().find("testsuite")
types = [(c.find("error").get("type") if c.find("error") is not None else None) for c in s.findall("testcase")]
assert types == ["TC0010", None, "TC0023"], types
props = {p.get("name"): p.get("value") for p in s.find("properties")}
assert props == {"verdict": "ended by a fatal tool error", "exit_code": "1"}, props
PY

# A JUnit file that cannot be written ends the run as a result file that
# cannot be written does: exit code 1 and the file named with the reason,
# and no half-written file left behind.
PVXJSIM_DB=:memory: "$bin" -i mixed -o NoOutput --junit /nonexistent/dir/x.xml >/dev/null 2>err.txt
[ $? = 1 ] || die "unwritable JUnit file: exit code not 1"
grep -q "^Can not write file:  /nonexistent/dir/x.xml  (No such file or directory)$" err.txt ||
  die "no message for an unwritable JUnit file"
if [ -w /dev/full ]; then
  PVXJSIM_DB=:memory: "$bin" -i mixed -o NoOutput --junit /dev/full >/dev/null 2>err.txt
  [ $? = 1 ] || die "full JUnit file: exit code not 1"
  grep -q "^Can not write file:  /dev/full  (No space left on device)$" err.txt || die "no message for a full JUnit file"
fi
# A plain file that cannot take it all (a file size limit) is removed.
(trap "" XFSZ; ulimit -f 1; PVXJSIM_DB=:memory: exec "$bin" -i mixed -o NoOutput --junit big.xml) >/dev/null 2>err.txt
[ $? = 1 ] || die "JUnit file over the size limit: exit code not 1"
grep -q "^Can not write file:  big.xml  (File too large)$" err.txt || die "no message for a JUnit file over the size limit"
[ -e big.xml ] && die "a half-written JUnit file was left"

# --junit never replaces the test case or the result file, under any name,
# and the run does not start.
cp "$here/junit.files/mixed.dat" keep.dat
mkdir sub && ln -s ../keep.log sub/dangling.xml && ln keep.dat hard.xml
for target in keep.dat ./keep.dat "$work/keep.dat" hard.xml keep.log ./keep.log sub/../keep.log sub/dangling.xml; do
  rm -f keep.log
  PVXJSIM_DB=:memory: "$bin" -i keep -o keep --junit "$target" >/dev/null 2>err.txt
  rc=$?
  [ $rc = 4 ] || die "--junit $target: exit code $rc, expected 4"
  grep -q "^USAGE ERROR: Input / output file specification is identical$" err.txt || die "--junit $target: no usage error"
  cmp -s keep.dat "$here/junit.files/mixed.dat" || die "--junit $target replaced the test case"
  [ -e keep.log ] && die "--junit $target: the run started"
done
# Another file in the same folder is fine.
PVXJSIM_DB=:memory: "$bin" -i keep -o keep --junit keep.xml >/dev/null 2>&1
[ $? = 12 ] || die "--junit keep.xml: the run did not go as without it"
exit $fail
