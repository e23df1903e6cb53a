#!/usr/bin/env bash
# The build's route to Allegro, without the internet, each case in a build folder and a download
# folder of its own. `download`: Allegro's source served from the loopback is kept and built into
# the patched programs, and the same folder then links it from a new place; the same tarball with
# one byte of one file changed is refused with its line, and nothing of it is kept or built.
# `fallback`: with neither a tarball nor a server, the build says once that it falls back to the
# system's Allegro, run.sh says so once, and that build's programs pass their bare-X scenario.
# Usage: allegro_route_test.sh download TARBALL   |   allegro_route_test.sh fallback
set -u
case=$1
tarball=${2:-}
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
server=""
trap '[ -z "$server" ] || kill "$server"; rm -rf "$work"' EXIT
failed=0
check() { # what, then the command that must succeed
  local what=$1
  shift
  if "$@"; then echo "ok   $what"; else echo "FAIL $what"; failed=1; fi
}
patched() { grep -q '^DEMO_ALLEGRO_PATCHED:INTERNAL=ON$' "$work/$1/CMakeCache.txt"; }
kept_nothing() { [ -z "$(find "$work/$1-cache" -type f)" ]; }
falls_back() { ! patched "$1" && grep -q "building against the system's Allegro" "$work/$1.log"; }
said_once() { [ "$(grep -c "$1" "$2")" = 1 ] || { cat "$2"; false; }; }
# Configures the build folder NAME from URL, with no tarball named; its output in NAME.log.
configure() {
  env -u ALLEGRO_SOURCE cmake -S "$root" -B "$work/$1" -DDEMO_ALLEGRO_URL="$2" \
    -DDEMO_ALLEGRO_CACHE="$work/$1-cache" "${@:3}" >"$work/$1.log" 2>&1
}

if [ "$case" = download ]; then
  [ -n "$tarball" ] || { echo "skipped: this build had no Allegro source to serve"; exit 77; }
  mkdir "$work/served"
  cp "$tarball" "$work/served/allegro.tar.xz"
  # One byte of Allegro's own CMakeLists.txt changed, in an archive that is otherwise sound.
  xz -dc "$tarball" >"$work/served/changed.tar"
  at=$(grep -obUa -m1 'cmake_minimum_required' "$work/served/changed.tar" | cut -d: -f1)
  printf C | dd of="$work/served/changed.tar" bs=1 seek="$at" conv=notrunc status=none
  python3 -u -m http.server 0 --bind 127.0.0.1 --directory "$work/served" >"$work/server.log" 2>&1 &
  server=$!
  port=""
  for _ in $(seq 100); do
    port=$(sed -n 's/.* port \([0-9]*\) .*/\1/p' "$work/server.log")
    [ -n "$port" ] && break
    sleep 0.1
  done
  [ -n "$port" ] || { cat "$work/server.log"; echo "FAIL the loopback server did not start"; exit 1; }
  url=http://127.0.0.1:$port

  configure good "$url/allegro.tar.xz" -DBUILD_TESTING=OFF
  check "the download is built into the patched programs" patched good
  check "the download is kept as it came" cmp -s "$tarball" "$work/good-cache/allegro-5.2.11.3.tar.xz"
  check "bounce_800 builds with it linked in" bash -c "cmake --build '$work/good' --target bounce_800 \
    >/dev/null && ! ldd '$work/good/bin/bounce_800' | grep -q liballegro"
  # The same folder given the same Allegro from another place, as a new patch set gives one:
  # CMake's cached lookups must not keep linking the first, gone by then.
  mv "$work/good-cache" "$work/moved-cache"
  check "the same folder then links the Allegro from its new place" bash -c "env -u ALLEGRO_SOURCE \
    cmake '$work/good' -DDEMO_ALLEGRO_CACHE='$work/moved-cache' >'$work/moved.log' 2>&1 &&
    cmake --build '$work/good' --target bounce_800 >/dev/null"

  configure changed "$url/changed.tar" -DBUILD_TESTING=OFF
  check "the changed tarball is refused in one line" \
    said_once "refused the download from $url/changed.tar" "$work/changed.log"
  check "nothing of it is kept" kept_nothing changed
  check "nothing of it is built: the build falls back" falls_back changed
else
  # Nothing listens on port 1: the download fails at once, as with no network.
  configure fallback http://127.0.0.1:1/allegro.tar.gz
  check "the build says once that it falls back" said_once "building against the system's Allegro" \
    "$work/fallback.log"
  check "the system's Allegro is linked" falls_back fallback
  check "nothing is kept" kept_nothing fallback
  env -u ALLEGRO_SOURCE BUILD_DIR="$work/fallback" CAPTURE_DIR="$work/capture" "$root/scripts/run.sh" bounce_800 2 \
    >/dev/null 2>"$work/run.log"
  warning="^run.sh: built against the system's Allegro.*ALLEGRO_SOURCE=.* scripts/run.sh bounce_800$"
  check "run.sh says once that the programs are wrong in Wayland sessions, and what to do" \
    said_once "$warning" "$work/run.log"
  check "the programs pass their bare-X scenario" bash "$root/tests/e2e/run_e2e.sh" \
    "$work/fallback/tests/e2e_tests" "$work/display" \
    --gtest_filter='all/program_e2e.runs_switches_sizes_ignores_close_and_ends_on_escape/*'
fi
exit $failed
