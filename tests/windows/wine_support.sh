# What the Windows tests share, sourced: the build, a Wine session on the virtual display
# ($DISPLAY), the checks' tally, a set-up failure shown in a message box, and the programs'
# end-to-end scenarios under Wine. Reads the tests' arguments: BUILD_DIR E2E_TESTS SCREEN_TOOL.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=$1
e2e_tests=$2
screen_tool=$3

# The installer's and the zip's paths, from the Windows build.
build_windows_packages() {
  local built
  # The source the Linux build was made from; a build that fell back to the system's Allegro
  # had none.
  if [ -z "${ALLEGRO_SOURCE:-}${ALLEGRO_WINDOWS_PREFIX:-}" ]; then
    echo "$(basename "$0" .sh): skipped: no Allegro for Windows; the build had no Allegro source" \
      "(ALLEGRO_SOURCE) to make it from"
    exit 77
  fi
  built=$(BUILD_DIR=$build "$root/scripts/build_windows.sh" -DDEMO_WARNINGS_AS_ERRORS=ON) ||
    { echo "$(basename "$0" .sh): the Windows build failed"; exit 1; }
  msi=$(grep '\.msi$' <<<"$built")
  zip=$(grep '\.zip$' <<<"$built")
}

# Wine with the prefix WINEPREFIX, made if it is not there; its crash debugger, which would
# hang, replaced so that a crash ends the program at once; its menu builder, which copies Start
# menu shortcuts into this machine's own menus, off. One Wine session serves every run.
start_wine_session() {
  wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
  wineserver=$(dirname "$wine")/wineserver
  export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  trap '"$wineserver" -k 2>/dev/null' EXIT
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    "$wine" wineboot -i >/dev/null 2>&1
    "$wine" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger \
      /d 'cmd /c exit' /f >/dev/null 2>&1
  fi
  "$wineserver" -p
  # Wine's desktop process, started by the first window, would end a second after each program
  # and start again with the next: a console program that waits on a pipe nobody writes keeps
  # it for the whole session, as a user's desktop stays.
  coproc desktop_holder { "$wine" cmd /c pause >/dev/null 2>&1; }
  # The mode Wine records as the desktop's, which a program's mode is given back to: Wine 8 at
  # times records a program's mode there instead (docs/windows.md), and the checks then expect
  # that one, with a note.
  x86_64-w64-mingw32-g++ -O2 -s -static -o "$build/recorded_mode.exe" \
    "$root/tests/windows/recorded_mode.cpp" || exit 1
  export E2E_RECORDED_MODE="'$wine' '$build/recorded_mode.exe' 2>/dev/null"
}
recorded_mode() {
  sh -c "$E2E_RECORDED_MODE" | tr -d '\r'
}

passed=0
failed=0
check() { # what, then the command that must succeed
  local what=$1
  shift
  if "$@"; then passed=$((passed + 1)); else echo "FAIL $what"; failed=$((failed + 1)); fi
}
report() {
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}

box_window() { # program name: its box's X window, if shown
  local windows
  windows=$(xwininfo -root -tree)
  grep -F "\"$1\": (\"$1.exe\"" <<<"$windows" | awk '{print $1; exit}'
}
box_shown() { # program name
  test -n "$(box_window "$1")"
}

# A set-up failure: the line in a message box once the desktop has its mode back; closing the
# box ends the program with status 1. Wine's trace of the box tells the text it shows.
# Arguments: the program's name, then the command that starts it in a folder without its
# picture.
check_failure_box() {
  local name=$1 trace pid status
  shift
  trace=$(mktemp)
  WINEDEBUG=+msgbox "$@" 2>"$trace" &
  pid=$!
  for _ in $(seq 100); do
    box_shown "$name" && break
    sleep 0.2
  done
  local line="$name: cannot load the picture \\\"bmp.jpg\\\" from the current directory"
  check "$name shows its message box" box_shown "$name"
  check "$name gave the mode back first" test "$("$screen_tool" mode)" = "$(recorded_mode)"
  # Without a window manager, keys go to the window under the pointer: the pointer is put on
  # the box, as a user's hand would. (Left where the server started it, it missed the box once
  # the desktop stayed at 800x600, docs/windows.md.)
  xdotool mousemove --window "$(box_window "$name")" 20 20
  sleep 0.5
  "$screen_tool" key Return 150
  status=hung
  for _ in $(seq 50); do
    kill -0 "$pid" 2>/dev/null || { wait "$pid"; status=$?; break; }
    sleep 0.2
  done
  [ "$status" != hung ] || kill -9 "$pid"
  check "$name ends with status 1 once the box is closed, not $status" test "$status" = 1
  check "$name's box shows its line" grep -qF "MSGBOX_OnInit L\"$line\"" "$trace"
  rm -f "$trace"
}

# Each program's scenario under Wine, started by LAUNCHER (given PROGRAMS/NAME.exe), and Q on
# a Russian layout with a US one beside it. (On Russian alone Wine 8 matches no layout of its
# own and gives the key at Q's place VK_OEM_1, its fault: Windows gives it VK_Q,
# docs/keyboard-layouts.) Keys are held as a person holds them: Wine misses taps of a few
# milliseconds at times.
# Arguments: PROGRAMS LAUNCHER
check_scenarios() {
  E2E_LAUNCHER=$2 E2E_PROGRAM_DIR=$1 E2E_KEY_HOLD_MS=150 \
    "$e2e_tests" --gtest_filter='all/program_e2e.runs_*:layouts/layout_e2e.*/ru_us'
  check "the programs' scenarios under Wine" test $? -eq 0
  local recorded
  recorded=$(recorded_mode)
  [ "$recorded" = 1024x768 ] ||
    echo "NOTE: Wine recorded $recorded as the desktop's mode in the session (docs/windows.md)"
}
