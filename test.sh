#!/usr/bin/env bash
# Builds amber_grid when needed and runs every test. The tests start their
# own X servers and use SDL's disk or dummy audio, so no display or sound
# card is needed.
set -euo pipefail
cd "$(dirname "$0")"
./setup.sh
cd build
ctest --output-on-failure -j "$(nproc)"

# The real program again against every damaged drive, and quit at every
# moment, in the AddressSanitizer + UndefinedBehaviorSanitizer build.
cd ..
cmake -S . -B build-asan -DAMBER_ASAN=ON >/dev/null
cmake --build build-asan -j "$(nproc)" --target program_tests amber_grid amber_drive amber_music
cd build-asan
ctest --output-on-failure -R "ProgramFatal|ProgramQuit"
