#!/usr/bin/env bash
# Installs what is missing, builds Kestal and starts it in a working folder
# (default ~/Kestal, or the folder given as the first argument).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
bash "$here/scripts/setup.sh"
cmake -S "$here" -B "$here/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DKESTAL_BUILD_TESTS=OFF -DKESTAL_BUILD_BENCH=OFF
cmake --build "$here/build" --target kestal
work="${1:-$HOME/Kestal}"
mkdir -p "$work"
# A working folder without a catalogue gets the shipped one.
[ -f "$work/ATNF.csv" ] || cp "$here/data/ATNF.csv" "$work/ATNF.csv"
# "Help" opens the manual of the working folder; it is the program's own, so keep it current.
cp "$here/build/app/KestalManual.pdf" "$work/KestalManual.pdf"
cd "$work"
exec "$here/build/app/kestal"
