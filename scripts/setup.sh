#!/usr/bin/env bash
# Installs the Debian packages Vantomel needs to build, run and test; quick when all are there.
set -euo pipefail

packages=(
  cmake g++ make pkg-config clang-format
  qt6-base-dev qt6-base-dev-tools libqt6svg6
  libmediainfo-dev
  libavformat-dev libavcodec-dev libavfilter-dev libswscale-dev libswresample-dev libavutil-dev
  ffmpeg
  dpkg-dev desktop-file-utils appstream dbus-daemon
  xvfb xauth openbox xdotool wmctrl x11-utils
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
