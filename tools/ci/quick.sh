#!/usr/bin/env bash
# The inner loop: the host build and its unit tests (a few minutes; the end-to-end scripts, the
# sanitizers, the fuzzers and Wine are left to tools/ci/test.sh).
#   bash tools/ci/quick.sh            build, then every unit test program
#   bash tools/ci/quick.sh -R install only the test programs whose names match
set -euo pipefail
cd "$(dirname "$0")/../.."
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake --preset host "${launcher[@]}" >/dev/null
cmake --build --preset host -j "$(nproc)"
ctest --preset host -j "$(nproc)" -E '^e2e_' "$@"
