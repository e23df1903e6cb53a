#!/usr/bin/env bash
# Remakes the README's pictures with the capture command: a still of each program, and a
# short, small GIF of bounce_fit, into docs/pictures/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$root/docs/pictures
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$out"
for name in bounce_fit bounce_800 bounce_1024 bounce_vsync bounce_flash; do
  CAPTURE_FPS=10 CAPTURE_SIZE=256x192 "$root/scripts/capture.sh" "$name" 4 "$scratch"
  cp "$scratch/$name.png" "$out/$name.png"
done
cp "$scratch/bounce_fit.gif" "$out/bounce_fit.gif"
du -ch "$out"/* | tail -1
