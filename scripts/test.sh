#!/usr/bin/env bash
# Installs what is missing, builds everything (tests and benchmarks) and runs all tests headless.
# With the argument "sanitize" it builds the tests with the address and undefined-behaviour
# sanitizers instead (no benchmarks) and runs them; any report fails the run.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
bash "$here/scripts/setup.sh"
# The layer rule first: a Qt header outside toolkit/ fails the run before anything builds.
bash "$here/scripts/check_layers.sh"
if [ "${1:-}" = "sanitize" ]; then
  build="$here/build-sanitize"
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKESTAL_SANITIZE=ON -DKESTAL_BUILD_BENCH=OFF
  export LSAN_OPTIONS="suppressions=$here/scripts/lsan.supp"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
else
  build="$here/build-test"
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build"
export QT_QPA_PLATFORM=offscreen
cd "$build"
ctest --output-on-failure --timeout 300 -j "$(nproc)"
