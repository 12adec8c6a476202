#!/usr/bin/env bash
# The banner on a terminal: box drawing as UTF-8 when standard error is a
# terminal with a UTF-8 locale; the code page 437 bytes everywhere else,
# a pipe with a UTF-8 locale included.
set -uo pipefail
bin=$(readlink -f "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
fail=0
if ! command -v script >/dev/null 2>&1; then
  echo "console: the script command (util-linux) is missing"; exit 1
fi
utf8=$(locale -a 2>/dev/null | grep -i -m1 -E '^(C|en_US)\.utf-?8$')
if [ -z "$utf8" ]; then
  echo "console: no UTF-8 locale on this machine"; exit 1
fi

# A pseudo-terminal for standard error only: stdout goes to a file.
on_tty() {  # locale
  script -q -e -c "LC_ALL=$1 '$bin' -h >/dev/null" /dev/null </dev/null | tr -d '\r'
}
box_utf8=$'\xE2\x94\x8C'
box_437=$'\xDA'
out=$(on_tty "$utf8" | head -c 400)
[[ "$out" == *"$box_utf8"* ]] || { echo "console: no UTF-8 box drawing on a UTF-8 terminal"; fail=1; }
[[ "$out" != *"$box_437"* ]] || { echo "console: code page 437 bytes on a UTF-8 terminal"; fail=1; }
out=$(on_tty C | head -c 400 | od -An -tx1 | tr -d ' \n')
[[ "$out" == *"0ada"*"c4c4"* ]] || { echo "console: a C-locale terminal must get the code page 437 bytes"; fail=1; }

# Into a pipe the bytes stay exactly as they always were.
LC_ALL=$utf8 "$bin" -h 2>pipe.err >/dev/null
printf '\n\xDA' >expect
for i in $(seq 76); do printf '\xC4'; done >>expect
printf '\xBF\n\xB3  Generic C Api Test Tool for Altaris v340 : kestrun1.exe\n\xB3  Windows 9x/NT/2000/XP\n\xC0' >>expect
for i in $(seq 76); do printf '\xC4'; done >>expect
printf '\xD9\n\n' >>expect
cmp -s expect pipe.err || { echo "console: banner bytes into a pipe changed"; fail=1; }

# --help is -h with the long options after it; -h itself is unchanged.
"$bin" -h >h.out 2>/dev/null
"$bin" --help >help.out 2>/dev/null
cmp -s h.out <(head -n "$(wc -l <h.out)" help.out) || { echo "console: --help does not begin with the -h text"; fail=1; }
grep -q -- "--check" help.out && ! grep -q -- "--check" h.out || { echo "console: long options misplaced"; fail=1; }

# An unknown long option is refused as any unknown option always was.
"$bin" --bogus >/dev/null 2>bogus.err
[ $? = 4 ] && grep -q "^Unknown option: --bogus$" bogus.err || { echo "console: --bogus"; fail=1; }
exit $fail
