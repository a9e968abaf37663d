#!/usr/bin/env bash
# The whole test suite: installs what is missing, builds the host, sanitizer and win32 targets,
# and runs every test (the win32 ones under Wine on a virtual X display).
set -euo pipefail
cd "$(dirname "$0")/../.."
bash tools/ci/install-deps.sh
# liblzma for the Windows programs, cross-built once into build/deps.
bash tools/ci/build-mingw-liblzma.sh >/dev/null

jobs=$(nproc)
status=0
started=$SECONDS
summary=()

# Each stage's time and outcome, printed again at the end, where a CI log's tail is read.
note_stage() {
  summary+=("$(printf '%-14s %-6s %4ds' "$1" "$2" "$3")")
  [ "$2" = ok ] || status=1
}

# The names and the last lines of the tests a preset failed, for the summary.
failed_tests_of() {
  local failed="build/$1/Testing/Temporary/LastTestsFailed.log"
  [ -s "$failed" ] || return 0
  echo "--- $1: failed tests"
  cat "$failed"
  local name
  for name in $(cut -d: -f2 "$failed"); do
    echo "--- $1: the end of $name's output"
    awk -v name="$name" '$0 ~ "^[0-9]+/[0-9]+ Testing: " name "$" {on=1} on {print} on && /" end time:/ {exit}' \
      "build/$1/Testing/Temporary/LastTest.log" | tail -n 40
  done
}

# Every tracked source file keeps the repository's format; a file that does not fails the run.
t=$SECONDS
if git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror; then
  note_stage format ok $((SECONDS - t))
else
  note_stage format failed $((SECONDS - t))
fi

# A compiler cache where the machine has one: a developer's second run rebuilds only what changed.
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi

# Runs a command as one stage of the summary.
stage() {
  local name=$1 t=$SECONDS
  shift
  if "$@"; then
    note_stage "$name" ok $((SECONDS - t))
  else
    note_stage "$name" failed $((SECONDS - t))
    return 1
  fi
}

build_preset() {
  cmake --preset "$1" "${launcher[@]}" >/dev/null && cmake --build --preset "$1" -j "$jobs"
}

run_preset() {  # preset [ctest arguments...]
  rm -f "build/$1/Testing/Temporary/LastTestsFailed.log"
  stage "$1 build" build_preset "$1" && stage "$1 tests" ctest --preset "$1" -j "$jobs" "${@:2}"
}

run_preset host || true
# Long enough to catch what a change broke in a parser; longer runs are for tools/ci/fuzz.sh alone.
export SETUP_FUZZ_SECONDS=${SETUP_FUZZ_SECONDS:-8}
stage fuzz bash tools/ci/fuzz.sh || true
if [ "${SETUP_SKIP_ASAN:-0}" != 1 ]; then
  # The sanitizer build also counts the lines its tests reach: one figure per layer.
  find build/asan -name '*.gcda' -delete 2>/dev/null || true
  run_preset asan || true
  bash tools/ci/coverage.sh build/asan || true
fi

# A fresh Wine prefix for every run, so no state leaks from one run into the next.
export SETUP_WINEPREFIX="$PWD/build/win32/wineprefix"
rm -rf "$SETUP_WINEPREFIX"
export WINEPREFIX="$SETUP_WINEPREFIX"
if [ -z "${DISPLAY:-}" ]; then
  exec_display=(xvfb-run -a -s "-screen 0 1024x768x24")
else
  exec_display=()
fi
rm -f build/win32/Testing/Temporary/LastTestsFailed.log  # a stale list would name old failures
stage "win32 build" build_preset win32 &&
  stage "win32 tests" "${exec_display[@]}" ctest --preset win32 -j 1 || true

echo "=== summary ($((SECONDS - started))s in all)"
printf '%s\n' "${summary[@]}"
for preset in host asan win32; do failed_tests_of "$preset"; done
exit $status
