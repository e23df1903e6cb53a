#!/usr/bin/env bash
# Starts or stops a virtual X server that can switch fullscreen modes: Xorg on the dummy driver
# with 1024x768, 800x600 and 640x480 (Xvfb cannot switch modes).
# Usage: scripts/virtual_display.sh start DIR   # prints the display, e.g. ":1"
#        scripts/virtual_display.sh stop DIR
# DIR keeps the server's config, log, pid and display number.
set -euo pipefail
action=${1:?start or stop}
dir=${2:?a folder for the server files}
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)

stop() {
  [ -f "$dir/pid" ] || return 0
  local pid
  pid=$(cat "$dir/pid")
  rm -f "$dir/pid" "$dir/display"
  kill "$pid" 2>/dev/null || return 0
  for _ in $(seq 50); do
    kill -0 "$pid" 2>/dev/null || return 0
    sleep 0.1
  done
  kill -9 "$pid" 2>/dev/null || true
}

if [ "$action" = stop ]; then
  stop
  exit 0
fi

stop
cat >"$dir/xorg.conf" <<'CONF'
Section "Device"
  Identifier "card"
  Driver "dummy"
  VideoRam 65536
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
  Modeline "1024x768" 65.00 1024 1048 1184 1344 768 771 777 806 -hsync -vsync
  Modeline "800x600" 40.00 800 840 968 1056 600 601 605 628 +hsync +vsync
  Modeline "640x480" 25.18 640 656 752 800 480 490 492 525 -hsync -vsync
EndSection
Section "Screen"
  Identifier "screen"
  Device "card"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Modes "1024x768" "800x600" "640x480"
    Virtual 1024 768
  EndSubSection
EndSection
CONF
rm -f "$dir/display.fd"
# -displayfd picks a free display number and writes it once the server accepts connections.
setsid Xorg -noreset -nolisten tcp -displayfd 3 -config "$dir/xorg.conf" -logfile "$dir/xorg.log" \
  3>"$dir/display.fd" </dev/null >"$dir/xorg.out" 2>&1 &
echo $! >"$dir/pid"
for _ in $(seq 150); do
  # Complete once its newline is there: the server writes the number and the newline apart.
  if [ -s "$dir/display.fd" ] && [ -z "$(tail -c 1 "$dir/display.fd")" ]; then
    echo ":$(tr -d '\n' <"$dir/display.fd")" >"$dir/display"
    cat "$dir/display"
    exit 0
  fi
  kill -0 "$(cat "$dir/pid")" 2>/dev/null || break
  sleep 0.1
done
echo "virtual_display.sh: Xorg did not start; the end of $dir/xorg.log:" >&2
tail -15 "$dir/xorg.log" >&2
stop
exit 1
