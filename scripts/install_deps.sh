#!/usr/bin/env bash
# Installs the Debian packages the build needs, where any is missing: what building the patched
# Allegro from its source needs, and Debian's Allegro, which the build falls back to; --capture
# adds the virtual display and the GIF encoder (--bench valgrind, mutter's Wayland session and
# SDL2, for the peer program, too), --windows the MinGW-w64 cross compiler and the MSI maker,
# --package the Debian packaging tools, --arm64 the arm64 cross compiler, the arm64 libraries
# and qemu to run what it builds, --tests all of those, the test frameworks, the desktops and
# the package checkers.
# Usage: scripts/install_deps.sh [--capture | --bench | --windows | --package | --arm64 | --tests]
set -euo pipefail
packages=(cmake g++ make pkg-config liballegro5-dev liballegro-image5-dev libgl1-mesa-dri
  libx11-dev libxtst-dev libxrandr-dev scdoc ca-certificates patch xz-utils libxcursor-dev libxi-dev
  libxinerama-dev libxss-dev libgl-dev libglu1-mesa-dev libpng-dev libjpeg-dev libwayland-dev
  wayland-protocols libxkbcommon-dev libegl-dev)
capture=(xserver-xorg-core xserver-xorg-video-dummy xfonts-base imagemagick)
windows=(g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 icoutils wixl)
package=(dpkg-dev file)
# The native build's libraries for arm64, with Debian's Allegro for the fallback and Mesa's
# software OpenGL for running the programs under qemu.
arm64=(crossbuild-essential-arm64 qemu-user-static)
for p in liballegro5-dev liballegro-image5-dev libgl1-mesa-dri libx11-dev libxrandr-dev \
  libxcursor-dev libxi-dev libxinerama-dev libxss-dev libgl-dev libglu1-mesa-dev libpng-dev \
  libjpeg-dev libwayland-dev libxkbcommon-dev libegl-dev; do
  arm64+=("$p:arm64")
done
checkers=(lintian desktop-file-utils appstream devscripts)
case "${1:-}" in
--capture) packages+=("${capture[@]}") ;;
--bench) packages+=("${capture[@]}" valgrind mutter xwayland dbus-x11 libsdl2-dev) ;;
--windows) packages+=("${windows[@]}") ;;
--package) packages+=("${package[@]}") ;;
--arm64) packages+=("${package[@]}" "${arm64[@]}") ;;
--tests) packages+=("${capture[@]}" "${windows[@]}" "${package[@]}" "${arm64[@]}" "${checkers[@]}"
  googletest python3 wine64 unzip msitools liblnk-utils valgrind libsdl2-dev
  libgtest-dev xvfb openbox xfwm4 kwin-x11 mutter kwin-wayland weston sway cage grim wtype xwayland
  dbus-x11 python3-dbus x11-utils x11-xkb-utils x11-xserver-utils x11-apps xdotool) ;;
esac
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
echo "Installing: ${missing[*]}"
if [[ " ${missing[*]}" == *:arm64* ]] && ! dpkg --print-foreign-architectures | grep -qx arm64; then
  $sudo dpkg --add-architecture arm64
fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
# Fonts installed after fontconfig leave its cache stale, and the first client to use it (a
# window manager) would spend a minute rebuilding it.
if command -v fc-cache >/dev/null; then $sudo fc-cache; fi
