#!/usr/bin/env bash
# Double presses of Q under mutter's X11 session (two display-size switches back to back). Two
# switches back to back stop mutter 43 painting for good (docs/mutter-x11); the programs used to
# set it off within 5 double presses, and no longer do since they release the target bitmap
# around each switch. Fails if mutter stops painting within 20 double presses: the ended
# program's last frame then stays on the screen.
# Usage (on a display where mutter --x11 runs): mutter_quick_switches_test.sh PROGRAM_DIR SCREEN_TOOL
set -uo pipefail
programs=$1
screen_tool=$2
for attempt in $(seq 4); do
  (cd "$programs" && exec ./bounce_1024) &
  pid=$!
  for _ in $(seq 50); do
    [[ $("$screen_tool" status) == *Szer-1024* ]] && break
    sleep 0.1
  done
  for _ in $(seq 5); do
    "$screen_tool" key q 5
    sleep 0.02
    "$screen_tool" key q 5
    sleep 1.2
  done
  "$screen_tool" key Escape 150
  wait "$pid"
  sleep 2
  if [[ $("$screen_tool" status) == *Szer-* ]]; then
    echo "after $((attempt * 5)) double presses mutter stopped painting: the ended program's last"
    echo "frame is still shown"
    exit 1
  fi
done
echo "mutter painted on through $((attempt * 5)) double presses"
