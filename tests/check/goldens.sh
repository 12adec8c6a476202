#!/usr/bin/env bash
# The syntax check over every test case file of the project: the golden
# cases, the check gallery and the examples.
#
# 1. Every tool error the check predicts (a finding tagged [TCnnnn]) is one
#    the run really reports on its console: the check never cries wolf.
# 2. For the files listed in expected.txt, the findings are exactly those
#    written there (GOLDEN_UPDATE=1 rewrites it for the files it lists).
set -uo pipefail
bin=$(readlink -f "$1") root=$(cd "$2" && pwd)
export LC_ALL=C
here="$root/tests/check"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$root"

files=(tests/cases/*.dat tests/cases/check_gallery.files/gallery/*.dat examples/*.dat)
fail=0

for f in "${files[@]}"; do
  name=$(basename "$f" .dat)
  dir=$(dirname "$f")
  findings=$("$bin" --check "$f")
  tcs=$(grep -o '\[TC[0-9]*\]' <<<"$findings" | tr -d '[]' | sort -u)
  [ -z "$tcs" ] && continue
  # Command-line cases run other modes; their files are only checked.
  [ -f "$dir/$name.args" ] && continue
  rm -rf "$work/run" && mkdir -p "$work/run"
  cp "$f" "$work/run/"
  [ -d "$dir/$name.files" ] && cp -r "$dir/$name.files/." "$work/run/"
  stdin=/dev/null
  [ -f "$dir/$name.stdin" ] && stdin="$root/$dir/$name.stdin"
  (cd "$work/run" && PVXJSIM_DB="$work/run/store.db" timeout 120 "$bin" -i "$name.dat" -o NoOutput \
    <"$stdin" >/dev/null 2>"$work/run/.stderr")
  for tc in $tcs; do
    if ! grep -q "^$tc  TC ERROR:" "$work/run/.stderr"; then
      echo "$f: the check predicts $tc, the run reports no $tc"
      fail=1
    fi
  done
done

# Exact findings for the listed files.
expected="$here/expected.txt"
actual="$work/expected.txt"
: >"$actual"
while IFS= read -r line; do
  case "$line" in
    "== "*)
      f=${line#== }
      echo "$line" >>"$actual"
      "$bin" --check "$f" >>"$actual"
      ;;
  esac
done <"$expected"
if [ "${GOLDEN_UPDATE:-}" = 1 ]; then
  cp "$actual" "$expected"
elif ! diff -u --label expected --label actual "$expected" "$actual"; then
  fail=1
fi
exit $fail
