#!/usr/bin/env bash
# The man pages: no mandoc warning, no groff warning, and every page renders.
set -uo pipefail
dir=$1
fail=0
if ! mandoc -T lint -W warning "$dir"/*.1; then fail=1; fi
if command -v man >/dev/null 2>&1; then
  for page in "$dir"/*.1; do
    warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
    if [ -n "$warnings" ]; then echo "$page: $warnings"; fail=1; fi
  done
fi
for page in "$dir"/*.1; do
  text=$(mandoc -T ascii "$page" | col -b)
  for section in NAME SYNOPSIS DESCRIPTION ENVIRONMENT FILES "EXIT STATUS" EXAMPLES; do
    if ! grep -qx "$section" <<<"$text"; then
      echo "$page: no $section section"; fail=1
    fi
  done
done
[ "$fail" -eq 0 ] && echo "man pages clean: $(ls "$dir"/*.1 | xargs -n1 basename | tr '\n' ' ')"
exit "$fail"
