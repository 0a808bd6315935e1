#!/usr/bin/env bash
# bare_debian_test.sh BUILD: the README's commands on a Debian 12 that has
# nothing but debootstrap's minbase. A fresh copy of the root made once into
# BUILD/bare-debian/ gets a clone of this tree (with its uncommitted changes),
# under a path with a space and letters beyond ASCII; there, with no display
# and no sound, as a newcomer would:
#   ./play.sh        installs, builds and plays the whole tape to status 0;
#   a configure without the extra DejaVu fonts names the file and the package;
#   ./play.sh --web  builds the page and serves it;
#   ./test.sh        installs and builds everything, and the quick run passes.
# Downloaded packages are kept in BUILD/bare-debian/debs/ for the next run.
# Needs root.
set -euo pipefail
source_dir=$(realpath "$(dirname "$0")/../..")
source "$source_dir/tests/release/common.sh"
tree="/root/démos à voir/amber_grid"

# In namespaces of its own, PID 1 of a new PID namespace: everything started
# here ends with this script, and every mount with its mount namespace.
if [ "${1:-}" = --inside ]; then
  root=$2 logs=$3 debs=$4
  mount -t proc proc "$root/proc"
  mount -t sysfs sysfs "$root/sys"
  # A /dev of its own: the machine's devices stay out of reach of the run.
  mount -t tmpfs -o mode=755 tmpfs "$root/dev"
  for node in null:1:3 zero:1:5 full:1:7 random:1:8 urandom:1:9 tty:5:0; do
    IFS=: read -r name major minor <<<"$node"
    mknod -m 666 "$root/dev/$name" c "$major" "$minor"
  done
  mkdir "$root/dev/pts" "$root/dev/shm"
  mount -t devpts -o newinstance,ptmxmode=0666 devpts "$root/dev/pts"
  mount -t tmpfs -o mode=1777 tmpfs "$root/dev/shm"
  ln -s pts/ptmx "$root/dev/ptmx"
  ln -s /proc/self/fd "$root/dev/fd"
  mount --bind "$debs" "$root/var/cache/apt/archives"
  # This machine's network settings, as a new machine on its network would
  # have them: name servers, the certificate authorities trusted here
  # besides Debian's, and npm's own settings (which may name them).
  cp /etc/resolv.conf "$root/etc/resolv.conf"
  mkdir -p "$root/usr/local/share/ca-certificates" "$root/usr/etc"
  cp -r /usr/local/share/ca-certificates/. "$root/usr/local/share/ca-certificates/" 2>/dev/null || true
  for npmrc in /etc/npmrc /usr/etc/npmrc; do [ ! -f $npmrc ] || cp $npmrc "$root$npmrc"; done

  failures=0
  fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
  packages() { chroot "$root" dpkg-query -W | wc -l; }
  # Each line of standard input with the seconds since $1 before it.
  stamp() { while IFS= read -r line; do echo "$((SECONDS - $1)) $line"; done; }
  # Runs the shell command $3 in the tree, in an empty environment, for at
  # most $2 seconds; its output, each line stamped with the seconds since
  # its start, then its end, go to $logs/$1.log.
  in_tree() {
    local start=$SECONDS status
    timeout "$2" chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 PYTHONUNBUFFERED=1 \
      PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
      bash -c "cd '$tree' && $3" 2>&1 | stamp "$start" >"$logs/$1.log"
    status=${PIPESTATUS[0]}
    echo "$((SECONDS - start)) ended with status $status" >>"$logs/$1.log"
    return "$status"
  }
  # What step $1 did: the packages it installed since there were $2, and
  # its log's lines matching $3.
  report() {
    echo "$1: $(($(packages) - $2)) packages installed;" \
         "$(grep -E "$3|ended with status" "$logs/$1.log" | head -n 4 | paste -sd';')"
  }

  before=$(packages)
  status=0
  in_tree play 900 ./play.sh || status=$?
  report play "$before" " VELQ_MAIN$"
  grep -q " VELQ_MAIN$" "$logs/play.log" && [ "$status" = 0 ] ||
    fail "./play.sh: status $status; $(tail -n 5 "$logs/play.log")"

  # A missing system file stops the configure with the file and its package.
  chroot "$root" dpkg --remove --force-depends fonts-dejavu-extra >/dev/null 2>&1
  in_tree no-font 300 "cmake -S . -B /tmp/no-font -DAMBER_TESTS=OFF" || true
  rm -rf "$root/tmp/no-font"
  grep -qF "/usr/share/fonts/truetype/dejavu/DejaVuSerif-Italic.ttf is missing: install Debian's fonts-dejavu-extra" \
    "$logs/no-font.log" || fail "configure without fonts-dejavu-extra: $(cat "$logs/no-font.log")"

  before=$(packages)
  # A job of its own, so that the server's whole process group can be ended.
  set -m
  in_tree web 900 "PORT=0 exec ./play.sh --web" &
  server=$!
  set +m
  if await 9000 "$logs/web.log" "Serving HTTP on"; then
    port=$(sed -n 's/.*Serving HTTP on .* port \([0-9]*\) .*/\1/p' "$logs/web.log")
    for file in index.html amber_grid.wasm amber_grid.cfs; do
      python3 -c 'import sys, urllib.request
sys.stdout.buffer.write(urllib.request.urlopen(sys.argv[1]).read())' \
        "http://127.0.0.1:$port/$file" | cmp -s - "$root$tree/build-web/$file" ||
        fail "the server's $file differs from build-web's"
    done
  else
    fail "./play.sh --web serves nothing: $(tail -n 5 "$logs/web.log")"
  fi
  kill -- "-$server" 2>/dev/null || true
  report web "$before" "Serving HTTP"

  before=$(packages)
  status=0
  in_tree test 2400 ./test.sh || status=$?
  report test "$before" "tests passed|Total Test time"
  [ "$status" = 0 ] || fail "./test.sh: status $status; $(grep -A 20 'tests passed' "$logs/test.log")"
  [ "$failures" = 0 ]
  exit
fi

build=$(realpath "${1:?usage: bare_debian_test.sh BUILD}")
if [ "$(id -u)" != 0 ]; then
  echo "debootstrap and chroot need root"
  exit 77
fi
cache=$build/bare-debian
bare_root "$cache/minbase" ""
run=$cache/run
rm -rf --one-file-system "$run" "$cache/logs"
mkdir -p "$run" "$cache/logs" "$cache/debs"
cp -a "$cache/minbase/root" "$run/root"
git clone -q "$source_dir" "$run/root$tree"
git -C "$source_dir" diff --binary HEAD | git -C "$run/root$tree" apply --allow-empty
status=0
unshare --mount --pid --fork --kill-child --propagation private \
  "$0" --inside "$run/root" "$cache/logs" "$cache/debs" || status=$?
rm -rf --one-file-system "$run"
exit $status
