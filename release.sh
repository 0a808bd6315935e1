#!/usr/bin/env bash
# Makes dist/amber_grid-linux-x86_64.tar.gz: one folder that plays on a Linux
# x86_64 machine with glibc 2.34 or newer, an X11 desktop and a GL driver,
# with nothing to install. It holds the program built for it, the same drive
# and soundtrack as build/, the libraries such a machine may lack, an info
# file, a screenshot and the licences. Beside it goes
# dist/amber_grid-400x300.png, the screenshot at the size demo archives take.
#
#   ./release.sh                the tarball
#   ./release.sh --with-video   the tarball, and two recordings, 1080p H.264
#                               High + AAC: dist/amber_grid-1080p.mp4 at the
#                               tape's own 50 fps, for sharing and archives,
#                               and dist/amber_grid-1080p60.mp4 at 60 fps, for
#                               a party that records its compos at 1080p60
#   ./release.sh --windows      dist/amber_grid-windows-x86_64.zip instead:
#                               one folder that plays on Windows 10 or 11
#   ./release.sh --web          dist/amber_grid.html instead: one file that
#                               plays from disk in Chrome or Firefox, with no
#                               server and no network
#
# Two runs on the same tree give the same bytes.
set -euo pipefail
cd "$(dirname "$0")"
video=false windows=false
case "${1:-}" in
  "") ;;
  --with-video) video=true ;;
  --windows) windows=true ;;
  --web)
    ./setup.sh web
    mkdir -p dist
    cp build-emscripten/amber_grid.html dist/
    exit ;;
  *) echo "usage: ./release.sh [--with-video | --windows | --web]" >&2; exit 2 ;;
esac
if $windows; then
  ./setup.sh windows
  release/windows/pack.sh dist
else
  ./setup.sh release
  release/pack.sh dist
fi
cp build/amber_grid-400x300.png dist/

if $video; then
  cmake --build build -j "$(nproc)" --target amber_capture
  build/amber_capture --size 1080p -o dist/amber_grid-1080p.mp4
  build/amber_capture --size 1080p --fps 60 -o dist/amber_grid-1080p60.mp4
fi
