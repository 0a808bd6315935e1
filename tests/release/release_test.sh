#!/usr/bin/env bash
# The release tarball as a party machine meets it: unpacked where the path
# holds spaces, it passes the release's own folder check (libraries and C
# library versions), loads its own SDL, SDL 2 and libmpg123, and plays and
# quits with status 0 from another working folder, also when the folder is
# read-only. Packing twice gives the same bytes.
set -euo pipefail

# Under the test's Xvfb: plays from the work folder until the loading entry
# shows, then Escape; prints the status.
if [ "${1:-}" = --play-and-quit ]; then
  (cd "$work" && SDL_AUDIODRIVER=dummy LD_DEBUG=libs "$folder/amber_grid" >"$work/out" 2>"$work/libs") &
  pid=$!
  for _ in $(seq 200); do grep -q VELQ_CORE "$work/out" 2>/dev/null && break; sleep 0.1; done
  xdotool key Escape
  status=0
  wait "$pid" || status=$?
  echo "$status"
  exit 0
fi

source_dir=$(realpath "$(dirname "$0")/../..")
data=${1:?usage: release_test.sh BUILD_FOLDER}
work=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

"$source_dir/release/pack.sh" "$work/a" "$data" >/dev/null
"$source_dir/release/pack.sh" "$work/b" "$data" >/dev/null
tarball=$work/a/amber_grid-linux-x86_64.tar.gz
cmp -s "$tarball" "$work/b/amber_grid-linux-x86_64.tar.gz" || fail "two packs differ"

unpacked="$work/party machine/demos"
mkdir -p "$unpacked"
tar xzf "$tarball" -C "$unpacked"
folder="$unpacked/amber_grid-linux-x86_64"

"$source_dir/release/check_folder.sh" "$folder" || fail "the folder needs what a party machine lacks"

export folder work

for mode in writable read-only; do
  [ "$mode" = read-only ] && chmod -R a-w "$unpacked"
  status=$(xvfb-run -a -s "-screen 0 640x480x24" "$0" --play-and-quit)
  [ "$status" = 0 ] || fail "$mode folder: status $status: $(cat "$work/out")"
  grep -q "VELQ_CORE" "$work/out" || fail "$mode folder: the tape did not start"
  for lib in libSDL-1.2.so.0 libSDL2-2.0.so.0 libmpg123.so.0; do
    grep -qF "calling init: $folder/lib/$lib" "$work/libs" || fail "$mode folder: $lib not from the folder"
  done
  echo "$mode folder: status $status"
done
[ "$failures" = 0 ]
