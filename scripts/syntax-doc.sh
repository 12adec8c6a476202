#!/usr/bin/env bash
# The committed copy of the syntax reference, docs/syntax.txt, is the output
# of `kestrun1 -x` with its date line masked as the golden cases mask it.
#
#   syntax-doc.sh KESTRUN1 DOC write   regenerates DOC
#   syntax-doc.sh KESTRUN1 DOC check   fails when DOC is stale
set -euo pipefail
bin=$1 doc=$2 mode=${3:-check}
export LC_ALL=C
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$bin" -x "$work/syntax.txt" 2>/dev/null
sed -E 's/^(Mon|Tue|Wed|Thu|Fri|Sat|Sun) (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) [ 0-9][0-9] [0-9]{2}:[0-9]{2}:[0-9]{2} [0-9]{4}$/<DATE>/' \
  "$work/syntax.txt" >"$work/masked.txt"

case $mode in
  write)
    cp "$work/masked.txt" "$doc"
    echo "wrote $doc"
    ;;
  check)
    if ! diff -u --label "committed $(basename "$doc")" --label "kestrun1 -x" "$doc" "$work/masked.txt"; then
      echo "$doc is stale: run 'make syntax' to regenerate it"
      exit 1
    fi
    ;;
  *)
    echo "unknown mode: $mode" >&2
    exit 2
    ;;
esac
