#!/bin/sh
# Builds the soundtrack fuzzer with clang (libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs it for SECONDS, seeded with the start
# of an MP3 file. Any further arguments go to libFuzzer.
#   tests/fuzz/run_mp3_fuzz.sh SECONDS MP3 [WORK_FOLDER [libFuzzer options...]]
# Exit status 0 when nothing was found, 77 when clang is missing.
set -eu
seconds=${1:?usage: run_mp3_fuzz.sh SECONDS MP3 [WORK_FOLDER [libFuzzer options...]]}
mp3=${2:?usage: run_mp3_fuzz.sh SECONDS MP3 [WORK_FOLDER [libFuzzer options...]]}
root=$(cd "$(dirname "$0")/../.." && pwd)
work=${3:-$root/build/mp3_fuzz}
shift 2
[ $# -gt 0 ] && shift
cxx=${FUZZ_CXX:-clang++}
if ! command -v "$cxx" >/dev/null 2>&1; then
    echo "run_mp3_fuzz: $cxx not found; fuzzing skipped"
    exit 77
fi

mkdir -p "$work/seeds" "$work/corpus"
work=$(cd "$work" && pwd)
head -c 8192 "$mp3" >"$work/seeds/start.mp3"
"$cxx" -std=c++20 -g -O2 -I"$root" -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    "$root/platform/fsound.cpp" "$root/tests/fuzz/mp3_fuzz.cpp" $(pkg-config --cflags --libs sdl libmpg123) \
    -o "$work/mp3_fuzz"

exec "$work/mp3_fuzz" -max_total_time="$seconds" -max_len=16384 -timeout=10 -error_exitcode=1 \
    -timeout_exitcode=1 -print_final_stats=1 -artifact_prefix="$work/" "$@" \
    "$work/corpus" "$work/seeds"
