#!/usr/bin/env bash
# Installs the Debian packages the build needs, where any is missing; --capture adds the
# virtual display and the GIF encoder (--bench valgrind too), --windows the MinGW-w64 cross
# compiler and the MSI maker, --package the Debian packaging tools, --tests all of those, the
# test frameworks and the package checkers.
# With ALLEGRO_SOURCE set, or with --tests, also what building Allegro from its source needs
# (and with --bench, mutter's Wayland session, where the benchmark then times the switch too).
# Usage: scripts/install_deps.sh [--capture | --bench | --windows | --package | --tests]
set -euo pipefail
packages=(cmake g++ make pkg-config liballegro5-dev liballegro-image5-dev libgl1-mesa-dri
  libx11-dev libxtst-dev libxrandr-dev scdoc)
capture=(xserver-xorg-core xserver-xorg-video-dummy xfonts-base imagemagick)
windows=(g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 icoutils patch wixl)
package=(dpkg-dev file)
checkers=(lintian desktop-file-utils appstream devscripts)
allegro_source=(patch xz-utils libxcursor-dev libxi-dev libxinerama-dev libxss-dev libgl-dev
  libglu1-mesa-dev libpng-dev libjpeg-dev)
[ -z "${ALLEGRO_SOURCE:-}" ] || packages+=("${allegro_source[@]}")
case "${1:-}" in
--capture) packages+=("${capture[@]}") ;;
--bench) packages+=("${capture[@]}" valgrind)
  [ -z "${ALLEGRO_SOURCE:-}" ] || packages+=(mutter xwayland dbus-x11) ;;
--windows) packages+=("${windows[@]}") ;;
--package) packages+=("${package[@]}") ;;
--tests) packages+=("${capture[@]}" "${windows[@]}" "${package[@]}" "${checkers[@]}" "${allegro_source[@]}"
  googletest wine64 unzip msitools liblnk-utils valgrind
  libgtest-dev xvfb openbox xfwm4 kwin-x11 mutter kwin-wayland weston sway grim wtype xwayland
  dbus-x11 x11-utils x11-xkb-utils x11-xserver-utils x11-apps xdotool) ;;
esac
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
# Fonts installed after fontconfig leave its cache stale, and the first client to use it (a
# window manager) would spend a minute rebuilding it.
if command -v fc-cache >/dev/null; then $sudo fc-cache; fi
