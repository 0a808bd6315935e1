#!/usr/bin/env bash
# windows_test.sh BUILD CAPTURE STILLCMP: the Windows zip, packed twice from
# BUILD's data, gives the same bytes and passes its folder check, and its
# program draws glibc's rand() sequence, not msvcrt's; unzipped under a path
# with spaces and run under wine from another working folder, on a private
# Xvfb with a window manager and SDL's dummy audio, at 96, 144 and 192 DPI,
# it prints its trace lines in order, shows the loading still amber_capture
# makes at 2 s, writes nothing into wine's registry or drive C:, ends on
# Escape and on Alt-F4 with status 0 within a second, and on a drive that is
# not a drive with its message and status 1. On a 1920 x 1080 screen with a
# window manager and a 1280 x 1024 one without (a kiosk's), it shows that
# still scaled to the screen and centred on black. wine's home and prefix lie in BUILD, and
# every wine process ends with the test.
set -euo pipefail
build=$(realpath "${1:?usage: windows_test.sh BUILD CAPTURE STILLCMP}")
# A screen of the program's size, with a window manager as every desktop
# has: without one, wine waits seconds for a closed window to go.
[ "${AMBER_ON_SCREEN:-}" = "$build" ] ||
  AMBER_ON_SCREEN=$build exec "$build/amber_xvfb_run" --window-manager "$0" "$@"
capture=$(realpath "${2:?}") stillcmp=$(realpath "${3:?}")
source_dir=$(realpath "$(dirname "$0")/../..")
source "$source_dir/tests/release/common.sh"
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Starts the program in the background; its status lands in $work/status.
start() {
  rm -f "$work/status" "$work/out"
  (cd "$work/elsewhere"
   status=0
   timeout 60 /usr/lib/wine/wine64 "$folder/amber_grid.exe" >"$work/out" 2>/dev/null || status=$?
   echo $status >"$work/status") &
  program=$!
}

# Presses the key $1, which ends the program with status 0 within a second.
quit_by() {
  xdotool key "$1"
  await 10 "$work/status" "" && [ "$(cat "$work/status")" = 0 ] ||
    fail "$1: status $(cat "$work/status" 2>/dev/null || echo 'none within a second')"
  wait $program
}

# On the screen a nested run of this script was started on (its size in
# $4, its window manager in $5): the loading screen at 2 s, the still
# scaled and centred on black; Escape ends it. Without a window manager no
# key reaches wine's window (nothing gives it X's keyboard focus, as every
# Windows desktop does), so the run is ended with wine's session.
if [ "${4:-}" ]; then
  failures=0
  start
  await 300 "$work/out" VELQ_CORE || fail "$4: no VELQ_CORE: $(cat "$work/out")"
  sleep 1.8
  frame=$build/frames/windows_loading_$4$5.png
  ffmpeg -loglevel error -y -f x11grab -video_size "$4" -i "$DISPLAY" -frames:v 1 "$frame"
  "$stillcmp" "$work/amber_grid_at_2.png" "$frame" || fail "$4: the picture is not the still scaled"
  if [ "$5" ]; then
    quit_by Escape
  else
    /usr/lib/wine/wineserver -k
    wait $program
  fi
  exit "$failures"
fi
# The prefix is made once (seconds), then reused. wine's menu builder would
# write menus and file associations into the home; it stays off.
export HOME=$build/wine-home WINEPREFIX=$build/wine-prefix WINEDEBUG=-all SDL_AUDIODRIVER=dummy
export WINEDLLOVERRIDES=winemenubuilder.exe=d
work=$(mktemp -d)
# wineserver keeps its socket in a folder under TMPDIR.
export TMPDIR=$work
trap '/usr/lib/wine/wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
failures=0

zip=amber_grid-windows-x86_64.zip
for copy in a b; do "$source_dir/release/windows/pack.sh" "$work/$copy" "$build" >/dev/null; done
cmp -s "$work/a/$zip" "$work/b/$zip" || fail "two packs differ"
unpacked="$work/party machine/demos"
mkdir -p "$unpacked" "$work/elsewhere"
unzip -q "$work/a/$zip" -d "$unpacked"
export work folder="$unpacked/amber_grid-windows-x86_64"
"$source_dir/release/windows/check_folder.sh" "$folder" || fail "the folder needs what Windows lacks"
! x86_64-w64-mingw32-objdump -p "$folder/amber_grid.exe" | grep -qwE 'rand|srand' ||
  fail "the program imports msvcrt's rand()"
