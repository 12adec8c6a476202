#!/usr/bin/env bash
# A kestrun1 test case as the program of an activity: `pvxjsim execute` runs
# the work item's executable (a script that runs the case), which reads the
# program context through the PEA functions; the case's exit code finishes
# the activity and the instance follows.
set -uo pipefail
bin=$(readlink -f "$1")
sim=$(dirname "$bin")/client/pvxjsim
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
export PVXJSIM_DB="$work/store.db" LC_ALL=C
fail=0
bad() { echo "agent_program: $*"; fail=1; }

cat > peek.dat <<'CASE'
PvxjPEAProgramID BufferLength 256 XpValue "PX000000000001" End
PvxjPEAUserID BufferLength 256 XpValue "USER2" End
PvxjPEAProcessContextIsNull XpValue TRUE End
PvxjPEAPersistentOidOfActivityInstance PersistentOidHdl 1 BufferLength 256 XpValue "AI000000000001" End
PvxjPEARemoteUserID ProgramID DEFAULT BufferLength 256 XpValue "USER2" End
CASE
cat > peek.sh <<SCRIPT
#!/bin/sh
cd '$work' && exec '$bin' -i peek -o peek >/dev/null 2>&1
SCRIPT
chmod +x peek.sh
cat > def.json <<JSON
{ "programs": [ { "name": "Peek", "implementations": [
    { "platform": "Solaris", "kind": "exe", "path": "$work/peek.sh" } ] } ],
  "processTemplates": [ { "name": "PeekFlow", "activities": [
    { "name": "Look", "program": "Peek", "staff": { "persons": ["USER2"] } } ] } ] }
JSON
"$sim" create >/dev/null || bad "create failed"
"$sim" load def.json >/dev/null || bad "load failed"
"$sim" start PeekFlow --user USER2 >/dev/null || bad "start failed"
item=$("$sim" items --user USER2 --json | sed -E 's/.*"id":([0-9]+).*/\1/')
out=$("$sim" execute "$item" 2>&1)
[ "$out" = "executed $item, rc 0" ] || bad "execute said: $out"
grep -q '^+++OK+++' peek.log || bad "the case did not run"
grep -q -- "+++ERROR+++" peek.log && bad "the case failed: $(grep -B8 -- "+++ERROR+++" peek.log)"
"$sim" show instance 'PeekFlow#1' | grep -q ': FINISHED' || bad "instance not finished: $("$sim" show instance 'PeekFlow#1')"
# A finished item cannot run again.
"$sim" execute "$item" >/dev/null 2>&1 && bad "a finished item ran again"
exit $fail
