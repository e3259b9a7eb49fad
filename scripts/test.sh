#!/usr/bin/env bash
# Installs what is missing, builds everything (tests and benchmarks) and runs all tests headless.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
bash "$here/scripts/setup.sh"
cmake -S "$here" -B "$here/build-test" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$here/build-test"
export QT_QPA_PLATFORM=offscreen
cd "$here/build-test"
ctest --output-on-failure --timeout 300 -j "$(nproc)"
