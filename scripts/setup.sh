#!/usr/bin/env bash
# Installs every system package Quilt Forger needs to build, test, benchmark
# and fuzz on Debian 12. Packages that are already present are skipped, so a
# second run does nothing. Runs apt-get as root, or through sudo otherwise.
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config git python3
  libsdl2-dev libgl-dev libgl1-mesa-dev libglu1-mesa-dev libgl1-mesa-dri
  zlib1g-dev libjpeg62-turbo-dev libexpat1-dev libfreetype-dev
  libvorbis-dev libogg-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  xvfb xauth fonts-dejavu-core fonts-droid-fallback
  libpng-dev libstb-dev
  libdeflate-dev libwebp-dev
  imagemagick
  libassimp-dev sox vorbis-tools
  libgtk-3-dev xdotool x11-apps
  libharfbuzz-dev libfribidi-dev fonts-symbola
  libxxhash-dev help2man dpkg-dev file
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all ${#packages[@]} packages present"
  exit 0
fi

echo "setup: installing ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
