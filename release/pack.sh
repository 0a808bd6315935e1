#!/usr/bin/env bash
# release/pack.sh OUT [DATA]: builds the release's program in build-release/
# and packs OUT/amber_grid-linux-x86_64.tar.gz, with the drive, soundtrack
# and screenshot of the built folder DATA (build/ unless given).
# ./release.sh runs it after the set-up; the release test runs it too.
set -euo pipefail
out=$(realpath -m "${1:?usage: release/pack.sh OUT [DATA]}")
cd "$(dirname "$0")/.."
data=$(realpath "${2:-build}")

name=amber_grid-linux-x86_64
libdir=/usr/lib/x86_64-linux-gnu
# What a party machine may lack: sdl12-compat, the SDL 2 it loads, the two
# libraries of SDL 2's that are no part of a desktop system, and the
# soundtrack's decoder. Each goes with its Debian package, for its licence.
bundled=(
  "libSDL-1.2.so.0 libsdl1.2-compat"
  "libSDL2-2.0.so.0 libsdl2-2.0-0"
  "libsamplerate.so.0 libsamplerate0"
  "libdecor-0.so.0 libdecor-0-0"
  "libmpg123.so.0 libmpg123-0"
)
# Linked into the program.
linked_in=(libstdc++-12-dev libglu1-mesa-dev zlib1g)

cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DAMBER_RELEASE=ON \
  -DAMBER_DATA_FROM="$data" >/dev/null
cmake --build build-release -j "$(nproc)" --target amber_grid amber_drive amber_music
cmake --build "$data" -j "$(nproc)" --target amber_screenshot >/dev/null

stage=build-release/stage
folder=$stage/$name
rm -rf "$stage"
mkdir -p "$folder/lib" "$folder/licenses" "$out"
cp build-release/amber_grid.cfs build-release/amber_grid.mp3 release/README.txt \
  "$data/screenshot.png" "$folder/"
strip -o "$folder/amber_grid" build-release/amber_grid
for entry in "${bundled[@]}"; do
  read -r lib package <<<"$entry"
  cp -L "$libdir/$lib" "$folder/lib/$lib"
  cp "/usr/share/doc/$package/copyright" "$folder/licenses/$package.txt"
done
for package in "${linked_in[@]}"; do
  cp "/usr/share/doc/$package/copyright" "$folder/licenses/$package.txt"
done
# sdl12-compat loads SDL 2 itself, and SDL 2 needs its two: each finds the
# next one beside itself.
patchelf --set-rpath '$ORIGIN' "$folder/lib/libSDL-1.2.so.0" "$folder/lib/libSDL2-2.0.so.0"
chmod -R u=rwX,go=rX "$folder"
release/check_folder.sh "$folder" >/dev/null

# Same entries, order, owners and times on every run; gzip without a name or
# time stamp.
stamp=$(git log -1 --format=%ct 2>/dev/null || echo 0)
tarball=$out/$name.tar.gz
tar --sort=name --owner=0 --group=0 --numeric-owner --mtime="@$stamp" \
  --format=gnu -C "$stage" -cf - "$name" | gzip -n -9 >"$tarball"
echo "$tarball: $(du -h "$tarball" | cut -f1)"

