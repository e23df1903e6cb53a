#!/usr/bin/env bash
# Cross-builds the programs for Windows and reads each .exe's headers: a GUI program (no
# console) that starts at main through the C runtime and imports Allegro's three DLLs with the
# calls the core makes. Nothing is run.   Usage: windows_exe_test.sh BUILD_DIR
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$1
BUILD_DIR=$build "$here/../scripts/build_windows.sh" -DDEMO_WARNINGS_AS_ERRORS=ON || exit 1
objdump=x86_64-w64-mingw32-objdump
# A program passes when none of its checks fails.
fail() {
  echo "FAIL $name: $1"
  ok=false
}
passed=0
failed=0
# DLL name, then calls that must come from it.
expected_imports=(
  "allegro-5.2.dll al_install_system al_create_display al_load_bitmap al_clone_bitmap al_flip_display al_resize_display al_get_next_event al_destroy_display"
  "allegro_font-5.2.dll al_init_font_addon al_create_builtin_font al_draw_textf"
  "allegro_image-5.2.dll al_init_image_addon"
)
for name in bounce_fit bounce_800 bounce_1024 bounce_vsync bounce_flash; do
  ok=true
  exe=$build/bin/$name.exe
  [ -f "$exe" ] || fail "no $exe"
  headers=$($objdump -p "$exe")
  grep -qE '^Subsystem[[:space:]]+00000002[[:space:]]+\(Windows GUI\)' <<<"$headers" ||
    fail "not the Windows GUI subsystem: $(grep '^Subsystem' <<<"$headers")"
  # The entry point is the C runtime's start-up code, which calls the program's main.
  entry=$(awk '/^AddressOfEntryPoint/ {print $2}' <<<"$headers")
  image_base=$(awk '/^ImageBase/ {print $2}' <<<"$headers")
  symbols=$(x86_64-w64-mingw32-nm "$exe")
  start=$(printf '%016x' $((16#$image_base + 16#$entry)))
  grep -qE "^$start T (WinMainCRTStartup|mainCRTStartup)\$" <<<"$symbols" ||
    fail "entry point $start is not the C runtime's start-up"
  grep -qE ' T main$' <<<"$symbols" || fail "no main"
  for row in "${expected_imports[@]}"; do
    read -r dll calls <<<"$row"
    # The calls listed under this DLL in the import table, up to the next DLL.
    imported=$(awk -v dll="$dll" '/DLL Name:/ {on = ($3 == dll)} on' <<<"$headers")
    [ -n "$imported" ] || { fail "does not import $dll"; continue; }
    for call in $calls; do
      grep -qE "[[:space:]]$call\$" <<<"$imported" || fail "does not import $call from $dll"
    done
  done
  # No other DLL but Windows' own and Allegro's: the compiler's runtime is linked in.
  others=$(grep 'DLL Name:' <<<"$headers" | awk '{print $3}' | grep -viE '^(allegro(_font|_image)?-5\.2|kernel32|msvcrt|api-ms-win-.*|user32)\.dll$')
  [ -z "$others" ] || fail "imports other DLLs: $others"
  if $ok; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
