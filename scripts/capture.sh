#!/usr/bin/env bash
# Records a program on the virtual display: runs it for SECONDS, presses Q halfway and Escape
# at the end, and writes an animated GIF of what a screen would have shown and a PNG still.
# Usage: scripts/capture.sh [PROGRAM] [SECONDS] [OUT_DIR]   (defaults: bounce_fit 6 capture/)
# CAPTURE_FPS (default 25) and CAPTURE_SIZE (the GIF's size, default 512x384) tune the GIF;
# CAPTURE_DIR is OUT_DIR's default (for scripts/run.sh, which gives none).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
name=${1:-bounce_fit}
seconds=${2:-6}
out=${3:-${CAPTURE_DIR:-$root/capture}}
fps=${CAPTURE_FPS:-25}
size=${CAPTURE_SIZE:-512x384}
programs="bounce_fit bounce_800 bounce_1024 bounce_vsync bounce_flash"
if ! [[ " $programs " == *" $name "* ]]; then
  echo "capture.sh: no program \"$name\"; the programs are: $programs" >&2
  exit 2
fi
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -lt 2 ] || [ "$seconds" -gt 120 ]; then
  echo "capture.sh: SECONDS is a whole number from 2 to 120, not \"$seconds\"" >&2
  exit 2
fi
if ! [[ "$fps" =~ ^[0-9]+$ ]] || [ "$fps" -lt 1 ] || [ "$fps" -gt 50 ] || ! [[ "$size" =~ ^[0-9]+x[0-9]+$ ]]; then
  echo "capture.sh: CAPTURE_FPS is 1 to 50 and CAPTURE_SIZE is WIDTHxHEIGHT" >&2
  exit 2
fi
# SKIP_BUILD=1: the build in BUILD_DIR is already made (as in the tests).
if [ "${SKIP_BUILD:-}" != 1 ]; then
  "$root/scripts/install_deps.sh" --capture
  "$root/scripts/build.sh"
fi
tools=$build/tools
frames=$(mktemp -d)
state=$build/capture_display
pid=""
finish() {
  [ -z "$pid" ] || kill "$pid" 2>/dev/null || true
  "$root/scripts/virtual_display.sh" stop "$state"
  rm -rf "$frames"
}
trap finish EXIT
DISPLAY=$("$root/scripts/virtual_display.sh" start "$state")
export DISPLAY

(cd "$build/bin" && exec "./$name") &
pid=$!
# Recording starts once the first status line is on the screen.
for _ in $(seq 100); do
  "$tools/screen_tool" status 2>/dev/null | grep -q "Szer" && break
  kill -0 "$pid" 2>/dev/null || { echo "capture.sh: $name ended before it drew" >&2; exit 1; }
  sleep 0.1
done
"$tools/capture_frames" "$seconds" "$fps" "$frames" "$((seconds / 2)).$((seconds % 2 * 5))" q
"$tools/screen_tool" key Escape 150
status=0
wait "$pid" || status=$?
pid=""
[ "$status" -eq 0 ] || echo "capture.sh: $name ended with status $status" >&2

echo "encoding..."
mkdir -p "$out"
# Every frame scaled to one 4:3 size, as a monitor shows each mode full-screen.
convert -delay "$((100 / fps))" -loop 0 "$frames"/frame_*.ppm -resize "$size!" +dither -layers Optimize \
  "$out/$name.gif"
# The still: a frame from before the switch.
still=$(ls "$frames"/frame_*.ppm | sed -n "$((seconds * fps * 2 / 5))p")
convert "$still" "$out/$name.png"
echo "wrote $out/$name.gif and $out/$name.png"
