# What the release tests share; they source it.

# Waits up to $1 tenths of a second for the file $2 to hold $3.
await() {
  for _ in $(seq "$1"); do grep -qF "$3" "$2" 2>/dev/null && return 0; sleep 0.1; done
  return 1
}

# Whether the file $1 holds the start-up trace of a finished loading: the
# main thread's lines in order, the loading thread's anywhere between the
# drive's opening and its closing. Windows ends text lines with CR LF.
trace_is_right() {
  local main_thread trace
  main_thread=$'VELQ_MAIN\nCFS_Open: Attempting to open drive ./amber_grid.cfs ... done.\nCFS_Open: WendrikFS drive v1.1 (24 files in drive)\nVELQ_TIMER\nVELQ_CORE\nCFS_Close: Closing drive ... done.'
  trace=$(tr -d '\r' <"$1")
  [ "$(grep -vx VELQ_LOADER <<<"$trace")" = "$main_thread" ] &&
    sed -n '4,6p' <<<"$trace" | grep -qx VELQ_LOADER
}

# Makes, once, a Debian 12 minbase root in $1/root with the packages $2 (a
# space-separated list, maybe empty) added, from the mirror apt uses here;
# kept while the list and the mirror stay the same. debootstrap runs in a
# mount namespace of its own, so a run killed midway leaves no mount behind.
bare_root() {
  local cache=$1 packages=$2 suite=bookworm mirror key
  mirror=$(apt-get indextargets --format '$(REPO_URI)' "Codename: $suite" 'Created-By: Packages' |
           head -n 1)
  mirror=${mirror:-http://deb.debian.org/debian/}
  key="minbase $suite $mirror $packages"
  [ "$(cat "$cache/key" 2>/dev/null)" != "$key" ] || return 0
  echo "making the root: $key"
  rm -rf --one-file-system "$cache"
  mkdir -p "$cache"
  unshare --mount --propagation private debootstrap --variant=minbase \
    ${packages:+--include="${packages// /,}"} "$suite" "$cache/new" "$mirror" \
    >"$cache/debootstrap.log" 2>&1 || { tail -n 20 "$cache/debootstrap.log"; return 1; }
  chroot "$cache/new" apt-get clean
  mv "$cache/new" "$cache/root"
  echo "$key" >"$cache/key"
}

# Starts sway as nobody on its headless backend, one 1920 x 1080 output with
# XWayland, its runtime folder $1 (made afresh, nobody's own): a Wayland
# desktop, whose compositor refuses to run as root. Sets $sway to its
# process group (XWayland runs in it), $WAYLAND_DISPLAY and $XDG_RUNTIME_DIR.
# Its X sockets and lock go into /tmp: call it in a mount namespace with a
# /tmp of its own.
start_sway() {
  local socket
  rm -rf "$1"
  mkdir -m 700 "$1"
  chown nobody:nogroup "$1"
  printf 'output HEADLESS-1 resolution 1920x1080\nxwayland enable\n' >"$1/config"
  setsid setpriv --reuid=nobody --regid=nogroup --clear-groups env -i PATH=/usr/bin:/bin \
    HOME="$1" XDG_RUNTIME_DIR="$1" WLR_BACKENDS=headless WLR_RENDERER=pixman \
    WLR_LIBINPUT_NO_DEVICES=1 sway -c "$1/config" >"$1/sway.log" 2>&1 &
  sway=$!
  for _ in $(seq 100); do
    socket=$(cd "$1" && ls -d wayland-[0-9]* 2>/dev/null | grep -vF .lock | head -n 1) || true
    [ -z "$socket" ] || break
    sleep 0.1
  done
  [ -n "$socket" ] || { echo "sway did not start: $(cat "$1/sway.log")"; return 1; }
  export WAYLAND_DISPLAY=$socket XDG_RUNTIME_DIR=$1
}

# Ends sway and XWayland at once, as a crash would.
kill_sway() {
  kill -KILL -- "-$sway" 2>/dev/null || true
  wait "$sway" 2>/dev/null || true
}
