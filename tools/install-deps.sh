#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need (idempotent):
# those of tools/install-build-deps.sh and the tests' own below.
set -euo pipefail

test_packages=(
    # the compiler cache tools/test.sh builds through
    ccache
    # headers of the framework's optional parts (JACK, OpenGL, curl, XRender,
    # XComposite, fontconfig), which the plug-in's own build leaves out
    libjack-jackd2-dev libgl1-mesa-dev libcurl4-openssl-dev
    libxrender-dev libxcomposite-dev libfontconfig1-dev
    # the unit tests and the benchmarks
    libgtest-dev libbenchmark-dev
    # the tests of the built plug-ins: an outside LV2 host, a virtual display
    # and the standalone program driven from outside
    lv2-dev lilv-utils jalv jackd2 xvfb xauth xdotool
    # the fuzz targets (tools/fuzz.sh)
    clang libclang-rt-14-dev
    # pluginval's build (tools/build-pluginval.sh)
    ladspa-sdk libflac-dev libvorbis-dev libogg-dev python3
    # the headless render host tests; gdb reads a crashed export's core file
    # to tell Ardour's own crashes from the plug-in's
    ardour gdb
)

bash "$(dirname "$0")/install-build-deps.sh" "${test_packages[@]}"
