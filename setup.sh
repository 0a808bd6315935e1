#!/usr/bin/env bash
# Installs the Debian packages amber_grid needs (when missing), then
# configures and builds it, data included, into build/.
set -euo pipefail
cd "$(dirname "$0")"

packages=(
  build-essential cmake pkg-config
  libsdl1.2-compat-dev libgl-dev libglu1-mesa-dev libgl1-mesa-dri libx11-dev
  zlib1g-dev libpng-dev libmpg123-dev libmp3lame-dev libfreetype-dev fonts-dejavu-core
  libgtest-dev clang libclang-rt-14-dev
  xvfb xdotool ffmpeg gdb patchelf
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing[@]}"
fi

cmake -S . -B build
cmake --build build -j "$(nproc)"
