#!/usr/bin/env bash
# Runs one golden case: tests/cases/NAME.dat with its expectations beside it.
#
#   NAME.args    arguments, one per line (default: -i NAME -o NAME)
#   NAME.stdin   standard input (default: none)
#   NAME.rc      expected exit code (default 0)
#   NAME.err     expected standard error (required)
#   NAME.log     expected result file NAME.log (required when the run writes it)
#   NAME.stdout  expected standard output
#   NAME.out     expected file out.txt (reference files)
#   NAME.files/  extra files copied into the working folder first
#   NAME.env     environment variables for the run, one NAME=value a line
#                (for example those the program execution agent sets)
#   NAME.nosan   left out of the sanitizer pass (the file says why)
#   NAME.then    a second test case run afterwards in the same folder and
#                store (files written by the first are read back), with
#                NAME.then.args, NAME.then.log and NAME.then.rc
#   NAME.setup   pvxjsim commands run against the case's store before the
#                run (and NAME.then.setup before the second run), one a line,
#                words split at blanks, run in the working folder ("#" lines
#                are comments; a line starting "-" may fail): to set the
#                server's clock, start instances, finish work items or bring
#                about a state the API alone cannot (a program's bad output)
#
# Only what must vary is masked: the date line, elapsed milliseconds and time
# stamps. GOLDEN_UPDATE=1 rewrites the expectations from the actual run.
set -uo pipefail
bin=$1 dir=$(cd "$2" && pwd) name=$3
export LC_ALL=C
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cp "$dir/$name.dat" "$work/"
[ -d "$dir/$name.files" ] && cp -r "$dir/$name.files/." "$work/"
ln -s "$(readlink -f "$bin")" "$work/kestrun1"
args=(-i "$name" -o "$name")
if [ -f "$dir/$name.args" ]; then
  mapfile -t args < "$dir/$name.args"
fi
stdin=/dev/null
[ -f "$dir/$name.stdin" ] && stdin="$dir/$name.stdin"

# Each case gets its own simulator store.
export PVXJSIM_DB="$work/store.db"
if [ -f "$dir/$name.env" ]; then
  while IFS= read -r line || [ -n "$line" ]; do
    [ -n "$line" ] && export "$line"
  done < "$dir/$name.env"
fi
# The console beside the tool's build (PVXJSIM names another).
pvxjsim=${PVXJSIM:-$(dirname "$(readlink -f "$bin")")/client/pvxjsim}
setup() {  # commands-file
  [ -f "$1" ] || return 0
  local line words may_fail
  while IFS= read -r line || [ -n "$line" ]; do
    if [ -z "$line" ] || [ "${line:0:1}" = "#" ]; then continue; fi
    may_fail=0
    if [ "${line:0:1}" = "-" ]; then may_fail=1; line=${line:1}; fi
    read -ra words <<<"$line"
    if ! (cd "$work" && timeout 120 "$pvxjsim" "${words[@]}" >>"$work/.setup" 2>&1) && [ $may_fail = 0 ]; then
      echo "$name: setup failed: pvxjsim $line"; cat "$work/.setup"; exit 1
    fi
  done <"$1"
}
setup "$dir/$name.setup"
(cd "$work" && timeout 120 ./kestrun1 "${args[@]}" <"$stdin" >"$work/.stdout" 2>"$work/.stderr")
rc=$?

mask() {
  sed -E \
    -e 's/^(Mon|Tue|Wed|Thu|Fri|Sat|Sun) (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) [ 0-9][0-9] [0-9]{2}:[0-9]{2}:[0-9]{2} [0-9]{4}$/<DATE>/' \
    -e 's/^(===>|--->|\+\+\+>) [0-9]+ ms/\1 <MS> ms/' \
    -e 's/^---> average: [0-9]+ ms/---> average: <MS> ms/' \
    -e 's/[0-9]{4}-[0-9]{2}-[0-9]{2}, [0-9]{2}:[0-9]{2}:[0-9]{2}\.[0-9]{3}/<TIMESTAMP>/g' \
    "$1"
}

fail=0
check() {  # expected-file actual-file label
  local exp=$1 act=$2 label=$3
  [ -f "$exp" ] || return 0
  if [ ! -f "$act" ]; then
    echo "$name: $label: no such output: $(basename "$act")"; fail=1; return
  fi
  if [ "${GOLDEN_UPDATE:-}" = 1 ]; then mask "$act" >"$exp"; return; fi
  if ! diff -u --label "expected $label" --label "actual $label" <(mask "$exp") <(mask "$act"); then
    fail=1
  fi
}

# A case must say what it expects: standard error always, and the result
# file whenever the run wrote one; otherwise it would pass whatever came out.
require() {  # expected-file actual-file label
  [ -f "$1" ] && return 0
  if [ "${GOLDEN_UPDATE:-}" = 1 ]; then mask "$2" >"$1"; return 0; fi
  echo "$name: no expected $3: $(basename "$1")"; fail=1
}
require "$dir/$name.err" "$work/.stderr" "standard error"
[ -f "$work/$name.log" ] && require "$dir/$name.log" "$work/$name.log" "result file"
check "$dir/$name.err" "$work/.stderr" stderr
check "$dir/$name.log" "$work/$name.log" "result file"
check "$dir/$name.stdout" "$work/.stdout" stdout
check "$dir/$name.out" "$work/out.txt" out.txt

check_rc() {  # expected-file actual label
  local want=0
  [ -f "$1" ] && want=$(cat "$1")
  if [ "${GOLDEN_UPDATE:-}" = 1 ]; then
    echo "$2" >"$1"
  elif [ "$2" != "$want" ]; then
    echo "$name: $3 exit code $2, expected $want"; fail=1
  fi
}
check_rc "$dir/$name.rc" "$rc" ""

if [ -f "$dir/$name.then" ]; then
  cp "$dir/$name.then" "$work/${name}_then.dat"
  args=(-i "${name}_then" -o "${name}_then")
  [ -f "$dir/$name.then.args" ] && mapfile -t args < "$dir/$name.then.args"
  setup "$dir/$name.then.setup"
  (cd "$work" && timeout 120 ./kestrun1 "${args[@]}" </dev/null >/dev/null 2>"$work/.stderr2")
  rc=$?
  [ -f "$work/${name}_then.log" ] && require "$dir/$name.then.log" "$work/${name}_then.log" "second run's result file"
  check "$dir/$name.then.log" "$work/${name}_then.log" "second run's result file"
  check_rc "$dir/$name.then.rc" "$rc" "second run's"
fi
exit $fail
