#!/usr/bin/env bash
# The Windows build as a user gets it: Allegro for Windows built from its source (or taken from
# a prefix), the programs against it, the zip unpacked into an empty folder and read (GUI
# programs with an icon and version information, stripped DLLs that import only Windows' own
# DLLs or one in the zip), then each program's end-to-end scenario run from there under Wine on
# the virtual display ($DISPLAY), Q on a Russian layout, and a set-up failure shown in a message
# box.
# Usage: windows_zip_test.sh BUILD_DIR E2E_TESTS SCREEN_TOOL
set -uo pipefail
source "$(dirname "$0")/wine_support.sh"
build_windows_packages
rm -rf "$build/unpacked"
mkdir -p "$build/unpacked"
(cd "$build/unpacked" && unzip -q "$zip") || exit 1
programs=$build/unpacked/$(basename "$zip" .zip)
export WINEPREFIX=$build/wine
start_wine_session
# Windows' own DLLs: those Wine makes.
windows_own=$(dirname "$(find /usr/lib -path '*/wine/x86_64-windows/kernel32.dll' | head -1)")

has_file() { # folder, file name in any case
  ls "$1" | grep -ixF "$2" >/dev/null
}
# Output is read whole before it is searched: grep -q would stop early and fail the pipe.
windows_own_or_in_zip() { # DLL name
  has_file "$programs" "$1" || has_file "$windows_own" "$1"
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

# A set-up failure, first, since the session's first window waits about 10 s for Wine's
# desktop process to come up.
scratch=$(mktemp -d)
for name in bounce_800 bounce_flash; do
  check_failure_box "$name" sh -c 'cd "$1" && exec "$2" "$3"' - "$scratch" "$wine" "$programs/$name.exe"
done
rm -rf "$scratch"

# Each program's scenario, started from the unpacked folder through Wine.
check_scenarios "$programs" "$wine"
report