cmp -s "$folder/screenshot.png" "$build/screenshot.png" || fail "no screenshot.png"

mkdir -p "$HOME"
timeout 300 /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1

# What the prefix holds that a program could write: its registry and drive
# C:'s files. Left out is wine's own bookkeeping: each key's time of change,
# the network cards' key, which each session makes or drops, and the display
# and monitor device classes' keys, which wine's display driver writes anew
# (its date, and without the classes' names) as it finds the screens.
# wineserver writes the registry out when it ends.
prefix_state() {
  /usr/lib/wine/wineserver -w
  (cd "$WINEPREFIX" &&
   awk '/^\[/ { skip = /Control\\\\Class\\\\\{4D36E96[8E]-/ || /NetworkCards\]/ } !skip' ./*.reg |
     sed -E '/^#time=/d; s/^(\[.*\]) [0-9]+$/\1/; /^$/d' &&
   find drive_c -type f -printf '%p %s %T@\n' | LC_ALL=C sort)
}

(cd "$work" && "$capture" --still 2 >/dev/null 2>&1)
mkdir -p "$build/frames"
# The desktop scaling a laptop or a 4K screen has: the loading still
# regardless. The last run also checks that a run leaves no trace.
for dpi in 96 144 192; do
  /usr/lib/wine/wine64 reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD \
    /d "$dpi" /f >/dev/null 2>&1
  [ "$dpi" != 192 ] || prefix_state >"$work/prefix_before"
  start
  await 300 "$work/out" VELQ_CORE || fail "$dpi DPI: no VELQ_CORE: $(cat "$work/out")"
  sleep 1.8
  frame=$build/frames/windows_loading_${dpi}dpi.png
  ffmpeg -loglevel error -y -f x11grab -video_size 640x480 -i "$DISPLAY" -frames:v 1 "$frame"
  "$stillcmp" "$work/amber_grid_at_2.png" "$frame" || fail "$dpi DPI: the loading screen differs"
  if [ "$dpi" = 96 ]; then
    await 200 "$work/out" "CFS_Close: Closing drive ... done." || fail "loading did not finish"
    trace_is_right "$work/out" || fail "trace lines: $(cat "$work/out")"
  fi
  quit_by Escape
done
prefix_state >"$work/prefix_after"
diff "$work/prefix_before" "$work/prefix_after" || fail "a run changed wine's prefix"

# Desktops larger than the picture, wide and 5:4, with and without a
# window manager.
for run in "1920x1080 --window-manager" "1280x1024"; do
  read -r screen manager <<<"$run"
  "$build/amber_xvfb_run" --screen $screen $manager "$0" "$@" $screen "$manager" ||
    fail "on $screen ${manager:-without a window manager}"
  # The next screen's size reaches wine in a session of its own.
  /usr/lib/wine/wineserver -k 2>/dev/null || true
done

# The window manager turns Alt-F4 into a close of the active window. wine
# replaces the window it first makes while the program sets its mode, so
# the search waits for VELQ_CORE, when the window is the program's last.
start
await 300 "$work/out" VELQ_CORE || fail "no VELQ_CORE: $(cat "$work/out")"
timeout 30 xdotool search --sync --limit 1 --name 'amber_grid$' windowactivate --sync ||
  fail "the program's window did not become the active one"
quit_by alt+F4

echo "This is not a drive: only some text." >"$folder/amber_grid.cfs"
start
await 100 "$work/status" "" || fail "a bad drive did not end the program"
tr -d '\r' <"$work/out" | grep -qxF "CFS_Open: FATAL_ERROR: This is NOT handler-compatible drive file." &&
  [ "$(cat "$work/status")" = 1 ] || fail "bad drive: status $(cat "$work/status"): $(cat "$work/out")"
wait $program
[ "$failures" = 0 ]
