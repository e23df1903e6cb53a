#!/usr/bin/env bash
# A headless Wayland session with Xwayland, on a 1024x768 monitor: mutter's (GNOME),
# kwin_wayland's (KDE Plasma), sway's or Weston's. Sourced with `compositor` and `screen_tool`
# set, it starts the session and exports its DISPLAY (and what else its X clients need), and sets
# compositor_pid, the process that manages the session's windows; it ends the session when the
# sourcing script ends. Run, it runs one command in such a session.
# Usage: wayland_session.sh mutter|kwin_wayland|sway|weston SCREEN_TOOL COMMAND [ARGUMENTS]
if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  set -uo pipefail
  compositor=$1
  screen_tool=$2
  shift 2
fi
monitor=1024x768
command -v "$compositor" >/dev/null || { echo "wayland_session: $compositor is not installed"; exit 77; }
scratch=$(mktemp -d)
chmod 755 "$scratch"
export XDG_RUNTIME_DIR=$scratch/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset DISPLAY WAYLAND_DISPLAY XAUTHORITY
# Xwayland's socket folder: mutter 48 will not make it, and an X server may not have run yet.
[ -d /tmp/.X11-unix ] || mkdir -m 1777 /tmp/.X11-unix
eval "$(dbus-launch --sh-syntax)"
session_pids=()
keyboard_pid=""
finish() {
  [ -z "$keyboard_pid" ] || kill "$keyboard_pid" 2>/dev/null
  # A compositor left held would never take its end.
  [ -z "${compositor_pid:-}" ] || kill -CONT "$compositor_pid" 2>/dev/null
  kill "${session_pids[@]}" "$DBUS_SESSION_BUS_PID" 2>/dev/null
  [ ! -s "$scratch/hold.pid" ] || kill "$(cat "$scratch/hold.pid")" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$scratch"
}
trap finish EXIT
# The Xwayland display a line of the compositor's log names (sed pattern with one group).
display_from_log() {
  for _ in $(seq 150); do
    DISPLAY=$(sed -n "s/$1/\1/p" "$2" | head -1)
    [ -n "$DISPLAY" ] && return 0
    sleep 0.1
  done
  echo "$compositor did not start:"
  tail -20 "$2"
  exit 1
}
sway_user=bounce-demos-sway
case $compositor in
mutter)
  mutter --wayland --headless --virtual-monitor $monitor >"$scratch/session.log" 2>&1 &
  session_pids+=($!)
  compositor_pid=$!
  display_from_log '.*Using public X11 display \(:[0-9]*\).*' "$scratch/session.log"
  XAUTHORITY=$(ls "$XDG_RUNTIME_DIR"/.mutter-Xwaylandauth.* 2>/dev/null | head -1)
  export XAUTHORITY
  ;;
kwin_wayland)
  # The installed binary carries a file capability a container cannot grant; a copy has none,
  # and must keep the name, or its Qt platform plugin refuses to load.
  mkdir "$scratch/kwin"
  cp "$(command -v kwin_wayland)" "$scratch/kwin/kwin_wayland"
  # kwin_wayland runs one command in its session: this one tells the display and waits.
  printf '#!/bin/sh\necho $$ >%s/hold.pid\necho "$DISPLAY" >%s/display\nexec sleep infinity\n' \
    "$scratch" "$scratch" >"$scratch/hold"
  chmod +x "$scratch/hold"
  KWIN_COMPOSE=Q "$scratch/kwin/kwin_wayland" --virtual --xwayland --width ${monitor%x*} \
    --height ${monitor#*x} "$scratch/hold" >"$scratch/session.log" 2>&1 &
  session_pids+=($!)
  compositor_pid=$!
  for _ in $(seq 150); do [ -s "$scratch/display" ] && break; sleep 0.1; done
  DISPLAY=$(cat "$scratch/display" 2>/dev/null)
  [ -n "$DISPLAY" ] || { echo "kwin_wayland did not start:"; tail -20 "$scratch/session.log"; exit 1; }
  ;;
weston)
  # Weston 12 and later name the backend and the renderer apart.
  if weston --help 2>&1 | grep -q -- --renderer; then
    backend=(--backend=headless --renderer=pixman)
  else
    backend=(--backend=headless-backend.so --use-pixman)
  fi
  # Weston 14's desktop shell shows a fullscreen X11 window below its panel, offset by the
  # panel's height, whatever the client (xmessage made fullscreen with wmctrl too): its own
  # fault. The session runs without the panel, as a kiosk's does.
  printf '[shell]\npanel-position=none\n' >"$scratch/weston.ini"
  weston "${backend[@]}" --xwayland --width=${monitor%x*} --height=${monitor#*x} \
    --config="$scratch/weston.ini" --socket=weston-bounce >"$scratch/session.log" 2>&1 &
  session_pids+=($!)
  compositor_pid=$!
  display_from_log '.*xserver listening on display \(:[0-9]*\).*' "$scratch/session.log"
  ;;
sway)
  # sway refuses to run as root: it runs as a user of its own and lets root's clients in.
  id "$sway_user" >/dev/null 2>&1 || useradd --system --no-create-home "$sway_user"
  mkdir -m 700 "$scratch/sway"
  chown "$sway_user" "$scratch/sway"
  cat >"$scratch/sway.config" <<CONFIG
output HEADLESS-1 resolution $monitor
xwayland force
exec xhost +si:localuser:root
exec sh -c 'echo \$DISPLAY >$scratch/sway/display'
CONFIG
  # setpriv becomes sway itself: su would wait on it, and stop itself whenever sway is stopped.
  (cd "$scratch/sway" && exec setpriv --reuid="$sway_user" --regid="$(id -g "$sway_user")" \
    --clear-groups env HOME="$scratch/sway" XDG_RUNTIME_DIR="$scratch/sway" WLR_BACKENDS=headless \
    WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 sway -c "$scratch/sway.config") \
    >"$scratch/session.log" 2>&1 &
  session_pids+=($!)
  compositor_pid=$!
  let_in=false
  for _ in $(seq 150); do
    DISPLAY=$(cat "$scratch/sway/display" 2>/dev/null)
    [ -n "$DISPLAY" ] && DISPLAY=$DISPLAY xhost 2>/dev/null | grep -q localuser:root &&
      { let_in=true; break; }
    sleep 0.1
  done
  $let_in || { echo "sway did not start, or did not let root in:"; tail -20 "$scratch/session.log"; exit 1; }
  export WAYLAND_DISPLAY=$(ls -d "$scratch"/sway/wayland-* | grep -v lock | head -1)
  # Headless sway has no keyboard, so no window has the keyboard's focus and XTest's keys go
  # nowhere. A virtual keyboard that types nothing gives the seat one; a key pressed through
  # XTest first makes Xwayland's keyboard take XTest's keymap before any program reads it.
  wtype -s 2147483647 -k Escape &
  keyboard_pid=$!
  sleep 0.5
  DISPLAY=$DISPLAY "$screen_tool" key Escape 20
  ;;
*) echo "wayland_session.sh: no compositor \"$compositor\"" >&2; exit 2 ;;
esac
export DISPLAY
if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  "$@"
  exit
fi
