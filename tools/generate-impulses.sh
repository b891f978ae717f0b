#!/usr/bin/env bash
# Synthesises the nine impulse responses into resources/sounds/ (the files
# are committed; run this after changing tools/impulses/GenerateImpulses.cpp).
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S tools/impulses -B build-impulses -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build build-impulses > /dev/null
mkdir -p resources/sounds
build-impulses/generate_impulses resources/sounds
