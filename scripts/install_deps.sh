#!/usr/bin/env bash
# Installs the Debian packages the build needs, where any is missing; --capture adds the
# virtual display and the GIF encoder, --windows the MinGW-w64 cross compiler, --tests all of
# those and the test frameworks.
# Usage: scripts/install_deps.sh [--capture | --windows | --tests]
set -euo pipefail
packages=(cmake g++ make pkg-config liballegro5-dev liballegro-image5-dev libgl1-mesa-dri
  libx11-dev libxtst-dev libxrandr-dev)
capture=(xserver-xorg-core xserver-xorg-video-dummy xfonts-base imagemagick)
windows=(g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64)
case "${1:-}" in
--capture) packages+=("${capture[@]}") ;;
--windows) packages+=("${windows[@]}") ;;
--tests) packages+=("${capture[@]}" "${windows[@]}" googletest libgtest-dev xvfb) ;;
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
