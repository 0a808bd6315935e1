#!/usr/bin/env bash
# bare_system_test.sh BUILD: the release plays on a Debian 12 that has only
# the system packages its README.txt names. A debootstrap minbase root with
# those packages added, from the mirror apt uses here, is made once into
# BUILD/bare-system/ and kept while the list and the mirror stay the same.
# The folder packed from BUILD's data runs inside it (chroot, as nobody, with
# an empty environment) against the test's Xvfb: the trace lines, its own
# SDL and libmpg123, every library it asks for found, Escape ending it with
# status 0; then natively on a Wayland compositor (sway, headless), whose
# libraries it must find there too. Needs root.
set -euo pipefail
source_dir=$(realpath "$(dirname "$0")/../..")
source "$source_dir/tests/release/common.sh"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# In namespaces of its own, on the test's X server, then on a compositor:
# plays the folder in the root, mounted over its /opt; Escape ends it. The
# mounts go with the namespace, leaving the cached root as made.
if [ "${1:-}" = --play ]; then
  root=$2 folder=/opt/amber_grid-linux-x86_64
  mount --bind "$3" "$root/opt"
  for dir in /dev /proc /sys; do mount --rbind "$dir" "$root$dir"; done
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  # Plays the folder with the environment's words $@ added: the trace, the
  # libraries, and Escape through the key command $key.
  play() {
    rm -f "$work/status"
    (status=0
     timeout 120 chroot --userspec=nobody:nogroup "$root" /usr/bin/env -i "$@" \
       SDL_AUDIODRIVER=dummy LD_DEBUG=libs ${AMBER_TEST_RUN:+AMBER_TEST_RUN="$AMBER_TEST_RUN"} \
       "$folder/amber_grid" >"$work/out" 2>"$work/libs" || status=$?
     echo $status >"$work/status") &
    program=$!
    await 300 "$work/out" VELQ_CORE || fail "$way: no VELQ_CORE: $(said)"
    await 300 "$work/out" "CFS_Close: Closing drive ... done." || fail "$way: loading did not finish"
    trace_is_right "$work/out" || fail "$way: trace lines: $(said)"
    for lib in libSDL-1.2.so.0 libSDL2-2.0.so.0 libmpg123.so.0; do
      grep -qF "calling init: $folder/lib/$lib" "$work/libs" || fail "$way: $lib not from the folder"
    done
    # Every library asked for was found, SDL's optional ones too; Mesa looks
    # for Direct3D 12 only for Windows' WSL.
    for lib in $(sed -n 's/.*find library=\([^ ]*\) .*/\1/p' "$work/libs" | sort -u); do
      [ "$lib" = libd3d12.so ] || grep -q "calling init: .*/$lib\$" "$work/libs" ||
        fail "$way: $lib was asked for and not found"
    done
    $key
    await 50 "$work/status" "" && [ "$(cat "$work/status")" = 0 ] ||
      fail "$way: Escape: status $(cat "$work/status" 2>/dev/null || echo 'none within 5 s')"
    wait $program
  }
  # What the program said besides the loader's lines.
  said() { cat "$work/out"; grep -Ev '^ *[0-9]+:' "$work/libs" || true; }

  way=X11 key="xdotool key Escape"
  play DISPLAY="$DISPLAY"
  # The compositor's runtime folder shows inside the root at /mnt, and
  # XWayland's sockets go into a /tmp of the namespace's own.
  mount -t tmpfs tmpfs /tmp
  sway=
  trap 'kill_sway; rm -rf "$work"' EXIT
  chmod 755 "$work"
  start_sway "$work/runtime"
  mount --bind "$XDG_RUNTIME_DIR" "$root/mnt"
  way=Wayland key="wtype -s 300 -k Escape"
  play XDG_RUNTIME_DIR=/mnt WAYLAND_DISPLAY="$WAYLAND_DISPLAY" SDL_VIDEODRIVER=wayland
  [ "$failures" = 0 ]
  exit
fi

build=$(realpath "${1:?usage: bare_system_test.sh BUILD}")
skipped=77
if [ "$(id -u)" != 0 ]; then
  echo "debootstrap and chroot need root"
  exit $skipped
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

packages=$(awk '/On Debian 12 these are/ {on = 1; next}
                on && /^      / {print; seen = 1; next} seen {exit}' "$source_dir/release/README.txt" | xargs)
[ -n "$packages" ] || { echo "FAIL: no package list in release/README.txt"; exit 1; }
bare_root "$build/bare-system" "$packages"
root=$build/bare-system/root
echo "root: $(chroot "$root" dpkg-query -W | wc -l) packages, $(du -sh "$root" | cut -f1)"
# No SDL in the root, so the folder's must serve. libmpg123 comes with
# PulseAudio's libsndfile, and the C++ runtime with apt and Mesa's LLVM: the
# program is shown to load the folder's libmpg123 below, and links its own
# C++ runtime.
sdl=$(find "$root" -name 'libSDL*' -o -name 'libsamplerate*' -o -name 'libdecor*')
[ -z "$sdl" ] || fail "the root has what the folder brings: $sdl"

"$source_dir/release/pack.sh" "$work" "$build" >/dev/null
mkdir "$work/demos"
tar xzf "$work/amber_grid-linux-x86_64.tar.gz" -C "$work/demos"

# A network namespace of its own gives the test's X server abstract sockets
# that another test's server cannot take, and the program no network.
unshare --mount --net --propagation private "$build/amber_xvfb_run" "$0" --play "$root" "$work/demos" ||
  failures=$((failures + 1))
[ "$failures" = 0 ]
