#!/usr/bin/env bash
# With no X server to reach, each program says in one line that it has no display, exits 1.
set -u
bin=$1
failed=0
for row in "bounce_fit 800x600" "bounce_800 800x600" "bounce_1024 1024x768" \
  "bounce_vsync 1024x768" "bounce_flash 1024x768"; do
  set -- $row
  err=$(cd "$bin" && env -u DISPLAY -u WAYLAND_DISPLAY timeout 20 "./$1" 2>&1 >/dev/null)
  status=$?
  want="$1: cannot open a $2 fullscreen display"
  if [ "$status" -ne 1 ] || [ "$err" != "$want" ]; then
    echo "FAIL $1: status $status, stderr '$err', wanted status 1 and '$want'"
    failed=1
  fi
done
exit $failed
