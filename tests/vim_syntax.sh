#!/usr/bin/env bash
# The generated Vim files in a real Vim: a test case file is detected as
# such, other .dat files are not, and words get their syntax groups.
set -uo pipefail
src=$1
command -v vim >/dev/null 2>&1 || { echo "vim not installed: skipped"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf '1 2 3\n4 5 6\n' >"$work/numbers.dat"
cat >"$work/case.dat" <<'DAT'
/* a comment first */
PvxjExecutionServiceLogon ExecutionServiceHdl 1 UserID "<CL-VALUE>" XpRc PVX_OK End
DAT
probe() {  # file, then Vim expressions; prints one value per line
  local file=$1; shift
  local list
  list=$(IFS=,; echo "$*")
  rm -f "$work/out"
  HOME=$work vim -N -u NONE -i NONE -n -Es --cmd "set rtp^=$src/editors/vim" \
    -c 'filetype on' -c 'syntax on' -c "edit $file" -c "call writefile([$list], '$work/out')" \
    -c 'qa!' </dev/null >/dev/null 2>&1
  cat "$work/out" 2>/dev/null
}
syn() { echo "synIDattr(synID($1, $2, 1), 'name')"; }
got=$(probe "$work/case.dat" '&filetype' "$(syn 1 4)" "$(syn 2 1)" "$(syn 2 27)" "$(syn 2 47)" \
  "$(syn 2 51)" "$(syn 2 56)" "$(syn 2 58)" "$(syn 2 69)" "$(syn 2 74)" "$(syn 2 83)")
want=$'kestrun\nkestrunComment\nkestrunSection\nkestrunHandle\nkestrunNumber\nkestrunParameter\nkestrunString\nkestrunClValue\nkestrunParameter\nkestrunReturnCode\nkestrunEnd'
other=$(probe "$work/numbers.dat" '&filetype')
fail=0
if [ "$got" != "$want" ]; then
  echo "expected:"; echo "$want"; echo "got:"; echo "$got"; fail=1
fi
if [ "$other" = kestrun ]; then echo "numbers.dat taken for a test case file"; fail=1; fi
[ "$fail" -eq 0 ] && echo "vim: detected and highlighted"
exit "$fail"
