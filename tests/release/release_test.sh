#!/usr/bin/env bash
# release_test.sh BUILD: the release packed twice from BUILD's data gives the
# same bytes; unpacked under a path with spaces it passes the release's own
# folder check and holds its screenshot, and from another working folder,
# writable and read-only, it loads its own SDL, SDL 2 and libmpg123 and ends
# on Escape with status 0.
set -euo pipefail

# Under the test's Xvfb: plays until the loading entry shows, then Escape,
# as a viewer presses it: once the window shows and its first frames have
# passed (a key sent while the window is still being mapped goes nowhere).
# Where the key is not taken, the server's focus at that time goes to the
# log, and the program ends by its timeout (status 124).
if [ "${1:-}" = --play-and-quit ]; then
  (cd "$work" && SDL_AUDIODRIVER=dummy LD_DEBUG=libs timeout 20 "$folder/amber_grid" >"$work/out" 2>"$work/libs") &
  program=$!
  for _ in $(seq 150); do grep -q VELQ_CORE "$work/out" 2>/dev/null && break; sleep 0.1; done
  timeout 10 xdotool search --sync --onlyvisible --name 'amber_grid$' >/dev/null || true
  sleep 0.5
  xdotool key Escape
  for _ in $(seq 30); do kill -0 $program 2>/dev/null || break; sleep 0.1; done
  ! kill -0 $program 2>/dev/null ||
    echo "Escape not taken in 3 s; focus: $(xdotool getwindowfocus getwindowname 2>&1)," \
      "pointer: $(xdotool getmouselocation 2>&1)" >&2
  wait $program && echo 0 || echo $?
  exit 0
fi

source_dir=$(realpath "$(dirname "$0")/../..")
work=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

build=$(realpath "${1:?usage: release_test.sh BUILD}")
# The packs' build output is shown only where a pack fails, so that a
# failure below is not lost in it.
for copy in a b; do
  "$source_dir/release/pack.sh" "$work/$copy" "$build" >"$work/pack.log" 2>&1 ||
    { tail -40 "$work/pack.log"; exit 1; }
done
tarball=amber_grid-linux-x86_64.tar.gz
cmp -s "$work/a/$tarball" "$work/b/$tarball" || fail "two packs differ"

unpacked="$work/party machine/demos"
mkdir -p "$unpacked"
tar xzf "$work/a/$tarball" -C "$unpacked"
export folder="$unpacked/amber_grid-linux-x86_64" work
"$source_dir/release/check_folder.sh" "$folder" || fail "the folder needs what a party machine lacks"
# The screenshot in the folder, and the one for the archives beside it.
png_size() { ffprobe -v error -show_entries stream=codec_name,width,height -of csv=p=0 "$1"; }
[ "$(png_size "$folder/screenshot.png")" = png,640,480 ] || fail "no 640 x 480 screenshot.png"
[ "$(png_size "$build/amber_grid-400x300.png")" = png,400,300 ] &&
  [ "$(stat -c %s "$build/amber_grid-400x300.png")" -lt 65536 ] ||
  fail "amber_grid-400x300.png is not a 400 x 300 PNG under 64 KB"

for mode in writable read-only; do
  [ "$mode" = read-only ] && chmod -R a-w "$unpacked"
  status=$("$build/amber_xvfb_run" "$0" --play-and-quit)
  [ "$status" = 0 ] && grep -q VELQ_CORE "$work/out" || fail "$mode folder: status $status: $(cat "$work/out")"
  for lib in libSDL-1.2.so.0 libSDL2-2.0.so.0 libmpg123.so.0; do
    grep -qF "calling init: $folder/lib/$lib" "$work/libs" || fail "$mode folder: $lib not from the folder"
  done
  echo "$mode folder: status $status"
done
[ "$failures" = 0 ]
