#!/usr/bin/env bash
# The layer rule: Qt is included only inside toolkit/ (its tests under tests/toolkit may use it
# too). Fails, listing the lines, when a file of app/, library/, bench/ or the other tests
# includes a Qt header (but bench/qt, the comparison programs), or when a public toolkit
# header names a Qt type.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
found=$(grep -rnE --include='*.h' --include='*.hpp' --include='*.cpp' --include='*.cc' \
  '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]Q(t|[A-Z])[A-Za-z0-9]*(/[A-Za-z0-9_]+)*(\.h)?[>"]' \
  app library bench tests --exclude-dir=toolkit 2>/dev/null || true)
# --exclude-dir drops every folder named toolkit; only tests/toolkit may include Qt, so an
# app/ or library/ folder of that name is searched on its own.
extra=$(find app library bench -type d -name toolkit -print0 2>/dev/null |
  xargs -0 -r grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]Q(t|[A-Z])[A-Za-z0-9]*(/[A-Za-z0-9_]+)*(\.h)?[>"]' || true)
# bench/qt holds the yardsticks written with Qt itself (the same chart picture drawn by a Qt
# plotting library, a bare Qt window for the start-up benchmark); it is the only place outside
# the toolkit that may include Qt, and only its own files there do (the code measured stays
# Qt-free).
found=$(printf '%s\n' "$found" | grep -v '^bench/qt/' || true)
if [ -n "$found$extra" ]; then
  echo "Qt headers included outside toolkit/:" >&2
  printf '%s\n' "$found" "$extra" | sed '/^$/d' >&2
  exit 1
fi
# The toolkit's public headers (all but toolkit/private) name no Qt type either.
public=$(find toolkit -name '*.h' -not -path 'toolkit/private/*' -print0 |
  xargs -0 -r grep -nE '(^|[^A-Za-z0-9_])Q[A-Z][a-z][A-Za-z0-9]*' || true)
if [ -n "$public" ]; then
  echo "Qt types named in public toolkit headers:" >&2
  printf '%s\n' "$public" >&2
  exit 1
fi
# The window folders form a tree: main -> planning, noise -> core. A folder includes no header
# of a folder above it (the include paths of the libraries would let it, through the tests').
above_of() {
  case "$1" in
    app/core) echo app/main app/planning app/noise ;;
    app/planning | app/noise) echo app/main ;;
  esac
}
upward=""
for dir in app/core app/planning app/noise; do
  for above in $(above_of "$dir"); do
    for header in "$above"/*.h; do
      [ -e "$header" ] || continue
      name=$(basename "$header")
      hits=$(grep -nE "^[[:space:]]*#[[:space:]]*include[[:space:]]*\"$name\"" "$dir"/*.h "$dir"/*.cpp \
        2>/dev/null || true)
      [ -n "$hits" ] && upward+="$hits (from $above)"$'\n'
    done
  done
done
if [ -n "$upward" ]; then
  echo "Window folders including a header of a folder above them:" >&2
  printf '%s' "$upward" >&2
  exit 1
fi
echo "layers: no Qt header outside toolkit/, no Qt type in a public toolkit header, window folders in a tree"
