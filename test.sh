#!/usr/bin/env bash
# Builds amber_grid when needed and runs its tests. The tests start their own
# X servers and use SDL's disk or dummy audio, so no display or sound card is
# needed.
#
#   ./test.sh          the quick run, a few minutes on a built tree: every
#                      test, with the real program run only at its risky
#                      moments and timing checked in virtual time
#   ./test.sh --soak   the quick run, then everything long: the whole tape in
#                      real time, quits at 20 seeded moments, every damaged
#                      drive and broken soundtrack, the timed fuzz sessions,
#                      the README's commands on a bare Debian 12 root (as
#                      root), and the program's long runs again in the
#                      AddressSanitizer + UndefinedBehaviorSanitizer build
set -euo pipefail
cd "$(dirname "$0")"
soak=false
case "${1:-}" in
  "") ;;
  --soak) soak=true ;;
  *) echo "usage: ./test.sh [--soak]" >&2; exit 2 ;;
esac
./setup.sh test
cd build
if ! $soak; then
  exec ctest --output-on-failure -j "$(nproc)" -LE soak
fi
ctest --output-on-failure -j "$(nproc)"

# The sanitizer build takes build/'s drive and soundtrack as they are.
cd ..
cmake -S . -B build-asan -DAMBER_ASAN=ON -DAMBER_DATA_FROM="$PWD/build" >/dev/null
cmake --build build-asan -j "$(nproc)" --target program_tests amber_grid amber_drive amber_music
cd build-asan
ctest --output-on-failure -L soak -R Program
