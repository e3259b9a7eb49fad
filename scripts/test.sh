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
  # Under the sanitizers starting a test process costs more than most cases: each program runs
  # as a few shards of cases rather than one process per case.
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKESTAL_SANITIZE=ON -DKESTAL_BUILD_BENCH=OFF \
    -DKESTAL_CASES_PER_PROCESS=8
  export LSAN_OPTIONS="suppressions=$here/scripts/lsan.supp"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
  # Many shards spend part of their time waiting (local servers, timeouts, helper programs):
  # two per core keep the cores busy.
  jobs=$((2 * $(nproc)))
else
  build="$here/build-test"
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
  jobs=$(nproc)
fi
# Qt keeps its run-time files where the session says; without a session (a plain login, a
# service) it would make a folder of its own in /tmp and leave it there (the build runs Qt
# programs too): a private one serves instead and goes at the end.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  XDG_RUNTIME_DIR="$(mktemp -d "${TMPDIR:-/tmp}/kestal-runtime-XXXXXX")"
  export XDG_RUNTIME_DIR
  trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
fi
cmake --build "$build"
export QT_QPA_PLATFORM=offscreen
cd "$build"
ctest --output-on-failure --timeout 300 -j "$jobs"
