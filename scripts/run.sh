#!/usr/bin/env bash
# Installs what is missing, builds, and runs one program from the build's output folder.
# Usage: scripts/run.sh [bounce_fit|bounce_800|bounce_1024|bounce_vsync|bounce_flash]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
programs="bounce_fit bounce_800 bounce_1024 bounce_vsync bounce_flash"
name=${1:-bounce_fit}
if ! [[ " $programs " == *" $name "* ]]; then
  echo "run.sh: no program \"$name\"; the programs are: $programs" >&2
  exit 2
fi
"$root/scripts/install_deps.sh"
"$root/scripts/build.sh"
# The program opens its picture from the current directory.
cd "${BUILD_DIR:-$root/build}/bin"
exec "./$name"
