#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time on
# a copy of its seed corpus, so the repository stays clean. Any finding (a
# crash, a sanitizer report, a failed check, a hang, a leak) fails the run;
# the input that caused it is kept under build/fuzz/findings/<target>/.
#   scripts/fuzz.sh [seconds per target]     default 60, or FUZZ_SECONDS
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-${FUZZ_SECONDS:-60}}
# libFuzzer takes 0 as "no limit": a run would never end.
[[ $seconds =~ ^[1-9][0-9]*$ ]] || { echo "fuzz: seconds per target must be a whole number above 0, not '$seconds'" >&2; exit 2; }
# A target that runs but hardly executes (a start-up that takes the whole
# time, a slow input) finds nothing either: each must execute at least this
# many inputs a second. Here both do tens of thousands.
min_rate=${FUZZ_MIN_RATE:-1000}
build=build/fuzz
targets=(input_rule actions)

# The core is named explicitly, so that a copy tried by hand is never left in
# the cache.
cmake -S fuzz -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DQUENDAL_CORE_DIR="$PWD/core" >/dev/null
cmake --build "$build"

symbolizer=$(command -v llvm-symbolizer || true)
# Debian keeps it under the LLVM release's own folder (llvm-14 on Debian 12,
# llvm-19 on Debian 13) when the unversioned link is missing.
[ -n "$symbolizer" ] || symbolizer=$(ls /usr/lib/llvm-*/bin/llvm-symbolizer 2>/dev/null | sort -V | tail -n 1)
[ -x "$symbolizer" ] && export ASAN_SYMBOLIZER_PATH="$symbolizer"
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$PWD/cmake/lsan.supp:print_suppressions=0"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failed=()
for target in "${targets[@]}"; do
  corpus="$work/$target/corpus"
  artifacts="$work/$target/artifacts"
  mkdir -p "$corpus" "$artifacts"
  cp fuzz/corpus/"$target"/* "$corpus"/
  if [ -d fuzz/regressions/"$target" ]; then cp fuzz/regressions/"$target"/* "$corpus"/; fi

  printf '\n== fuzz %s for %ss\n' "$target" "$seconds"
  start=$SECONDS
  # One process; its own log is long, so keep it and show the end.
  if "$build/fuzz_$target" -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 \
      -max_len=4096 -dict=fuzz/numbers.dict -print_final_stats=1 \
      -artifact_prefix="$artifacts/" "$corpus" >"$work/$target.log" 2>&1; then
    tail -n 12 "$work/$target.log"
    executed=$(sed -n 's/^stat::number_of_executed_units: *\([0-9]*\)$/\1/p' "$work/$target.log")
    if [ -z "$executed" ] || [ "$executed" -lt $((min_rate * seconds)) ]; then
      echo "fuzz $target: executed ${executed:-an unknown number of} inputs in ${seconds}s," \
        "fewer than the $((min_rate * seconds)) it must" >&2
      failed+=("$target")
      continue
    fi
    echo "fuzz $target: no finding in $((SECONDS - start))s, $executed inputs"
  else
    tail -n 60 "$work/$target.log"
    mkdir -p "$build/findings/$target"
    cp "$artifacts"/* "$build/findings/$target"/ 2>/dev/null || true
    cp "$work/$target.log" "$build/findings/$target.log"
    echo "fuzz $target: FINDING, inputs kept in $build/findings/$target/" >&2
    failed+=("$target")
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "Fuzzing failed (a finding, or too few inputs) for: ${failed[*]}" >&2
  exit 1
fi
