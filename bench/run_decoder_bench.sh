#!/usr/bin/env bash
# Builds setup-pack and the decoder benchmark as the host preset does (-O2), then runs the
# benchmark; arguments are passed on (--repeat N, --only SET,SET, --keep DIR). BUILD_DIR overrides
# the build folder.
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${BUILD_DIR:-$source_dir/build/bench-decoder}
cmake -S "$source_dir" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DSETUP_BUILD_TESTS=OFF -DSETUP_WARNINGS_AS_ERRORS=OFF >/dev/null
cmake --build "$build_dir" --target setup_pack bench_decoder_bench | tail -1
"$build_dir/bench/bench_decoder_bench" --setup-pack "$build_dir/setup-pack" "$@"
