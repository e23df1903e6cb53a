#!/usr/bin/env bash
# Builds the Debian package into $BUILD_DIR (default: build-deb) and prints its path: Debian's
# hardening flags (with bindnow), Debian's places for games (/usr/games, pictures in
# /usr/share/games/bounce-demos), stripped programs, the patched Allegro linked in (built with
# the same flags, got as scripts/build.sh gets it), the package depending on the libraries that
# one needs. Installs what is missing first; extra arguments go to cmake
# (-DDEMO_SYSTEM_ALLEGRO=ON: Debian's Allegro, as a distribution's package would have it).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-deb}
"$root/scripts/install_deps.sh" --package
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
[ -z "${ALLEGRO_SOURCE:-}" ] || export ALLEGRO_SOURCE=$(realpath "$ALLEGRO_SOURCE")
# Allegro's own build takes them from the environment, where CMake reads no CPPFLAGS.
eval "$(dpkg-buildflags --export=sh)"
export CFLAGS="$CFLAGS $CPPFLAGS" CXXFLAGS="$CXXFLAGS $CPPFLAGS"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=None -DBUILD_TESTING=OFF \
  -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" \
  -DCMAKE_INSTALL_PREFIX=/usr -DDEMO_INSTALL_BINDIR=games \
  -DDEMO_INSTALL_DATADIR=share/games/bounce-demos "$@" >/dev/null
cmake --build "$build" --parallel "$(nproc 2>/dev/null || echo 2)" >/dev/null
(cd "$build" && rm -f bounce-demos_*.deb && cpack >/dev/null)
ls "$build"/bounce-demos_*.deb
