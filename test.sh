#!/usr/bin/env bash
# Builds amber_grid when needed and runs every test. The tests start their
# own X servers and use SDL's disk or dummy audio, so no display or sound
# card is needed.
set -euo pipefail
cd "$(dirname "$0")"
./setup.sh
cd build
ctest --output-on-failure -j "$(nproc)"
