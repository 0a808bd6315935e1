#!/usr/bin/env bash
# Builds amber_grid when needed and plays it from build/; with --web, serves
# the web build in build-web/ on localhost for a browser. Only what playing
# needs is installed and built: ./test.sh adds the rest.
set -euo pipefail
cd "$(dirname "$0")"
case "${1:-}" in
  "") ./setup.sh play ;;
  --web) ./setup.sh web ;;
  *) echo "usage: ./play.sh [--web]" >&2; exit 2 ;;
esac
if [ "${1:-}" = "--web" ]; then
  # The server names its address (with PORT=0, the port it was given).
  echo "Serving build-web/ for a browser on this machine (Ctrl-C stops the server)."
  exec python3 -u -m http.server --bind 127.0.0.1 --directory build-web "${PORT:-8000}"
fi
cd build

# Without a sound device SDL has no output to open; play silently instead.
if [ -z "${SDL_AUDIODRIVER:-}" ] && [ ! -d /dev/snd ] &&
   [ ! -S "${XDG_RUNTIME_DIR:-/nonexistent}/pulse/native" ]; then
  echo "No sound device found: playing without sound (SDL_AUDIODRIVER=dummy)."
  export SDL_AUDIODRIVER=dummy
fi

if [ -z "${DISPLAY:-}" ]; then
  echo "No display found: playing on a virtual screen (Xvfb, 640x480x24)."
  exec xvfb-run -a -s "-screen 0 640x480x24" ./amber_grid
fi
exec ./amber_grid
