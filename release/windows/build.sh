#!/usr/bin/env bash
# release/windows/build.sh: cross-builds the program for Windows x86_64 into
# build-win/program/amber_grid.exe with Debian's mingw-w64, over SDL 2,
# libmpg123 and zlib built once into build-win/deps/ (release/windows/deps.sh).
set -euo pipefail
cd "$(dirname "$0")/../.."
deps=$PWD/build-win/deps
release/windows/deps.sh "$deps"
cmake -S . -B build-win/program -DCMAKE_TOOLCHAIN_FILE=release/windows/mingw-toolchain.cmake \
  -DCMAKE_BUILD_TYPE=Release -DAMBER_WIN_DEPS="$deps" >/dev/null
cmake --build build-win/program -j "$(nproc)" --target amber_grid
