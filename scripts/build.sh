#!/usr/bin/env bash
# Configures and builds the project into $BUILD_DIR (default: build); extra arguments go to cmake.
# The programs get the patched Allegro: from ALLEGRO_SOURCE, Allegro's source tarball, where it
# names one, or else as cmake/allegro_source.cmake finds it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
[ -z "${ALLEGRO_SOURCE:-}" ] || export ALLEGRO_SOURCE=$(realpath "$ALLEGRO_SOURCE")
cmake -S "$root" -B "$build" "$@" >/dev/null
cmake --build "$build" --parallel "$(nproc 2>/dev/null || echo 2)"
