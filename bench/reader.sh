#!/usr/bin/env bash
# Whole-process runs of the driver and reader: 200,000 comment-and-skip items,
# and one file of 1,000,000 tokens.
set -euo pipefail
build=$1
bin=$(readlink -f "$build/kestrun1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

peak_kb() { awk '/Maximum resident set size/ {print $NF}' "$1"; }
run() {  # name tokens
  local name=$1 tokens=$2
  local t0 t1
  t0=$(date +%s%N)
  if [ -x /usr/bin/time ]; then
    /usr/bin/time -v "$bin" -i "$work/$name.dat" -o NoOutput 2>"$work/$name.time" >/dev/null || true
  else
    "$bin" -i "$work/$name.dat" -o NoOutput 2>/dev/null >/dev/null || true
  fi
  t1=$(date +%s%N)
  local ms=$(( (t1 - t0) / 1000000 ))
  local peak="n/a"
  [ -f "$work/$name.time" ] && peak="$(peak_kb "$work/$name.time") KiB"
  awk -v n="$name" -v tok="$tokens" -v ms="$ms" -v peak="$peak" 'BEGIN {
    s = ms / 1000.0; if (s <= 0) s = 0.001;
    printf "%-28s %9d tokens %7d ms %12.0f tokens/s  %8.1f ns/token  peak %s\n", n, tok, ms, tok / s, ms * 1e6 / tok, peak }'
}

# 200,000 items: comments, skip blocks, stray End, ignored tags.
awk 'BEGIN {
  for (i = 0; i < 50000; i++) {
    print "/* comment number " i " */"
    print "<NOT_C> PvxjSkipped XpRc PVX_OK End </NOT_C>"
    print "End"
    print "<NOT_JAVA> </NOT_JAVA>"
  }
}' >"$work/items.dat"
tokens=$(wc -w <"$work/items.dat")
run items "$tokens"

# One comment of 1,000,000 tokens.
awk 'BEGIN { printf "/*"; for (i = 0; i < 999998; i++) printf " w%d", i % 97; print " */" }' >"$work/tokens.dat"
run tokens 1000000
