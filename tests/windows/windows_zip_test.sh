#!/usr/bin/env bash
# The Windows build as a user gets it: Allegro for Windows built from its source (or taken from
# a prefix), the programs against it, the zip unpacked into an empty folder and read (GUI
# programs with an icon and version information, stripped DLLs that import only Windows' own
# DLLs or one in the zip), then each program's end-to-end scenario run from there under Wine on
# the virtual display ($DISPLAY), Q on a Russian layout, and a set-up failure shown in a message
# box.
# Usage: windows_zip_test.sh BUILD_DIR E2E_TESTS SCREEN_TOOL
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$1
e2e_tests=$2
screen_tool=$3
if [ -z "${ALLEGRO_WINDOWS_SOURCE:-}${ALLEGRO_WINDOWS_PREFIX:-}" ]; then
  echo "windows_zip: skipped: no Allegro for Windows; set ALLEGRO_WINDOWS_SOURCE to Allegro" \
    "5.2.11.3's source tarball (or ALLEGRO_WINDOWS_PREFIX to one already built)"
  exit 77
fi
zip=$(BUILD_DIR=$build "$root/scripts/build_windows.sh" -DDEMO_WARNINGS_AS_ERRORS=ON | tail -1) ||
  { echo "windows_zip: the Windows build failed"; exit 1; }
rm -rf "$build/unpacked"
mkdir -p "$build/unpacked"
(cd "$build/unpacked" && unzip -q "$zip") || exit 1
programs=$build/unpacked/$(basename "$zip" .zip)

# Wine with a prefix of its own, made once; its crash debugger, which would hang, replaced so
# that a crash ends the program at once. One Wine session serves every run.
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(dirname "$wine")/wineserver
export WINEPREFIX=$build/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap '"$wineserver" -k 2>/dev/null' EXIT
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  "$wine" wineboot -i >/dev/null 2>&1
  "$wine" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger \
    /d 'cmd /c exit' /f >/dev/null 2>&1
fi
"$wineserver" -p
# Wine gives back, at a program's end, the mode its session recorded. Left to come and go with
# the programs, the session's desktop process at times recorded a program's mode, and every
# later program of the session left that mode behind (once in CI on Wine 10; 2 of 9 probe runs
# on Wine 8). Started first, at the desktop's mode, and kept up to the end by a console program
# that waits on a pipe nobody writes, it has not done so since.
coproc desktop_holder { "$wine" cmd /c pause >/dev/null 2>&1; }
for _ in $(seq 100); do
  grep -qa 'system32.explorer\.exe' /proc/[0-9]*/cmdline 2>/dev/null && break
  sleep 0.1
done
# Windows' own DLLs: those Wine makes.
windows_own=$(dirname "$(find /usr/lib -path '*/wine/x86_64-windows/kernel32.dll' | head -1)")

passed=0
failed=0
check() { # what, then the command that must succeed
  local what=$1
  shift
  if "$@"; then passed=$((passed + 1)); else echo "FAIL $what"; failed=$((failed + 1)); fi
}
has_file() { # folder, file name in any case
  ls "$1" | grep -ixF "$2" >/dev/null
}
# Output is read whole before it is searched: grep -q would stop early and fail the pipe.
windows_own_or_in_zip() { # DLL name
  has_file "$programs" "$1" || has_file "$windows_own" "$1"
}
box_shown() { # program name
  local windows
  windows=$(xwininfo -root -tree)
  grep -qF "\"$1\": (\"$1.exe\"" <<<"$windows"
}

# What is in the zip: the programs, Allegro's DLLs, the pictures, the licences, the text.
contents=$(cd "$programs" && ls | sort | paste -sd' ')
check "zip holds: $contents" test "$contents" = "LICENSE-Allegro.txt LICENSE.txt README.txt \
allegro-5.2.dll allegro_dialog-5.2.dll allegro_font-5.2.dll allegro_image-5.2.dll bmp.jpg bmp.png \
bounce_1024.exe bounce_800.exe bounce_fit.exe bounce_flash.exe bounce_vsync.exe"
for file in "$programs"/*.exe "$programs"/*.dll; do
  name=$(basename "$file")
  headers=$(x86_64-w64-mingw32-objdump -p "$file")
  for dll in $(awk '/DLL Name:/ {print $3}' <<<"$headers"); do
    check "$name imports $dll, neither Windows' own nor in the zip" windows_own_or_in_zip "$dll"
  done
  sections=$(x86_64-w64-mingw32-objdump -h "$file")
  check "$name is stripped" test "$(grep -c '\.debug_' <<<"$sections")" = 0
  case $name in
  *.exe)
    check "$name is a GUI program" grep -qE '^Subsystem[[:space:]]+00000002' <<<"$headers"
    resources=$(wrestool -l "$file")
    check "$name has an icon" grep -q type=group_icon <<<"$resources"
    version=$(wrestool -x --raw --type=16 "$file" | strings -el | paste -sd'|')
    check "$name's version information: $version" grep -qF \
      "InternalName|${name%.exe}|OriginalFilename|$name|LegalCopyright|" <<<"$version"
    check "$name's product: $version" grep -qE '\|ProductName\|Bounce demos\|ProductVersion\|[0-9]+\.[0-9]+\.[0-9]+\|' \
      <<<"$version"
    ;;
  esac
done

# A set-up failure: the line in a message box once the desktop has its mode back; closing the
# box ends the program with status 1. Wine's trace of the box tells the text it shows. First,
# since the session's first window waits about 10 s for Wine's desktop process to come up.
scratch=$(mktemp -d)
for name in bounce_800 bounce_flash; do
  (cd "$scratch" && WINEDEBUG=+msgbox exec "$wine" "$programs/$name.exe") 2>"$scratch/err" &
  pid=$!
  for _ in $(seq 100); do
    box_shown "$name" && break
    sleep 0.2
  done
  line="$name: cannot load the picture \\\"bmp.jpg\\\" from the current directory"
  check "$name shows its message box" box_shown "$name"
  check "$name gave the mode back first" test "$("$screen_tool" mode)" = 1024x768
  sleep 0.5
  "$screen_tool" key Return 150
  status=hung
  for _ in $(seq 50); do
    kill -0 "$pid" 2>/dev/null || { wait "$pid"; status=$?; break; }
    sleep 0.2
  done
  [ "$status" != hung ] || kill -9 "$pid"
  check "$name ends with status 1 once the box is closed, not $status" test "$status" = 1
  check "$name's box shows its line" grep -qF "MSGBOX_OnInit L\"$line\"" "$scratch/err"
done
rm -rf "$scratch"

# Each program's scenario, started from the unpacked folder through Wine, and Q on a Russian
# layout with a US one beside it. (On Russian alone Wine 8 matches no layout of its own and gives
# the key at Q's place VK_OEM_1, its fault: Windows gives it VK_Q, docs/keyboard-layouts.) Keys
# are held as a person holds them: Wine misses taps of a few milliseconds at times.
E2E_LAUNCHER=$wine E2E_PROGRAM_DIR=$programs E2E_KEY_HOLD_MS=150 \
  "$e2e_tests" --gtest_filter='all/program_e2e.runs_*:layouts/layout_e2e.*/ru_us'
check "the programs' scenarios under Wine" test $? -eq 0
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
