#!/usr/bin/env bash
# Installs the Debian packages one use of amber_grid needs (when missing),
# then configures and builds what that use runs into build/:
#
#   ./setup.sh play      the program, its drive and soundtrack, and the cfs tool
#   ./setup.sh web       play, and the web build's static files in build-web/,
#                        and the page as one file, build-emscripten/amber_grid.html
#   ./setup.sh test      everything: web, every tool and test program, the
#                        browser test's puppeteer-core, the Windows program
#                        (the default)
#   ./setup.sh release   play, and what the release's packing needs
#   ./setup.sh windows   release, and the Windows release's cross-compiler,
#                        its libraries' source packages and wine to check it
#   ./setup.sh --list    prints each profile's packages, installs nothing
#
# play.sh, test.sh and release.sh call it; each later profile's packages
# include the earlier ones', so a machine set up for tests also plays.
set -euo pipefail
cd "$(dirname "$0")"

# Each profile's own packages (every one its build or run reads), and the
# profiles whose packages it includes. The README shows `--list`'s output.
declare -A own includes
own[play]="build-essential cmake pkg-config libsdl1.2-compat-dev libgl-dev libglu1-mesa-dev
  libgl1-mesa-dri libx11-dev zlib1g-dev libpng-dev libmpg123-dev libmp3lame-dev libfreetype-dev
  fonts-dejavu-core fonts-dejavu-extra xvfb xauth"
own[web]="emscripten python3" includes[web]=play
own[release]="patchelf ffmpeg" includes[release]=play
own[windows]="mingw-w64 g++-mingw-w64-x86-64-posix wine64 dpkg-dev zip unzip" includes[windows]=release
own[test]="libgtest-dev libgles-dev clang libclang-rt-14-dev xdotool gdb chromium nodejs npm openbox
  debootstrap git sway xwayland grim wtype firefox-esr pulseaudio" includes[test]="web release windows"
profiles="play web release windows test"
# What only the playing needs is built by name; the test profile builds all.
play_targets=(amber_grid amber_drive amber_music cfs)

# The packages of profile $1 and of those it includes, one a line.
packages_of() {
  local p
  for p in ${includes[$1]:-}; do packages_of "$p"; done
  printf '%s\n' ${own[$1]}
}

# Each profile's own packages, after the profiles it includes in brackets.
list_profiles() {
  local profile
  for profile in $profiles; do
    echo ${includes[$profile]:+(${includes[$profile]})} ${own[$profile]} | fold -s -w 64 |
      sed "s/ *\$//; 1s/^/$(printf '%-9s' "$profile")/; 1!s/^/         /"
  done
}

case "${1:-test}" in
  --list) list_profiles; exit ;;
  play | web | release | windows | test) profile=${1:-test} ;;
  *) echo "usage: ./setup.sh [play|web|test|release|windows|--list]" >&2; exit 2 ;;
esac
packages=$(packages_of "$profile" | sort -u)

missing=()
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" && continue
  # Debian's nodejs comes without npm; other Node.js packages bring their own.
  [ "$p" = npm ] && command -v npm >/dev/null && continue
  missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing[@]}"
fi

# A tree first configured for playing has no test programs; the test
# profile turns them on, and a later play keeps whatever is configured.
if [ "$profile" = test ]; then
  cmake -S . -B build -DAMBER_TESTS=ON
  cmake --build build -j "$(nproc)"
else
  [ -f build/CMakeCache.txt ] || cmake -S . -B build -DAMBER_TESTS=OFF
  cmake --build build -j "$(nproc)" --target "${play_targets[@]}"
fi

# The web build: the page's static files in build-web/ and the page as one
# file, made by Debian's Emscripten in build-emscripten/ with build/'s drive
# and soundtrack; and for its test, puppeteer-core, which drives Debian's
# chromium and firefox-esr.
if [ "$profile" = web ] || [ "$profile" = test ]; then
  export NODE_PATH=/usr/share/nodejs
  [ -f build-emscripten/CMakeCache.txt ] || emcmake cmake -S . -B build-emscripten -DCMAKE_BUILD_TYPE=Release
  cmake --build build-emscripten -j "$(nproc)"
fi
if [ "$profile" = test ]; then
  [ -d web/node_modules/puppeteer-core ] || (cd web && npm ci --no-audit --no-fund)
  # The Windows program for the release test; its libraries are built once
  # into build-win/deps/, which takes a few minutes.
  release/windows/build.sh
fi
