#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, where any is missing.
# Usage: scripts/install_deps.sh [--tests]
set -euo pipefail
packages=(cmake g++ make pkg-config liballegro5-dev liballegro-image5-dev libgl1-mesa-dri)
if [ "${1:-}" = "--tests" ]; then
  packages+=(googletest libgtest-dev xserver-xorg-core xserver-xorg-video-dummy
    libx11-dev libxtst-dev libxrandr-dev xvfb)
fi
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
