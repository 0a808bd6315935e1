#!/usr/bin/env bash
# Installs the Debian packages amber_grid needs (when missing), then
# configures and builds it, data included, into build/, and its web build
# into build-web/.
set -euo pipefail
cd "$(dirname "$0")"

packages=(
  build-essential cmake pkg-config
  libsdl1.2-compat-dev libgl-dev libglu1-mesa-dev libgl1-mesa-dri libx11-dev
  zlib1g-dev libpng-dev libmpg123-dev libmp3lame-dev libfreetype-dev fonts-dejavu-core
  libgtest-dev clang libclang-rt-14-dev
  xvfb xdotool ffmpeg gdb patchelf
  emscripten chromium nodejs python3
)
# Debian's nodejs comes without npm; other Node.js packages bring their own.
command -v npm >/dev/null || packages+=(npm)

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

# The web build: the page's static files in build-web/, made by Debian's
# Emscripten in build-emscripten/ with build/'s drive and soundtrack; and
# puppeteer-core, which drives Debian's chromium for its test.
export NODE_PATH=/usr/share/nodejs
[ -f build-emscripten/CMakeCache.txt ] || emcmake cmake -S . -B build-emscripten -DCMAKE_BUILD_TYPE=Release
cmake --build build-emscripten -j "$(nproc)"
[ -d web/node_modules/puppeteer-core ] || (cd web && npm ci --no-audit --no-fund)
