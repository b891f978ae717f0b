#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need (idempotent).
set -euo pipefail

packages=(
    build-essential cmake ninja-build ccache pkg-config
    juce-modules-source fst-dev libresample1-dev
    libasound2-dev libjack-jackd2-dev libfreetype-dev libfontconfig1-dev
    libx11-dev libxcomposite-dev libxcursor-dev libxext-dev libxinerama-dev
    libxrandr-dev libxrender-dev libgl1-mesa-dev libcurl4-openssl-dev
    libgtest-dev libbenchmark-dev
    lv2-dev lilv-utils jalv jackd2 xvfb xauth
    clang libclang-rt-14-dev
    fonts-liberation xdotool
    # pluginval's build (tools/build-pluginval.sh)
    ladspa-sdk libflac-dev libvorbis-dev libogg-dev python3
    # the headless render host tests; gdb reads a crashed export's core file
    # to tell Ardour's own crashes from the plug-in's
    ardour gdb
)

bash "$(dirname "$0")/apt-install.sh" "${packages[@]}"
