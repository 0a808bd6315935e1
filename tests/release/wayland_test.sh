#!/usr/bin/env bash
# wayland_test.sh BUILD CAPTURE STILLCMP: the Linux release folder, packed
# from BUILD's data, on a Wayland desktop: sway's headless backend, one
# 1920 x 1080 output, run as nobody. Both ways a desktop offers, through
# XWayland as a GNOME desktop runs X programs, and natively through SDL's
# Wayland driver with no X server named: the loading screen shows the still
# amber_capture makes at the same moment, scaled and centred on black; the
# key Escape ends it with status 0, and so does the compositor's closing
# the window; the compositor's crash ends it with the display's loss
# message and status 1 within 1.5 s. Needs root, to run sway as another
# user in namespaces of its own, whose private /tmp takes XWayland's
# sockets and lock; skipped without it, and in a chroot.
set -euo pipefail
build=$(realpath "${1:?usage: wayland_test.sh BUILD CAPTURE STILLCMP}")
if [ "$(id -u)" != 0 ]; then
  echo "sway refuses root and the test needs root to be another user"
  exit 77
fi
if [ "${AMBER_PRIVATE_TMP:-}" != "$build" ]; then
  # In a chroot, whose / is no mount point, no namespace's mounts can be
  # made private, and a /tmp mounted there would reach the machine's.
  unshare --mount --propagation private true 2>/dev/null || {
    echo "no private mount namespace here (a chroot?)"
    exit 77
  }
  AMBER_PRIVATE_TMP=$build exec unshare --mount --net --propagation private "$0" "$@"
fi
mount -t tmpfs tmpfs /tmp
capture=$(realpath "${2:?}") stillcmp=$(realpath "${3:?}")
source_dir=$(realpath "$(dirname "$0")/../..")
source "$source_dir/tests/release/common.sh"
work=$(mktemp -d) sway=
trap 'kill_sway; rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# The moment of the loading screen compared, in seconds from the start.
moment=5
(cd "$work" && "$capture" --still $moment >/dev/null 2>&1)
"$source_dir/release/pack.sh" "$work" "$build" >/dev/null
chmod 755 "$work"
tar xzf "$work/amber_grid-linux-x86_64.tar.gz" -C "$work"
folder=$work/amber_grid-linux-x86_64
mkdir -p "$build/frames"

# Runs the command as nobody, the desktop's user, on the desktop: with the
# X display too, as a GNOME desktop gives, for x11 in $driver.
as_user() {
  local display=()
  [ "$driver" != x11 ] || display=(DISPLAY=":$(ls /tmp/.X11-unix | sed -n 's/^X//p')")
  timeout 60 setpriv --reuid=nobody --regid=nogroup --clear-groups env -i PATH=/usr/bin:/bin \
    XDG_RUNTIME_DIR="$XDG_RUNTIME_DIR" WAYLAND_DISPLAY="$WAYLAND_DISPLAY" "${display[@]}" "$@"
}

# Starts the folder's program, natively through SDL's Wayland driver for
# wayland in $driver. Its status lands in $work/status.
start() {
  local native=()
  [ "$driver" != wayland ] || native=(SDL_VIDEODRIVER=wayland)
  rm -f "$work/status" "$work/out"
  (status=0
   cd "$work"
   as_user "${native[@]}" SDL_AUDIODRIVER=dummy "$folder/amber_grid" >"$work/out" 2>&1 ||
     status=$?
   echo $status >"$work/status") &
  program=$!
  await 200 "$work/out" VELQ_CORE || fail "$driver: no VELQ_CORE: $(cat "$work/out")"
}

# The program, ended by what $3 names, ended with status $2 within $1
# tenths of a second.
ended() {
  await "$1" "$work/status" "" || true
  local status
  status=$(cat "$work/status" 2>/dev/null || echo none)
  wait $program
  [ "$status" = "$2" ] || fail "$driver: $3: status $status: $(cat "$work/out")"
}

for driver in x11 wayland; do
  start_sway "$work/runtime"
  begun=$(date +%s.%N)
  start
  # Through XWayland the window is an X client's.
  [ $driver != x11 ] || as_user xdotool search --name 'amber_grid$' >/dev/null || fail "no X window"
  sleep "$(awk -v b="$begun" -v now="$(date +%s.%N)" -v m=$moment \
             'BEGIN { l = b + m - now; print (l > 0 ? l : 0) }')"
  frame=$build/frames/sway_${driver}_loading.png
  grim "$frame"
  "$stillcmp" "$work/amber_grid_at_$moment.png" "$frame" || fail "$driver: the loading screen"
  # wtype's keyboard needs a moment to reach the focused window.
  wtype -s 300 -k Escape
  ended 10 0 Escape
  if [ $driver = wayland ]; then
    start
    SWAYSOCK=$(ls "$XDG_RUNTIME_DIR"/sway-ipc.*.sock) swaymsg kill >/dev/null
    ended 10 0 "the compositor's close"
  fi
  start
  kill_sway
  ended 15 1 "the compositor's crash"
  grep -qxF "VELQ_Display: FATAL_ERROR: The display connection was lost." "$work/out" ||
    fail "$driver: the compositor's crash: no message"
done
[ "$failures" = 0 ]
