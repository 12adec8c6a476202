#!/usr/bin/env bash
# Fails when a client source includes a file of a room above it: by a path
# that reaches around the include path ("../api/client.h"), or by the name of
# a header that only a higher room has. server < api, server < console.
# The include paths of the room targets enforce the same for the compiler;
# this names the offence and catches headers no target compiles alone.
set -euo pipefail
dir=${1:?client directory}
status=0
headers_of() { (cd "$dir/$1" && ls *.h *.def 2>/dev/null) || true; }
check() {  # room, rooms it must not see
  local room=$1; shift
  local f h other
  for f in "$dir/$room"/*.cc "$dir/$room"/*.h; do
    [ -e "$f" ] || continue
    # Tests see every room: they build the situations they check.
    case $f in *_test.cc|*/test_support.*) continue ;; esac
    if grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"\.\./' "$f"; then
      echo "$f: includes across rooms by a relative path"; status=1
    fi
    for other in "$@"; do
      for h in $(headers_of "$other"); do
        [ -e "$dir/$room/$h" ] && continue
        if grep -qE "^[[:space:]]*#[[:space:]]*include[[:space:]]*\"$h\"" "$f"; then
          echo "$f: includes $h of $other/"; status=1
        fi
      done
    done
  done
}
check server api console
check api console
check console api
exit $status
