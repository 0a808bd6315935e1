#!/usr/bin/env bash
# release/windows/deps.sh PREFIX: SDL 2, libmpg123 and zlib for Windows
# x86_64, cross-built with Debian's mingw-w64 from Debian's own source
# packages of the versions this machine runs, into PREFIX (include/, lib/,
# bin/). A library already in PREFIX at its version is kept, so a second
# build takes seconds.
set -euo pipefail
prefix=$(realpath -m "${1:?usage: release/windows/deps.sh PREFIX}")
here=$(cd "$(dirname "$0")" && pwd)
host=x86_64-w64-mingw32
src=$prefix/src
mkdir -p "$prefix" "$src"

# The versions pinned to this suite's packages; the source packages and
# the binary ones the Linux build uses come from the same release.
sdl2=2.26.5+dfsg-1
mpg123=1.31.2-1+deb12u1
zlib=1:1.2.13.dfsg-1

# apt-get source needs a deb-src entry for the suite the machine uses, made
# from Debian's deb entries in whichever form apt keeps them: one-line in
# sources.list (debootstrap, Debian's installer) or deb822 in debian.sources
# (Debian's container images).
ensure_sources() {
  apt-get source --print-uris "zlib=$zlib" >/dev/null 2>&1 && return
  local sudo="" dir=/etc/apt/sources.list.d one_line deb822
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  one_line=$(sed -n 's/^deb\([[:space:]]\)/deb-src\1/p' /etc/apt/sources.list 2>/dev/null || true)
  deb822=$(sed 's/^Types: deb$/Types: deb-src/' "$dir/debian.sources" 2>/dev/null || true)
  if [ -z "$one_line$deb822" ]; then
    echo "release/windows/deps.sh: no Debian entries in /etc/apt/sources.list or $dir" >&2
    exit 1
  fi
  [ -z "$one_line" ] || $sudo tee "$dir/amber-deb-src.list" <<<"$one_line" >/dev/null
  [ -z "$deb822" ] || $sudo tee "$dir/amber-deb-src.sources" <<<"$deb822" >/dev/null
  $sudo apt-get update -q
}

# Unpacks package=version under src/ once, as dpkg-source does (the
# upstream tarball with Debian's patches); prints the source folder. The
# mirror lacks some upstream signature files (.asc) that the .dsc names, so
# the tarballs that are there are unpacked and patched here.
fetch() {
  local package=$1 version=$2 upstream=${2#*:}
  local dir=$src/$package-${upstream%-*}
  if [ ! -d "$dir" ]; then
    (cd "$src" && apt-get source -q --download-only "$package=$version" >/dev/null 2>&1 || true)
    local orig debian
    orig=$(ls "$src/${package}_${upstream%-*}.orig.tar."* | grep -v '\.asc$')
    debian=$(ls "$src/${package}_${upstream}.debian.tar."*)
    mkdir -p "$dir"
    tar -xf "$orig" -C "$dir" --strip-components=1
    tar -xf "$debian" -C "$dir"
    if [ -f "$dir/debian/patches/series" ]; then
      grep -v '^#' "$dir/debian/patches/series" | while read -r patch _; do
        [ -n "$patch" ] && patch -d "$dir" -p1 -s <"$dir/debian/patches/$patch"
      done
    fi
  fi
  echo "$dir"
}

built() { [ -f "$prefix/stamps/$1-$2" ]; }
stamp() { mkdir -p "$prefix/stamps" && touch "$prefix/stamps/$1-$2"; }

ensure_sources
jobs=$(nproc)

# The sources stay unpacked: the release takes each one's licence from it.
dir=$(fetch zlib "$zlib")
if ! built zlib "$zlib"; then
  # Debian's source leaves zlib's Windows makefiles out; its CMake build
  # makes the static library, linked into the program.
  cmake -S "$dir" -B "$prefix/build-zlib" -DCMAKE_TOOLCHAIN_FILE="$here/mingw-toolchain.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" >/dev/null
  cmake --build "$prefix/build-zlib" -j"$jobs" --target zlibstatic >/dev/null
  install -D -m644 "$prefix/build-zlib/libzlibstatic.a" "$prefix/lib/libz.a"
  install -D -m644 -t "$prefix/include" "$dir/zlib.h" "$prefix/build-zlib/zconf.h"
  stamp zlib "$zlib"
fi

dir=$(fetch mpg123 "$mpg123")
if ! built mpg123 "$mpg123"; then
  rm -rf "$prefix/build-mpg123" && mkdir -p "$prefix/build-mpg123"
  # Only the decoding library, linked into the program, and its headers.
  # Its configure takes no source folder whose path holds a space, and
  # libtool installs into no such folder: the source folder is given
  # relative, and the files are copied here.
  (cd "$prefix/build-mpg123" &&
   "../src/${dir##*/}/configure" --host=$host --prefix=/ --enable-static --disable-shared \
     --with-cpu=x86-64 >/dev/null &&
   make -j"$jobs" src/libmpg123/libmpg123.la >/dev/null)
  install -D -m644 "$prefix/build-mpg123/src/libmpg123/.libs/libmpg123.a" "$prefix/lib/libmpg123.a"
  install -D -m644 -t "$prefix/include" "$prefix/build-mpg123/src/libmpg123/mpg123.h" \
    "$dir/src/libmpg123/fmt123.h"
  stamp mpg123 "$mpg123"
fi

dir=$(fetch libsdl2 "$sdl2")
if ! built sdl2 "$sdl2"; then
  cmake -S "$dir" -B "$prefix/build-sdl2" -DCMAKE_TOOLCHAIN_FILE="$here/mingw-toolchain.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DSDL_STATIC=OFF \
    -DSDL_TEST=OFF -DCMAKE_SHARED_LINKER_FLAGS=-Wl,--no-insert-timestamp >/dev/null
  cmake --build "$prefix/build-sdl2" -j"$jobs" >/dev/null
  cmake --install "$prefix/build-sdl2" >/dev/null
  stamp sdl2 "$sdl2"
fi
echo "$prefix: SDL $sdl2, mpg123 $mpg123, zlib $zlib"
