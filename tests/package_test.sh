#!/usr/bin/env bash
# The Debian package as Debian and a desktop user meet it: built by scripts/build_deb.sh, clean
# under lintian (errors and warnings fail), valid menu entries and metainfo; installed with
# apt, hardened, each program started the way its menu entry starts it on a virtual display
# (Path= and Exec=), its status line seen, ended with Escape and status 0; built with the
# patched Allegro linked in, as the build in BUILD_DIR is, also in mutter's and KWin's Wayland
# sessions; then removed, leaving nothing behind. Then the arm64 package, read beside it. Needs
# root (or sudo).
# Usage: package_test.sh BUILD_DIR PATCHED   (PATCHED: 1 where the patched Allegro is linked in)
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
build=$1
patched=$2
screen_tool=$build/tools/screen_tool
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo -n true 2>/dev/null || { echo "package_test.sh: needs root or sudo to install; skipped"; exit 77; }
  sudo="sudo -n"
fi
failures=0
checks=0
check() { # description, then the command that must succeed
  local what=$1
  shift
  checks=$((checks + 1))
  if "$@"; then echo "ok   $what"; else echo "FAIL $what"; failures=$((failures + 1)); fi
}

deb=$(BUILD_DIR=$build/deb "$root/scripts/build_deb.sh") || { echo "FAIL the package did not build"; exit 1; }
deb=$(readlink -f "$deb")
echo "built $deb"

lintian_clean() { # package
  local report status
  report=$(lintian --fail-on error,warning "$1" 2>&1)
  status=$?
  grep -v 'running with root privileges' <<<"$report"
  [ "$status" -eq 0 ] && ! grep -qE '^[EW]:' <<<"$report"
}
check "lintian: no error, no warning" lintian_clean "$deb"

