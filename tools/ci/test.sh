#!/usr/bin/env bash
# The whole test suite: installs what is missing, builds the host, sanitizer and win32 targets,
# and runs every test (the win32 ones under Wine on a virtual X display).
set -euo pipefail
cd "$(dirname "$0")/../.."
bash tools/ci/install-deps.sh

jobs=$(nproc)
status=0

# Every tracked source file keeps the repository's format; a file that does not fails the run.
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror || status=1

# A compiler cache where the machine has one: a developer's second run rebuilds only what changed.
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi

run_preset() {
  local preset=$1
  cmake --preset "$preset" "${launcher[@]}" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  ctest --preset "$preset" -j "$jobs" || status=1
}

run_preset host
bash tools/ci/fuzz.sh || status=1
if [ "${SETUP_SKIP_ASAN:-0}" != 1 ]; then
  # The sanitizer build also counts the lines its tests reach: one figure per layer.
  find build/asan -name '*.gcda' -delete 2>/dev/null || true
  run_preset asan
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
cmake --preset win32 "${launcher[@]}" >/dev/null
cmake --build --preset win32 -j "$jobs"
"${exec_display[@]}" ctest --preset win32 -j 1 || status=1
exit $status
