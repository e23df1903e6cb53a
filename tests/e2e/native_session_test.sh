#!/usr/bin/env bash
# The programs as native Wayland clients, in a session with no Xwayland at all: sway's, mutter's
# (GNOME), kwin_wayland's (KDE Plasma), Weston's or cage's (a kiosk), headless, on a monitor of
# `monitor` (1920x1080 by default; cage takes its own), one session for all five programs.
# Every program must show its frame from the start, at its start size, filling the monitor at
# its shape, centred, with black bands; Q there and back, and a quick double press, each at
# once; Escape 0; and the last one, when the compositor goes away, one line and status 1.
# What the monitor shows is read back where the compositor gives it to a client (sway and
# cage: grim; Weston: its screenshooter); mutter and KWin give it to their own shells only,
# and there the program is checked to run. Keys go through one keyboard for the session
# (tools/wayland_keys: a virtual keyboard with a whole keymap where the compositor offers one,
# KWin's fake input; mutter's remote desktop interface); where none can be had (Weston) the
# test says so once, leaves out the key steps and ends each program by SIGTERM.
# Usage: native_session_test.sh COMPOSITOR PROGRAM_DIR SCREEN_TOOL WAYLAND_KEYS
set -uo pipefail
shopt -s extglob
compositor=$1
programs=$2
screen_tool=$3
wayland_keys=$4
native=1
monitor=${monitor:-1920x1080}
source "$(dirname "$0")/wayland_session.sh"
source "$(dirname "$0")/session_checks.sh"

# The keyboard: a coprocess answering each key with "ok" once it is pressed and released.
keys=""
# mutter offers no protocol for it: its remote desktop interface, over D-Bus, stands in.
keyboard=("$wayland_keys" us)
[ "$compositor" != mutter ] || keyboard=(/usr/bin/python3 "$(dirname "$0")/mutter_keys.py")
# bash forgets a coprocess's descriptors once it has ended: one that could not start a keyboard
# stays, reading what it is sent, and its descriptors are kept under names of their own.
coproc KEYS { "${keyboard[@]}" 2>&1; cat >/dev/null; }
keyboard_pid=$KEYS_PID
exec {keys_out}<&"${KEYS[0]}" {keys_in}>&"${KEYS[1]}"
read -r -t 10 -u "$keys_out" answer && [ "$answer" = ready ] && keys=yes
[ -n "$keys" ] || echo "NOTE $compositor: no virtual keyboard (${answer:-no answer}): no key steps; programs end by SIGTERM"
# The keyboard's answer to a command.
press_answer() { # command words...
  local answer
  echo "$*" >&"$keys_in"
  read -r -t 5 -u "$keys_out" answer
  echo "${answer:-no answer}"
}
press() { # keysym, hold in ms, [layout]
  local answer
  answer=$(press_answer "$@")
  [ "$answer" = ok ] || echo "NOTE the key $1 was not pressed: $answer"
}

