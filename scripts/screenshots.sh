#!/usr/bin/env bash
# Builds Kestal, starts it on a virtual display (Xvfb, installed by the set-up) and saves one
# PNG per window into a folder (default build/screenshots, or the folder given as the first
# argument): the main window at start, after CALCULATE and in System evaluation mode, the full
# pulsar list, the sort dialog and every other window. The program runs in a scratch folder
# with the shipped catalogue and a 3 m dish at 1420 MHz; nothing of the user's is touched.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
bash "$here/scripts/setup.sh"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# Qt's run-time files go into the scratch folder too (without a session it would make a folder
# in /tmp and leave it there; the build runs Qt programs as well).
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 0700 "$XDG_RUNTIME_DIR"
cmake -S "$here" -B "$here/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DKESTAL_BUILD_TESTS=OFF -DKESTAL_BUILD_BENCH=OFF
cmake --build "$here/build" --target kestal
out="$(realpath -m "${1:-$here/build/screenshots}")"
mkdir -p "$out"
cp "$here/data/ATNF.csv" "$work/ATNF.csv"
printf '%s\n' "KESTAL DEFAULTS 7 : " Home 52.1 5.2 52 6 0 N 5 12 0 E JO22CC00 DP 3 69 1 1420 \
  0.23 38 0.1 0.5 4 18000 10000 4 10 0 3000 "KESTAL LOCATIONS :" > "$work/KestalDB.txt"
cd "$work"
# A fixed screen, no window manager; the probe goes to a closed local port, so no network.
env -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY KESTAL_SCREENSHOTS="$out" \
  KESTAL_PROBE_URL=http://127.0.0.1:1/ timeout 300 \
  xvfb-run -a -s "-screen 0 1600x1200x24 -dpi 96" "$here/build/app/kestal"
echo "Screenshots in $out"
