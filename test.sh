#!/usr/bin/env bash
# Builds amber_grid when needed and runs its tests. The tests start their own
# X servers and use SDL's disk or dummy audio, so no display or sound card is
# needed.
#
#   ./test.sh          the quick run, a few minutes on a built tree: every
#                      test, with the real program run only at its risky
#                      moments and timing checked in virtual time
#   ./test.sh --soak   the quick run twice, then everything long: the
#                      whole tape in real time, quits at 20 seeded moments,
#                      Escape at 20 random moments (another window focused
#                      in half of them), every damaged drive and broken
#                      soundtrack, the timed fuzz sessions, the web page
#                      in Firefox, the Windows zip under wine, the README's
#                      commands on a bare Debian 12 root (as root), and the
#                      program's long runs again in the AddressSanitizer +
#                      UndefinedBehaviorSanitizer build
#
# After each pass the machine guard checks that the tests left the machine as
# they found it: its devices, processes, /tmp and mounts.
set -euo pipefail
cd "$(dirname "$0")"
soak=false
case "${1:-}" in
  "") ;;
  --soak) soak=true ;;
  *) echo "usage: ./test.sh [--soak]" >&2; exit 2 ;;
esac
./setup.sh test
source tests/support/machine_guard.sh

# Runs one pass of ctest in the build folder $1 with the machine guard around
# it: the pass fails if it fails or leaves the machine changed. The tests'
# temporary files go into the build folder too.
guarded() {
  local dir=$1 status=0
  shift
  guard_note "$dir/machine-guard"
  mkdir -p "$dir/tmp"
  (cd "$dir" && TMPDIR=$PWD/tmp ctest --output-on-failure "$@") || status=$?
  guard_check "$dir/machine-guard" || status=1
  return "$status"
}

if ! $soak; then
  guarded build -j "$(nproc)" -LE soak
  exit
fi
# The quick run twice in one tree: the second finds the first's outputs.
guarded build -j "$(nproc)" -LE soak
guarded build -j "$(nproc)" -LE soak
guarded build -j "$(nproc)" -L soak

# The sanitizer build takes build/'s drive and soundtrack as they are.
cmake -S . -B build-asan -DAMBER_ASAN=ON -DAMBER_DATA_FROM="$PWD/build" >/dev/null
cmake --build build-asan -j "$(nproc)" --target program_tests amber_grid amber_drive amber_music
# Escape's stress adds nothing there that the quits do not check.
guarded build-asan -L soak -R Program -E ProgramEscapes
