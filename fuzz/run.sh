#!/usr/bin/env bash
# make fuzz: runs each fuzz target for the given seconds, from a working
# corpus in the build folder seeded with the committed seeds and the golden
# cases. A crash leaves its input in BUILD/crashes/ and fails the run; copy
# it into fuzz/corpus/TARGET/ (and fix it) so that `make test` replays it.
#
#   fuzz/run.sh BUILD SECONDS [TARGET...]
set -uo pipefail
build=$(cd "$1" && pwd) seconds=$2
shift 2
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(run hex cmdline filter loader stream lsp)
src=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$build/crashes"
"$build/fuzz/fuzz_dict" >"$build/keywords.dict"
grep -ohE 'Pvx_[A-Z]{2}_[A-Za-z]+' "$src"/src/api/*.cc | sort -u | sed 's/.*/"&"/' >>"$build/keywords.dict"

failed=0
for t in "${targets[@]}"; do
  corpus="$build/corpus/$t"
  mkdir -p "$corpus"
  cp -n "$src/fuzz/corpus/$t"/* "$corpus/" 2>/dev/null
  opts=()
  case $t in
    run) cp -n "$src"/tests/cases/*.dat "$src"/examples/*.dat "$corpus/"
         opts=(-dict="$build/keywords.dict" -max_len=8192) ;;
    cmdline) cp -n "$src"/tests/cases/*.args "$corpus/" ;;
    filter) opts=(-max_len=1024) ;;
  esac
  echo "== fuzz_$t for ${seconds}s"
  "$build/fuzz/fuzz_$t" "$corpus" "${opts[@]}" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=4096 \
    -artifact_prefix="$build/crashes/$t-" -print_final_stats=1 </dev/null 2>"$build/fuzz_$t.txt"
  rc=$?
  grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|#[0-9]+ +DONE)' "$build/fuzz_$t.txt" | tail -3
  if [ $rc -ne 0 ]; then
    echo "fuzz_$t failed (exit $rc): see $build/fuzz_$t.txt and $build/crashes/"
    failed=1
  fi
done
exit $failed
