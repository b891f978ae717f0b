#!/usr/bin/env bash
# Installs dependencies, builds everything and runs every test:
#   1. the release build: plug-in formats, unit tests, host tests, and the
#      plug-in validator (pluginval) on the VST3, the VST 2.4 and the LV2;
#   2. the unit tests and the editor and control tests again under
#      AddressSanitizer and UndefinedBehaviorSanitizer (the editor opened and
#      closed while audio runs, among them);
#   3. the convolution tests (loader threads, locks) under ThreadSanitizer;
#   4. each fuzz target over its seed corpus for a short fixed time.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh

jobs=$(nproc)
export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/tarvolin-ccache}"
# Paths relative to the checkout, so that a fresh clone elsewhere (as CI
# makes) finds what an earlier clone compiled.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1

# ON, not the default AUTO: a test package missing here fails the configure
# instead of leaving its tests out.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DTARVOLIN_BUILD_TESTS=ON -DTARVOLIN_BUILD_BENCH=ON
cmake --build build -j "$jobs"
(cd build && ctest --output-on-failure --no-tests=error -j "$jobs")
bash tools/pluginval.sh build

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTARVOLIN_SANITIZE=address,undefined -DTARVOLIN_BUILD_TESTS=ON -DTARVOLIN_BUILD_BENCH=OFF
cmake --build build-asan -j "$jobs" --target tarvolin_tests tarvolin_ui_tests
(cd build-asan && ctest --output-on-failure --no-tests=error -j "$jobs" -L 'unit|ui')

# Only the test binary: the convolution engine's tests, those
# of the two gadgets that own engines (loader threads, locks), the exit with
# instances still loading and the smoke tests that restore state and presets
# while audio runs.
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTARVOLIN_SANITIZE=thread -DTARVOLIN_BUILD_TESTS=ON -DTARVOLIN_BUILD_BENCH=OFF
cmake --build build-tsan -j "$jobs" --target tarvolin_tests
(cd build-tsan && ctest --output-on-failure --no-tests=error -j "$jobs" -R '^(Convolution|ConvolutionThreads|GadgetN08|GadgetN11)\.|ExitingWithInstancesAlive|RestoresAndPresetsWhileAudioRuns|TwoThreadsAtOnce')

# Half a minute per door: the seeds, the reproducers among them and what the
# fuzzer reaches from there.
bash tools/fuzz.sh 30
