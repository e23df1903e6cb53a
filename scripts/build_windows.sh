#!/usr/bin/env bash
# Cross-builds the core and the five programs for 64-bit Windows with MinGW-w64 into $BUILD_DIR
# (default: build-windows), against Allegro's own headers and import libraries made from the
# lists of calls in windows/. Installs what is missing first; extra arguments go to cmake.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-windows}
"$root/scripts/install_deps.sh" --windows
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/windows/mingw-w64-x86_64.cmake" \
  -DDEMO_WINDOWS_IMPORT_LIBS=ON -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
cmake --build "$build" --parallel "$(nproc 2>/dev/null || echo 2)"
