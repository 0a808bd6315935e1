#!/usr/bin/env bash
# Makes dist/amber_grid-linux-x86_64.tar.gz: one folder that plays on a Linux
# x86_64 machine with glibc 2.34 or newer, an X11 desktop and a GL driver,
# with nothing to install. It holds the program built for it, the same drive
# and soundtrack as build/, the libraries such a machine may lack, an info
# file and the licences.
#
#   ./release.sh                the tarball
#   ./release.sh --with-video   the tarball, and dist/amber_grid-1080p.mp4
#                               for sharing (1080p H.264 High + AAC)
#   ./release.sh --windows      dist/amber_grid-windows-x86_64.zip instead:
#                               one folder that plays on Windows 10 or 11
#
# Two runs on the same tree give the same bytes.
set -euo pipefail
cd "$(dirname "$0")"
video=false
case "${1:-}" in
  "") ;;
  --with-video) video=true ;;
  --windows) ./setup.sh windows; exec release/windows/pack.sh dist ;;
  *) echo "usage: ./release.sh [--with-video | --windows]" >&2; exit 2 ;;
esac
./setup.sh release
release/pack.sh dist

if $video; then
  cmake --build build -j "$(nproc)" --target amber_capture
  build/amber_capture --size 1080p -o dist/amber_grid-1080p.mp4
fi
