#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, address and undefined-behaviour sanitizers) and runs
# each for a bounded time from its seed corpus. Exits non-zero when any target finds a crash; the
# input that did it is left in the build folder's crashes/ and named in the output.
#   SETUP_FUZZ_SECONDS  seconds per target (default 25)
#   SETUP_FUZZ_BUILD    build folder (default build/fuzz)
#   SETUP_FUZZ_TARGETS  the targets to run (default: all)
set -euo pipefail
cd "$(dirname "$0")/../.."

seconds=${SETUP_FUZZ_SECONDS:-25}
build=${SETUP_FUZZ_BUILD:-build/fuzz}
cmake -S fuzz -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
# Quiet when it builds; the whole build output when it does not, so the reason is in the log.
if ! cmake --build "$build" -j "$(nproc)" >"$build/build.log" 2>&1; then
  cat "$build/build.log"
  echo "fuzz: the fuzz targets do not build" >&2
  exit 1
fi

targets=${SETUP_FUZZ_TARGETS:-$(cd fuzz && ls -1 ./*_fuzz.cpp | sed -E 's|^\./||; s|_fuzz\.cpp$||')}
mkdir -p "$build/crashes"

# Runs one target; its report goes to $build/$target.result, and a failure leaves
# $build/$target.failed beside it.
run_target() {
  local target=$1
  # New inputs go to a working corpus in the build folder; the committed seeds stay as they are.
  local work="$build/corpus/$target"
  local log="$build/$target.log"
  local result="$build/$target.result"
  mkdir -p "$work"
  rm -f "$build/$target.failed"
  if "$build/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -max_len=16384 -print_final_stats=1 -artifact_prefix="$build/crashes/$target-" \
    "$work" "fuzz/corpus/$target" >"$log" 2>&1; then
    echo "fuzz $target: ok ($(grep -m1 -oE 'stat::number_of_executed_units: *[0-9]+' "$log" |
      grep -oE '[0-9]+$') runs in ${seconds}s)" >"$result"
  else
    {
      echo "fuzz $target: FAILED, see $log"
      grep -E 'ERROR|check failed|SUMMARY|Test unit written' "$log" | head -20 || true
    } >"$result"
    touch "$build/$target.failed"
  fi
}

# One target per core at a time: each is single-threaded, and the time per target stays the same.
for target in $targets; do
  while (($(jobs -rp | wc -l) >= $(nproc))); do wait -n || true; done
  run_target "$target" &
done
wait

status=0
for target in $targets; do
  if [[ -e "$build/$target.failed" ]]; then
    cat "$build/$target.result" >&2
    status=1
  else
    cat "$build/$target.result"
  fi
done
exit $status