# The monitor as a PNG in FILE, where the compositor gives it.
grab() { # file
  case $compositor in
  sway | cage) timeout 10 grim "$1" 2>/dev/null ;;
  weston)
    rm -rf "$scratch/shots" && mkdir "$scratch/shots"
    (cd "$scratch/shots" && timeout 10 weston-screenshooter >/dev/null 2>&1) &&
      mv "$scratch"/shots/*.png "$1" 2>/dev/null
    ;;
  *) return 1 ;;
  esac
}
grab "$scratch/first.png"
readable=$([ -s "$scratch/first.png" ] && echo yes)
[ -n "$readable" ] || echo "NOTE $compositor gives no client what its monitor shows: the frames are not read"
# What the monitor shows of the frame at a display SIZE (screen_tool file-frame).
shown() { # size
  local grabbed=$scratch/grab.png
  rm -f "$grabbed"
  grab "$grabbed" && [ -s "$grabbed" ] || { echo "no grab"; return; }
  "$screen_tool" file-frame "$grabbed" "${1%x*}" "${1#*x}" || echo "unreadable grab"
}
# The frame at SIZE: the status line with that size over the picture, the monitor covered at
# the frame's shape, black bands beside it where the monitor's shape is another. cage's monitor
# (1280x720) shows a 1024x768 frame scaled down, its status line unreadable. Waits up to 10 s
# for it (the status line changes once a second).
frame_at() { # size
  local expected="status @($1|scaled down), top picture, corner grey@(|, bands black)" now
  for _ in $(seq 40); do
    now=$(shown "$1")
    [[ $now == $expected ]] && { echo "right"; return; }
    sleep 0.25
  done
  echo "$now"
}
# The program's frame at SIZE where the monitor can be read, else that the program still runs
# after 2 s.
check_shown() { # description, size
  if [ -n "$readable" ]; then
    check "$1 shows its frame at $2" right "$(frame_at "$2")"
  else
    sleep 2
    check "$1 runs" running "$(kill -0 "$pid" 2>/dev/null && echo running || echo ended)"
  fi
}

rows=("bounce_fit 800x600 640x480" "bounce_800 800x600 640x480" "bounce_1024 1024x768 800x600"
  "bounce_vsync 1024x768 800x600" "bounce_flash 1024x768 800x600")
for row in "${rows[@]}"; do
  read -r name start alt <<<"$row"
  start_program "$programs" "$name" "$scratch/$name.err"
  check_shown "$name" "$start"
  if [ -n "$keys" ]; then
    for size in "$alt" "$start"; do
      press q 5
      [ -z "$readable" ] || check "$name after Q shows $size" right "$(frame_at "$size")"
    done
    # Two presses handled in one pass both take effect.
    press q 5
    press q 5
    [ -z "$readable" ] || check "$name after a quick double Q shows $start" right "$(frame_at "$start")"
    press Escape 150
    await_exit "$pid" 10
    check "$name ends on Escape" 0 "$status"
  else
    kill -TERM "$pid"
    await_exit "$pid" 10
    check "$name ends on SIGTERM" 143 "$status"
  fi
  check "$name says nothing" "" "$(cat "$scratch/$name.err")"
done

# Keyboard layouts, where the session's keyboard can have several (a virtual keyboard): with a
# Latin layout active the key that types q there switches, and the key that types a (where a
# US keyboard has Q, on AZERTY) does not; with a non-Latin one active, the key at Q's place
# does. Each row's keymap is sent anew while the program runs, as a layout switcher does.
# Rows: layouts, the active one, the layout in which the key pressed as Q types q, and in which
# the key pressed as A types a.
if [ -n "$keys" ] && [ -n "$readable" ] && [ "$(press_answer layouts us)" = ok ]; then
  start_program "$programs" bounce_1024 "$scratch/layouts.err"
  check_shown "bounce_1024 for the layouts" 1024x768
  for row in "us,fr 1 1 1" "us,us(dvorak) 1 1 1" "ru,us 0 1 1" "us 0 0 0"; do
    read -r layouts active q_layout a_layout <<<"$row"
    press_answer layouts "$layouts" >/dev/null
    press_answer group "$active" >/dev/null
    press q 5 "$q_layout"
    check "$layouts, layout $active active: Q switches" right "$(frame_at 800x600)"
    press a 5 "$a_layout"
    sleep 1
    check "$layouts, layout $active active: A does not" right "$(frame_at 800x600)"
    press q 5 "$q_layout"
    check "$layouts, layout $active active: Q switches back" right "$(frame_at 1024x768)"
  done
  press Escape 150
  await_exit "$pid" 10
  check "bounce_1024 ends on Escape after the layouts" 0 "$status"
fi

# The compositor going away (a logout, a crash) ends a program with one line and status 1.
start_program "$programs" bounce_800 "$scratch/gone.err"
check_shown "bounce_800 before the compositor goes" 800x600
kill -CONT "$compositor_pid" 2>/dev/null
kill -TERM "$compositor_pid"
await_exit "$pid" 5
check "bounce_800 ends with the compositor" 1 "$status"
check "bounce_800 says why" "bounce_800: lost the connection to the display" \
  "$(tail -1 "$scratch/gone.err")"

echo "$compositor (native): $passed passed, $failed failed"
[ "$failed" -eq 0 ] || show_errors "$scratch"
[ "$failed" -eq 0 ]
