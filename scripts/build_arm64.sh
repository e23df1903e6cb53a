#!/usr/bin/env bash
# Cross-builds the five programs for arm64 (Raspberry Pi OS, Debian arm64) with Debian's
# cross compiler, against the patched Allegro cross-built by the same route as the native one
# (Debian's arm64 Allegro where that route falls back); with --package, the arm64 Debian
# package as scripts/build_deb.sh makes the native one. Prints the programs' folder, or the
# package's path. Installs what is missing first; extra arguments go to cmake. BUILD_DIR
# defaults to build-arm64 (build-arm64-deb for the package).
# Usage: scripts/build_arm64.sh [--package] [cmake arguments]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
package=false
build=${BUILD_DIR:-$root/build-arm64}
if [ "${1:-}" = --package ]; then
  package=true
  build=${BUILD_DIR:-$root/build-arm64-deb}
  shift
fi
[ -z "${ALLEGRO_SOURCE:-}" ] || export ALLEGRO_SOURCE=$(realpath "$ALLEGRO_SOURCE")
"$root/scripts/install_deps.sh" --arm64
# The picture generator runs on this machine: a native build draws the pictures and the icon.
cmake -S "$root" -B "$build/native" -DBUILD_TESTING=OFF -DDEMO_SYSTEM_ALLEGRO=ON >/dev/null
cmake --build "$build/native" --target make_pictures >/dev/null
mkdir -p "$build/pictures/icons"
"$build/native/pictures/make_pictures" "$build/pictures" "$build/pictures/icons" 48 128
cross=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/aarch64-linux-gnu.cmake" -DDEMO_HOST_PICTURES="$build/pictures")
if $package; then
  # The package's tools (dpkg-buildflags, dpkg-shlibdeps) read the target from here.
  DEB_HOST_ARCH=arm64 BUILD_DIR=$build/programs "$root/scripts/build_deb.sh" "${cross[@]}" "$@"
else
  cmake -S "$root" -B "$build/programs" -DCMAKE_BUILD_TYPE=Release "${cross[@]}" "$@" >/dev/null
  cmake --build "$build/programs" --parallel "$(nproc 2>/dev/null || echo 2)" >/dev/null
  echo "$build/programs/bin"
fi
