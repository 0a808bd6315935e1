#!/usr/bin/env bash
# release/windows/pack.sh OUT [DATA]: builds the program for Windows
# (release/windows/build.sh) and packs OUT/amber_grid-windows-x86_64.zip,
# with the drive, soundtrack and screenshot of the built folder DATA
# (build/ unless given). ./release.sh --windows runs it after the set-up;
# the windows test runs it too.
set -euo pipefail
out=$(realpath -m "${1:?usage: release/windows/pack.sh OUT [DATA]}")
cd "$(dirname "$0")/../.."
data=$(realpath "${2:-build}")
name=amber_grid-windows-x86_64
deps=$PWD/build-win/deps

release/windows/build.sh >/dev/null
cmake --build "$data" -j "$(nproc)" --target amber_screenshot >/dev/null

stage=build-win/stage
folder=$stage/$name
rm -rf "$stage"
mkdir -p "$folder/licenses" "$out"
cp build-win/program/amber_grid.exe "$folder/"
cp "$deps/bin/SDL2.dll" "$folder/"
cp "$data/amber_grid.cfs" "$data/amber_grid.mp3" "$data/screenshot.png" "$folder/"
# Windows' own line ends, for Notepad.
sed 's/$/\r/' release/windows/README.txt >"$folder/README.txt"
for source in libsdl2 mpg123 zlib; do
  cp "$(ls -d "$deps"/src/$source-*/)debian/copyright" "$folder/licenses/$source.txt"
done
# The runtimes linked into the program.
cp /usr/share/doc/gcc-mingw-w64-base/copyright "$folder/licenses/gcc-runtime.txt"
cp /usr/share/doc/mingw-w64-common/copyright "$folder/licenses/mingw-w64-runtime.txt"
release/windows/check_folder.sh "$folder" >/dev/null

# Same entries, order and times on every run, and no extra fields.
stamp=$(git log -1 --format=%ct 2>/dev/null || echo 0)
find "$folder" -exec touch -h -d "@$stamp" {} +
zip=$out/$name.zip
rm -f "$zip"
(cd "$stage" && find "$name" -print | LC_ALL=C sort | TZ=UTC zip -X -q -9 "$zip" -@)
echo "$zip: $(du -h "$zip" | cut -f1)"
