#!/usr/bin/env bash
# A headless Wayland session on one monitor (1024x768 unless `monitor` says otherwise, at the
# `scale` given, 1 by default; sway and Weston only): mutter's
# (GNOME), kwin_wayland's (KDE Plasma), sway's, Weston's or cage's (a kiosk). With Xwayland, it
# exports the session's DISPLAY (and what else its X clients need) and ALLEGRO_PLATFORM=x11,
# which keeps the programs on X; with `native` set the session has no Xwayland (cage never
# has one), and it exports WAYLAND_DISPLAY alone. Sourced with `compositor` and `screen_tool`
# set, it starts the session and sets compositor_pid, the process that manages the session's
# windows; it ends the session when the sourcing script ends. Run, it runs one command in such
# a session.
# Usage: [native=1] [monitor=WxH] wayland_session.sh COMPOSITOR SCREEN_TOOL COMMAND [ARGUMENTS]
if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  set -uo pipefail
  compositor=$1
  screen_tool=$2
  shift 2
fi
monitor=${monitor:-1024x768}
scale=${scale:-1}
native=${native:-}
[ "$compositor" != cage ] || native=1
with_xwayland=--xwayland
[ -z "$native" ] || with_xwayland=""
command -v "$compositor" >/dev/null || { echo "wayland_session: $compositor is not installed"; exit 77; }
scratch=$(mktemp -d)
chmod 755 "$scratch"
export XDG_RUNTIME_DIR=$scratch/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset DISPLAY WAYLAND_DISPLAY XAUTHORITY ALLEGRO_PLATFORM
# Xwayland's socket folder: mutter 48 will not make it, and an X server may not have run yet.
[ -d /tmp/.X11-unix ] || mkdir -m 1777 /tmp/.X11-unix
eval "$(dbus-launch --sh-syntax)"
session_pids=()
keyboard_pid=""
finish() {
  local _
  [ -z "$keyboard_pid" ] || kill "$keyboard_pid" 2>/dev/null
  # A compositor left held would never take its end.
  [ -z "${compositor_pid:-}" ] || kill -CONT "$compositor_pid" 2>/dev/null
  kill "${session_pids[@]}" "$DBUS_SESSION_BUS_PID" 2>/dev/null
  cat "$scratch"/hold.pid "$scratch"/*/hold.pid 2>/dev/null | xargs -r kill 2>/dev/null
  # A compositor that does not end on SIGTERM (cage 0.2 at times) is killed after 5 s.
  for _ in $(seq 50); do
    kill -0 "${session_pids[@]}" 2>/dev/null || break
    sleep 0.1
  done
  kill -9 "${session_pids[@]}" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$scratch"
}
trap finish EXIT
started() { # what did not come
  echo "$compositor did not start ($1):"
  tail -20 "$scratch/session.log"
  exit 1
}
# The Xwayland display a line of the compositor's log names (sed pattern with one group).
display_from_log() {
  for _ in $(seq 150); do
    DISPLAY=$(sed -n "s/$1/\1/p" "$2" | head -1)
    [ -n "$DISPLAY" ] && return 0
    sleep 0.1
  done
  started "no X display"
}
# The compositor's Wayland socket, once it is there.
socket_at() { # path, a glob where the compositor picks the name
  local socket
  for _ in $(seq 150); do
    for socket in $1; do
      [ -S "$socket" ] && { WAYLAND_DISPLAY=$socket; return 0; }
    done
    sleep 0.1
  done
  started "no socket $1"
}
# The session's display: its Wayland socket with no Xwayland, else the X display its log names.
session_display() { # socket path, log pattern
  if [ -n "$native" ]; then
    socket_at "$1"
  else
    display_from_log "$2" "$scratch/session.log"
  fi
}
# kwin_wayland and cage run one command in their session: this one, in FOLDER, tells the
# display and waits.
hold_in() { # folder
  local variable=DISPLAY
  [ -z "$native" ] || variable=WAYLAND_DISPLAY
  printf '#!/bin/sh\necho $$ >%s/hold.pid\necho "$%s" >%s/display\nexec sleep infinity\n' \
    "$1" "$variable" "$1" >"$1/hold"
  chmod 755 "$1/hold"
}
held_display() { # folder
  for _ in $(seq 150); do [ -s "$1/display" ] && break; sleep 0.1; done
  cat "$1/display" 2>/dev/null
}
# wlroots' compositors refuse to run as root: they run as a user of their own, in a folder of
# theirs, and let root's clients in. setpriv becomes the compositor itself: su would wait on
# it, and stop itself whenever the compositor is stopped.
wlroots_user=bounce-demos-sway
as_wlroots_user() { # folder, command...
  local folder=$1
  shift
  id "$wlroots_user" >/dev/null 2>&1 || useradd --system --no-create-home "$wlroots_user"
  mkdir -p -m 700 "$folder"
  chown "$wlroots_user" "$folder"
  (cd "$folder" && exec setpriv --reuid="$wlroots_user" --regid="$(id -g "$wlroots_user")" \
    --clear-groups env HOME="$folder" XDG_RUNTIME_DIR="$folder" WLR_BACKENDS=headless \
    WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 "$@") >"$scratch/session.log" 2>&1 &
}
case $compositor in
mutter)
  mutter --wayland --headless ${native:+--no-x11} --virtual-monitor "$monitor" \
    >"$scratch/session.log" 2>&1 &
  session_pids+=($!)
  compositor_pid=$!
  session_display "$XDG_RUNTIME_DIR/wayland-0" '.*Using public X11 display \(:[0-9]*\).*'
  XAUTHORITY=$(ls "$XDG_RUNTIME_DIR"/.mutter-Xwaylandauth.* 2>/dev/null | head -1)
  [ -z "$XAUTHORITY" ] || export XAUTHORITY
  ;;
kwin_wayland)
  # The installed binary carries a file capability a container cannot grant; a copy has none,
  # and must keep the name, or its Qt platform plugin refuses to load.
  mkdir "$scratch/kwin"
  cp "$(command -v kwin_wayland)" "$scratch/kwin/kwin_wayland"
  hold_in "$scratch"
  # KWin gives its fake input (the tests' keys) only to programs it trusts; the session's test
  # clients all are.
  KWIN_WAYLAND_NO_PERMISSION_CHECKS=1 KWIN_COMPOSE=Q \
    "$scratch/kwin/kwin_wayland" --virtual $with_xwayland --width "${monitor%x*}" \
    --height "${monitor#*x}" "$scratch/hold" >"$scratch/session.log" 2>&1 &
  session_pids+=($!)
  compositor_pid=$!
  display=$(held_display "$scratch")
  [ -n "$display" ] || started "no display"
  if [ -n "$native" ]; then WAYLAND_DISPLAY=$display; else DISPLAY=$display; fi
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
  # fault. The session runs without the panel, as a kiosk's does. --debug lets its screenshooter
  # read the output back.
  printf '[shell]\npanel-position=none\n' >"$scratch/weston.ini"
  weston "${backend[@]}" $with_xwayland --debug --scale="$scale" --width="${monitor%x*}" \
    --height="${monitor#*x}" --config="$scratch/weston.ini" --socket=weston-bounce \
    >"$scratch/session.log" 2>&1 &
  session_pids+=($!)
  compositor_pid=$!
  session_display "$XDG_RUNTIME_DIR/weston-bounce" '.*xserver listening on display \(:[0-9]*\).*'
  ;;
cage)
  monitor=default
  # cage's headless output takes wlroots' default size, whatever `monitor` says. Its Xwayland
  # (Debian 12's cage cannot go without) starts only for an X client, and none comes.
  mkdir -m 700 "$scratch/cage"
  hold_in "$scratch/cage"
  as_wlroots_user "$scratch/cage" cage -- "$scratch/cage/hold"
  session_pids+=($!)
  compositor_pid=$!
  display=$(held_display "$scratch/cage")
  [ -n "$display" ] || started "no display"
  socket_at "$scratch/cage/$display"
  ;;
sway)
  if [ -n "$native" ]; then
    printf 'output HEADLESS-1 resolution %s scale %s\nxwayland disable\n' "$monitor" "$scale" \
      >"$scratch/sway.config"
  else
    cat >"$scratch/sway.config" <<CONFIG
output HEADLESS-1 resolution $monitor
xwayland force
exec xhost +si:localuser:root
exec sh -c 'echo \$DISPLAY >$scratch/sway/display'
CONFIG
  fi
  as_wlroots_user "$scratch/sway" sway -c "$scratch/sway.config"
  session_pids+=($!)
  compositor_pid=$!
  if [ -n "$native" ]; then
    socket_at "$scratch/sway/wayland-[0-9]*"
  else
    let_in=false
    for _ in $(seq 150); do
      DISPLAY=$(cat "$scratch/sway/display" 2>/dev/null)
      [ -n "$DISPLAY" ] && DISPLAY=$DISPLAY xhost 2>/dev/null | grep -q localuser:root &&
        { let_in=true; break; }
      sleep 0.1
    done
    $let_in || started "root not let in"
    socket_at "$scratch/sway/wayland-[0-9]*"
    export WAYLAND_DISPLAY
    # Headless sway has no keyboard, so no window has the keyboard's focus and XTest's keys go
    # nowhere. A virtual keyboard that types nothing gives the seat one; a key pressed through
    # XTest first makes Xwayland's keyboard take XTest's keymap before any program reads it.
    wtype -s 2147483647 -k Escape &
    keyboard_pid=$!
    sleep 0.5
    DISPLAY=$DISPLAY "$screen_tool" key Escape 20
  fi
  ;;
*) echo "wayland_session.sh: no compositor \"$compositor\"" >&2; exit 2 ;;
esac
if [ -n "$native" ]; then
  export WAYLAND_DISPLAY
else
  export DISPLAY ALLEGRO_PLATFORM=x11
fi
if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  "$@"
  exit
fi
