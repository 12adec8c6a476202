#!/usr/bin/env bash
# Runs one hostile input: tests/hostile/NAME.dat, or NAME.gen, a bash script
# that writes NAME.dat into the working folder (for inputs too large to keep
# in the repository). Expectations beside it:
#
#   NAME.rc      expected exit code (default 0)
#   NAME.expect  lines that must each appear in standard error or the result file
#   NAME.args    arguments, one per line (default: -i NAME -o NAME)
#   NAME.files/  extra files copied into the working folder first
#
# Every case must end within HOSTILE_SECONDS (default 60, sanitizer builds
# included) and leave no sanitizer report.
set -uo pipefail
bin=$1 dir=$(cd "$2" && pwd) name=$3
limit=${HOSTILE_SECONDS:-60}
export LC_ALL=C
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

[ -d "$dir/$name.files" ] && cp -r "$dir/$name.files/." "$work/"
if [ -f "$dir/$name.gen" ]; then
  (cd "$work" && bash "$dir/$name.gen") || { echo "$name: generator failed"; exit 1; }
else
  cp "$dir/$name.dat" "$work/"
fi
ln -s "$(readlink -f "$bin")" "$work/kestrun1"
args=(-i "$name" -o "$name" -u ADMIN -p password)
[ -f "$dir/$name.args" ] && mapfile -t args < "$dir/$name.args"

export PVXJSIM_DB="$work/store.db"
start=$(date +%s)
(cd "$work" && timeout -k 5 "$limit" ./kestrun1 "${args[@]}" </dev/null >"$work/.stdout" 2>"$work/.stderr")
rc=$?
took=$(( $(date +%s) - start ))
fail=0
want=0
[ -f "$dir/$name.rc" ] && want=$(cat "$dir/$name.rc")
if [ $rc -eq 124 ] || [ $rc -eq 137 ]; then
  echo "$name: no end within ${limit}s"; fail=1
elif [ "$rc" != "$want" ]; then
  echo "$name: exit code $rc, expected $want"; fail=1
fi
if grep -qE 'Sanitizer|runtime error:' "$work/.stderr"; then
  echo "$name: sanitizer report:"; head -40 "$work/.stderr"; fail=1
fi
if [ -f "$dir/$name.expect" ]; then
  while IFS= read -r line; do
    [ -z "$line" ] && continue
    if ! grep -qF -- "$line" "$work/.stderr" "$work/$name.log" 2>/dev/null; then
      echo "$name: missing: $line"; fail=1
    fi
  done <"$dir/$name.expect"
fi
[ $fail -ne 0 ] && { echo "--- stderr (last lines)"; tail -c 2000 "$work/.stderr"; }
echo "$name: exit code $rc in ${took}s"
exit $fail
