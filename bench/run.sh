#!/usr/bin/env bash
# make bench: the Google Benchmark binary, then every whole-process benchmark script.
set -euo pipefail
build=$1
here=$(cd "$(dirname "$0")" && pwd)
"$build/kestrun_bench" --benchmark_min_time=0.2
for s in "$here"/*.sh; do
  [ "$(basename "$s")" = run.sh ] && continue
  echo
  echo "== $(basename "$s" .sh)"
  bash "$s" "$build"
done
