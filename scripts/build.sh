#!/usr/bin/env bash
# Configures and builds the project into $BUILD_DIR (default: build); extra arguments go to cmake.
# With ALLEGRO_SOURCE naming Allegro's source tarball, the programs are linked to that Allegro,
# built with the project's patches into the build folder (for GNOME on Wayland, say).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
source=()
[ -z "${ALLEGRO_SOURCE:-}" ] || source=(-DDEMO_ALLEGRO_SOURCE="$(realpath "$ALLEGRO_SOURCE")")
cmake -S "$root" -B "$build" "${source[@]}" "$@" >/dev/null
cmake --build "$build" --parallel "$(nproc 2>/dev/null || echo 2)"
