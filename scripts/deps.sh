#!/usr/bin/env bash
# Installs the Debian packages the calendar needs to build, run and test, if any is missing.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-webengine-dev libgl-dev
  libxml2-dev
  fonts-noto-cjk fonts-arphic-gkai00mp
  xvfb xauth openbox trayer xdotool x11-utils imagemagick
  desktop-file-utils appstream dpkg-dev file man-db
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
