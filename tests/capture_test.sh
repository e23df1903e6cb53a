#!/usr/bin/env bash
# The capture command: a GIF with every frame, a still whose status line reads the size; the
# run command's line on the system's Allegro (only where the build fell back to it), and its
# answer to a name that is not a program's.
# Usage: capture_test.sh BUILD_DIR PATCHED   (PATCHED: 1 where the patched Allegro is linked in)
set -u
build=$1
patched=$2
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
BUILD_DIR=$build SKIP_BUILD=1 CAPTURE_FPS=10 "$root/scripts/capture.sh" bounce_800 4 "$out" \
  >"$out/log" 2>&1 || { cat "$out/log"; echo "FAIL: capture.sh ended with an error"; exit 1; }
failed=0
frames=$(identify -format '%n\n' "$out/bounce_800.gif" | head -1)
[ "$frames" = 40 ] || { echo "FAIL: the GIF has $frames frames, not 40"; failed=1; }
status=$("$build/tools/screen_tool" file-status "$out/bounce_800.png")
[[ "$status" =~ ^FPS-\ *[0-9]+\ Szer-\ 800\ Wys-\ 600$ ]] ||
  { echo "FAIL: the still's status line reads '$status'"; failed=1; }
grep -q "wrote $out/bounce_800.gif and $out/bounce_800.png" "$out/log" ||
  { echo "FAIL: capture.sh did not say where it wrote"; failed=1; }
# Built against the system's Allegro, one line says so before the recording; else none (what it
# says is checked on a build that falls back, by allegro_route_test.sh).
said=$(env -u DISPLAY BUILD_DIR="$build" CAPTURE_DIR="$out" "$root/scripts/run.sh" bounce_800 2 2>&1 >/dev/null)
[ "$(grep -c "^run.sh: built against the system's Allegro" <<<"$said")" = $((1 - patched)) ] ||
  { echo "FAIL: run.sh said '$said'"; failed=1; }
# A name that is not a program's gets the list of the five and a non-zero exit.
said=$("$root/scripts/run.sh" bounce_nope 2>&1)
[ $? -ne 0 ] && [[ "$said" == *"bounce_fit bounce_800 bounce_1024 bounce_vsync bounce_flash"* ]] ||
  { echo "FAIL: run.sh bounce_nope said '$said'"; failed=1; }
exit $failed
