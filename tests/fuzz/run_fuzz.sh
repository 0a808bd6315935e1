#!/bin/sh
# Builds the drive fuzzer with clang (libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs it for SECONDS over a corpus seeded
# with drives from the writer. Any further arguments go to libFuzzer.
#   tests/fuzz/run_fuzz.sh SECONDS [WORK_FOLDER [libFuzzer options...]]
# The corpus grows in WORK_FOLDER/corpus between runs; a crash leaves its
# input as WORK_FOLDER/crash-*. Exit status 0 when nothing was found,
# 77 when clang is missing.
set -eu
seconds=${1:?usage: run_fuzz.sh SECONDS [WORK_FOLDER [libFuzzer options...]]}
root=$(cd "$(dirname "$0")/../.." && pwd)
work=${2:-$root/build/fuzz}
shift
[ $# -gt 0 ] && shift
cxx=${FUZZ_CXX:-clang++}
if ! command -v "$cxx" >/dev/null 2>&1; then
    echo "run_fuzz: $cxx not found; fuzzing skipped"
    exit 77
fi

mkdir -p "$work/seeds" "$work/corpus"
work=$(cd "$work" && pwd)
readers="$root/archive/cfs_handler_r.cpp $root/archive/cfs_png_r.cpp $root/archive/cfs_ase_r.cpp"
flags="-std=c++20 -g -O2 -ffp-contract=off -I$root"
"$cxx" $flags -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all $readers \
    "$root/tests/fuzz/cfs_fuzz.cpp" -lz -o "$work/cfs_fuzz"
"$cxx" $flags $readers "$root/archive/cfs_fatal.cpp" "$root/archive/cfs_writer.cpp" \
    "$root/tests/fuzz/cfs_fuzz_seeds.cpp" -lz -o "$work/cfs_fuzz_seeds"
"$work/cfs_fuzz_seeds" "$work/seeds"

exec "$work/cfs_fuzz" -max_total_time="$seconds" -timeout=10 -error_exitcode=1 \
    -timeout_exitcode=1 -print_final_stats=1 -artifact_prefix="$work/" "$@" \
    "$work/corpus" "$work/seeds"
