#!/usr/bin/env bash
# Installs what is missing, builds, and runs one program from the build's output folder. With
# no display to reach, records the program on a virtual display instead (scripts/capture.sh).
# Usage: scripts/run.sh [PROGRAM] [SECONDS]   (SECONDS: the recording's length, default 6)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
programs="bounce_fit bounce_800 bounce_1024 bounce_vsync bounce_flash"
name=${1:-bounce_fit}
if ! [[ " $programs " == *" $name "* ]]; then
  echo "run.sh: no program \"$name\"; the programs are: $programs" >&2
  exit 2
fi
"$root/scripts/install_deps.sh"
"$root/scripts/build.sh"
# The build falls back to the system's Allegro where it could not get Allegro's source.
if ! grep -q '^DEMO_ALLEGRO_PATCHED:INTERNAL=ON$' "$build/CMakeCache.txt"; then
  echo "run.sh: built against the system's Allegro, the programs are wrong in Wayland sessions" \
    "(docs/xwayland); name Allegro's source: ALLEGRO_SOURCE=allegro-5.2.11.3.tar.xz scripts/run.sh $name" >&2
fi
if [ -n "${DISPLAY:-}" ] && "$build/tools/screen_tool" mode >/dev/null 2>&1; then
  # The program opens its picture from the current directory.
  cd "$build/bin"
  exec "./$name"
fi
echo "run.sh: no display to reach; recording $name on a virtual display instead"
exec "$root/scripts/capture.sh" "$name" "${2:-6}"
