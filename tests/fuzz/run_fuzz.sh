#!/bin/sh
# Builds the fuzzers with clang (libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer, through tests/fuzz/CMakeLists.txt) and runs
# one of them for SECONDS. Any further arguments go to libFuzzer.
#   tests/fuzz/run_fuzz.sh drive SECONDS WORK_FOLDER [libFuzzer options...]
#   tests/fuzz/run_fuzz.sh mp3 SECONDS WORK_FOLDER MP3 [libFuzzer options...]
# The drive fuzzer's seeds are drives from the writer, the soundtrack
# fuzzer's the start of MP3. Each run also starts from the minimised corpus
# kept in tests/fuzz/corpus/drive|mp3, which it only reads: what it finds
# grows in WORK_FOLDER/corpus between runs. A crash leaves its input as
# WORK_FOLDER/crash-*. Exit status 0 when nothing was found, 77 when clang
# is missing.
set -eu
usage="usage: run_fuzz.sh drive|mp3 SECONDS WORK_FOLDER [MP3] [libFuzzer options...]"
target=${1:?$usage}
seconds=${2:?$usage}
work=${3:?$usage}
shift 3
root=$(cd "$(dirname "$0")/../.." && pwd)
cxx=${FUZZ_CXX:-clang++}
if ! command -v "$cxx" >/dev/null 2>&1; then
    echo "run_fuzz: $cxx not found; fuzzing skipped"
    exit 77
fi

mkdir -p "$work/seeds" "$work/corpus"
work=$(cd "$work" && pwd)
cmake -S "$root/tests/fuzz" -B "$work/build" -DCMAKE_CXX_COMPILER="$cxx" >/dev/null
case $target in
drive)
    cmake --build "$work/build" --target cfs_fuzz cfs_fuzz_seeds >/dev/null
    "$work/build/cfs_fuzz_seeds" "$work/seeds"
    fuzzer=$work/build/cfs_fuzz
    ;;
mp3)
    mp3=${1:?$usage}
    shift
    cmake --build "$work/build" --target mp3_fuzz >/dev/null
    head -c 8192 "$mp3" >"$work/seeds/start.mp3"
    fuzzer=$work/build/mp3_fuzz
    set -- -max_len=16384 "$@"
    ;;
*)
    echo "$usage" >&2
    exit 2
    ;;
esac

# libFuzzer writes new inputs into the first folder only.
exec "$fuzzer" -max_total_time="$seconds" -timeout=10 -error_exitcode=1 -timeout_exitcode=1 \
    -print_final_stats=1 -artifact_prefix="$work/" "$@" \
    "$work/corpus" "$root/tests/fuzz/corpus/$target" "$work/seeds"