contents=$(mktemp -d)
display_state=$(mktemp -d)
cleanup() {
  "$root/scripts/virtual_display.sh" stop "$display_state"
  rm -rf "$contents" "$display_state"
  dpkg-query -W bounce-demos >/dev/null 2>&1 && $sudo apt-get remove --purge -y -qq bounce-demos >/dev/null 2>&1
}
trap cleanup EXIT
dpkg-deb -x "$deb" "$contents"
entries=("$contents"/usr/share/applications/*.desktop)
check "five menu entries" [ ${#entries[@]} -eq 5 ]
for entry in "${entries[@]}"; do
  check "desktop-file-validate $(basename "$entry")" desktop-file-validate "$entry"
done
check "appstreamcli validate" appstreamcli validate --no-net --pedantic "$contents"/usr/share/metainfo/*.metainfo.xml

check "apt-get install ./$(basename "$deb")" \
  bash -c "DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq '$deb' >/dev/null"
installed=$(dpkg -L bounce-demos 2>/dev/null)
# Control-flow protection cannot be had on Debian 12: its C library's start-up objects carry
# no IBT/SHSTK property, so the linker drops it from every program (/usr/bin/ls included).
# Debian 13's hardening-check also looks for ARM64 branch protection, which no amd64 program
# has (/usr/bin/ls neither); Debian 12's knows no such check and rejects the option.
skipped=(--nocfprotection)
# (Its --help ends with a non-zero status.)
help=$(hardening-check --help 2>&1)
grep -q -- --nobranchprotection <<<"$help" && skipped+=(--nobranchprotection)
hardened() { # folder of the programs
  local program
  for program in "$1"/bounce_{fit,800,1024,vsync,flash}; do
    hardening-check --quiet "${skipped[@]}" "$program" 2>/dev/null ||
      { hardening-check "${skipped[@]}" "$program" 2>/dev/null | grep -v ': yes'; return 1; }
  done
}
check "hardening-check /usr/games/bounce_*" hardened /usr/games

# Starts the program as its entry says, from the folder in Path=, and waits for its line.
run_entry() {
  local entry=$1 exec_line path program status line=""
  exec_line=$(sed -n 's/^Exec=//p' "$entry")
  path=$(sed -n 's/^Path=//p' "$entry")
  (cd "$path" && exec $exec_line) >/dev/null 2>"$display_state/err" &
  program=$!
  for _ in $(seq 100); do
    line=$("$screen_tool" status 2>/dev/null) && grep -q Szer <<<"$line" && break
    kill -0 "$program" 2>/dev/null || break
    sleep 0.1
  done
  "$screen_tool" key Escape 150
  wait "$program"
  status=$?
  echo "     $exec_line in $path: \"$line\", status $status $(cat "$display_state/err")"
  grep -q Szer <<<"$line" && [ "$status" -eq 0 ]
}
DISPLAY=$("$root/scripts/virtual_display.sh" start "$display_state") || exit 1
export DISPLAY
for entry in /usr/share/applications/org.example.bounce_demos.*.desktop; do
  check "menu entry $(basename "$entry") starts its program with its picture" run_entry "$entry"
done

# Built as the build in BUILD_DIR is, with the patched Allegro linked in (not depending on
# Debian's, but on the Wayland libraries its Wayland driver takes), the package is right in
# Wayland sessions too: each program from its menu entry, through Xwayland in mutter's and
# KWin's, and as a native client in sway's.
linked_in() {
  grep -q '^DEMO_ALLEGRO_PATCHED:INTERNAL=ON$' "$build/deb/CMakeCache.txt" &&
    ! dpkg-deb -f "$deb" Depends | grep -q liballegro &&
    dpkg-deb -f "$deb" Depends | grep -q libwayland-client0
}
if [ "$patched" = 1 ]; then
  check "the package has the patched Allegro linked in" linked_in
  for session in "mutter wayland_session_test.sh described" \
    "kwin_wayland wayland_session_test.sh described" \
    "sway native_session_test.sh $build/tools/wayland_keys"; do
    read -r compositor scenario last <<<"$session"
    bash "$here/e2e/$scenario" "$compositor" /usr/share/applications "$screen_tool" "$last" \
      >"$display_state/$compositor.log" 2>&1
    status=$?
    sed 's/^/     /' "$display_state/$compositor.log"
    [ "$status" -eq 77 ] ||
      check "each program from its menu entry in $compositor's Wayland session ($scenario)" \
        test "$status" -eq 0
  done
fi

check "apt-get remove --purge" \
  bash -c "DEBIAN_FRONTEND=noninteractive $sudo apt-get remove --purge -y -qq bounce-demos >/dev/null"
nothing_left() {
  local left=0 path
  while read -r path; do
    # Folders that other packages share (/usr/share/icons/...) may stay; what is ours may not.
    if [ -e "$path" ] || [ -L "$path" ]; then
      if [ ! -d "$path" ] || [[ "$path" == *bounce* ]]; then
        echo "     left behind: $path"
        left=1
      fi
    fi
  done <<<"$installed"
  [ -n "$installed" ] && [ $left -eq 0 ]
}
check "nothing of the package is left" nothing_left

# The arm64 package (scripts/build_arm64.sh), as Debian reads it on this machine: built for arm64,
# lintian clean, the same files and Depends as this one, its programs ARM executables hardened
# as these are (Debian 13's check for ARM64 branch protection included).
arm64_deb=$(BUILD_DIR=$build/arm64-deb "$root/scripts/build_arm64.sh" --package | tail -1)
if [ -f "$arm64_deb" ]; then
  check "the arm64 package: lintian, no error, no warning" lintian_clean "$arm64_deb"
  check "the arm64 package is for arm64" test "$(dpkg-deb -f "$arm64_deb" Architecture)" = arm64
  check "the arm64 package depends on what this one does" \
    test "$(dpkg-deb -f "$arm64_deb" Depends)" = "$(dpkg-deb -f "$deb" Depends)"
  check "the arm64 package holds the same files" \
    test "$(dpkg-deb -c "$arm64_deb" | awk '{print $6}')" = "$(dpkg-deb -c "$deb" | awk '{print $6}')"
  arm64_contents=$(mktemp -d)
  dpkg-deb -x "$arm64_deb" "$arm64_contents"
  skipped=(--nocfprotection)
  check "the arm64 programs are ARM executables" \
    test "$(file -b "$arm64_contents"/usr/games/bounce_* | grep -c 'ARM aarch64')" = 5
  check "hardening-check the arm64 programs" hardened "$arm64_contents/usr/games"
  rm -rf "$arm64_contents"
else
  check "the arm64 package builds" false
fi

echo "$((checks - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
