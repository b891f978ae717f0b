#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each over its seed corpus for a fixed
# time. New inputs go to a scratch folder, never into the repository; a
# finding is written to build-fuzz/findings/ and fails the run.
#
# usage: tools/fuzz.sh [seconds per target] [more libFuzzer options...]
#   CI: tools/fuzz.sh 30
#   a longer campaign on three cores: tools/fuzz.sh 1200 -jobs=3 -workers=3
# Each target runs in build-fuzz/logs/<door>, where libFuzzer's -jobs write
# their fuzz-<job>.log files.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-30}"
shift || true
jobs=$(nproc)
export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/tarvolin-ccache}"

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DTARVOLIN_BUILD_FUZZ=ON -DTARVOLIN_SANITIZE=address,undefined \
    -DTARVOLIN_BUILD_TESTS=OFF -DTARVOLIN_BUILD_BENCH=OFF
# Only the fuzz targets: the plug-in formats do not link with the sanitizers.
cmake --build build-fuzz -j "$jobs" --target \
    tarvolin_state_fuzz tarvolin_preset_fuzz tarvolin_processor_fuzz tarvolin_names_fuzz

root=$PWD
mkdir -p build-fuzz/findings
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

for door in state preset processor names; do
    dictionary=fuzz/xml.dict
    [ "$door" = names ] && dictionary=fuzz/names.dict
    mkdir -p "$scratch/$door"
    # With -jobs, libFuzzer writes each job's log, fuzz-<job>.log, into its
    # working folder: each door runs in a folder of its own in build-fuzz.
    logs="build-fuzz/logs/$door"
    mkdir -p "$logs"
    echo "--- fuzzing the $door door for ${seconds}s"
    # A hang is caught well before the timeout: nothing here takes 10 s.
    (cd "$logs" && "$root/build-fuzz/fuzz/tarvolin_${door}_fuzz" -max_total_time="$seconds" -timeout=10 \
        -max_len=8192 -dict="$root/$dictionary" -artifact_prefix="$root/build-fuzz/findings/$door-" \
        -print_final_stats=1 "$@" "$scratch/$door" "$root/fuzz/corpus/$door")
done

echo "fuzz: 4 passed, 0 failed"
