#!/usr/bin/env bash
# Runs the end-to-end tests on a virtual display of their own, stopped however they end; with
# WM set, under that window manager (openbox; xfwm4, Xfce's; kwin_x11, KDE Plasma's X11 session;
# or mutter for GNOME's X11 session), started with a session bus of its own; the tests see its
# name in E2E_WINDOW_MANAGER.
# Usage: [WM=openbox] run_e2e.sh TEST_PROGRAM STATE_DIR [its arguments]
set -u
binary=$1
mkdir -p "$2"
state=$(cd "$2" && pwd)
shift 2
here=$(cd "$(dirname "$0")" && pwd)
display_script="$here/../../scripts/virtual_display.sh"
wm=${WM:-}
export E2E_WINDOW_MANAGER=$wm
wm_pid=""
bus_pid=""
finish() {
  [ -z "$wm_pid" ] || kill "$wm_pid" 2>/dev/null
  [ -z "$bus_pid" ] || kill "$bus_pid" 2>/dev/null
  "$display_script" stop "$state"
}
trap finish EXIT
case $wm in
"") ;;
openbox) command=(openbox --startup "touch '$state/running'") ;;
mutter) command=(mutter --x11 --replace) ;;
kwin_x11) command=(env QT_QPA_PLATFORM=xcb kwin_x11 --replace) ;;
xfwm4) command=(xfwm4 --replace) ;;
*) echo "run_e2e.sh: no window manager \"$wm\"" >&2; exit 2 ;;
esac
DISPLAY=$("$display_script" start "$state") || exit 1
export DISPLAY
# Ready once the window manager manages a window (gives it WM_STATE): having taken the screen's
# selection is not enough. The probe window is found by its class, not its name: mutter 48's
# frame window carries its client's name, and a search by name that met the frame first never
# saw the probe managed. A first start on a fresh machine may be slow: it is waited out, for up
# to three minutes, never made again; where nothing is managed by then, what the window manager
# and the probe were doing is shown. openbox leaves a window mapped during its start-up unmanaged
# until its next X event (docs/openbox-startup): the probe waits for the start-up command openbox
# runs once it is running.
running() {
  [ "$wm" != openbox ] || [ -e "$state/running" ]
}
probe_managed() {
  local id
  for id in $(xdotool search --classname '^e2e_ready$' 2>/dev/null); do
    xprop -id "$id" WM_STATE 2>/dev/null | grep -q 'window state' && return 0
  done
  return 1
}
if [ -n "$wm" ]; then
  eval "$(dbus-launch --sh-syntax)"
  bus_pid=$DBUS_SESSION_BUS_PID
  rm -f "$state/running"
  "${command[@]}" >"$state/$wm.log" 2>&1 &
  wm_pid=$!
  probe=""
  started=$SECONDS
  until [ -n "$probe" ] && probe_managed; do
    if [ -z "$probe" ] && running; then
      xmessage -name e2e_ready ready >/dev/null 2>&1 &
      probe=$!
    fi
    if [ $((SECONDS - started)) -ge 180 ] || ! kill -0 "$wm_pid" 2>/dev/null; then
      echo "run_e2e.sh: $wm managed no window in $((SECONDS - started)) s; the window manager and the probe:"
      ps -o pid,stat,wchan:32,etimes,time,args -p "$wm_pid${probe:+,$probe}"
      xwininfo -root -tree | grep -i e2e_ready
      tail "$state/$wm.log"
      exit 1
    fi
    sleep 0.1
  done
  kill "$probe" 2>/dev/null
fi
"$binary" "$@"
status=$?
if [ $status -gt 128 ]; then
  echo "run_e2e.sh: the tests died of signal $((status - 128)); the server's log:"
  tail -20 "$state/xorg.log"
fi
exit $status
