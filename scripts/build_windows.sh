#!/usr/bin/env bash
# Cross-builds the five programs for 64-bit Windows with MinGW-w64 against a real Allegro for
# Windows, and makes the installer and the zip a Windows user unpacks, from the same files;
# prints the installer's path, then the zip's last. Installs what is missing first; extra
# arguments go to the programs' cmake.
# Allegro is the patched one, built as DLLs from the source the Linux build uses (ALLEGRO_SOURCE,
# or as cmake/allegro_source.cmake finds it), or ALLEGRO_WINDOWS_PREFIX, an Allegro for Windows
# already built (MSYS2's, a binary release). BUILD_DIR defaults to build-windows.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-windows}
allegro=()
[ -z "${ALLEGRO_WINDOWS_PREFIX:-}" ] || allegro=(-DDEMO_ALLEGRO_PREFIX="$(cd "$ALLEGRO_WINDOWS_PREFIX" && pwd)")
[ -z "${ALLEGRO_SOURCE:-}" ] || export ALLEGRO_SOURCE=$(realpath "$ALLEGRO_SOURCE")
"$root/scripts/install_deps.sh" --windows
# The picture generator runs on this machine: a native build draws the pictures and the icon.
cmake -S "$root" -B "$build/native" -DBUILD_TESTING=OFF -DDEMO_SYSTEM_ALLEGRO=ON >/dev/null
cmake --build "$build/native" --target make_pictures >/dev/null
mkdir -p "$build/pictures/icons"
"$build/native/pictures/make_pictures" "$build/pictures" "$build/pictures/icons" 16 32 48 256
cmake -S "$root" -B "$build/programs" -DCMAKE_TOOLCHAIN_FILE="$root/windows/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release "${allegro[@]}" -DDEMO_HOST_PICTURES="$build/pictures" "$@" >/dev/null
cmake --build "$build/programs" --parallel "$(nproc 2>/dev/null || echo 2)" >/dev/null
cmake --build "$build/programs" --target msi >/dev/null
(cd "$build/programs" && cpack >/dev/null)
for package in "$build"/programs/bounce-demos-*-win64.msi "$build"/programs/bounce-demos-*-win64.zip; do
  mv -f "$package" "$build/"
  echo "$build/$(basename "$package")"
done
