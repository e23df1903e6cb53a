#!/usr/bin/env bash
# Shows that a window mapped while openbox starts up stays unmanaged until openbox's next X event.
# Usage: DISPLAY=:N startup_map.sh   (an X server of its own, no window manager)
dir=$(mktemp -d)
mkfifo "$dir/rc.xml"
openbox --config-file "$dir/rc.xml" &
wm=$!
sleep 1 # openbox has taken the screen and waits to read its configuration
xmessage -name probe probe &
probe=$!
sleep 1 # the probe's map request waits for openbox
cat /etc/xdg/openbox/rc.xml >"$dir/rc.xml"
managed() { xprop -id "$(xdotool search --classname '^probe$' | head -1)" WM_STATE | grep -c Normal; }
sleep 3
echo "3 s after openbox's start-up: managed $(managed)"
xprop -root -f _NUDGE 8s -set _NUDGE 1 # any event openbox listens to
sleep 1
echo "after a property change on the root window: managed $(managed)"
kill $probe $wm
rm -rf "$dir"
