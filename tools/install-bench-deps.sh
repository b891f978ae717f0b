#!/usr/bin/env bash
# Installs the Debian packages bench/peers.sh needs beyond tools/install-deps.sh
# (idempotent): lilv for its small LV2 host, the open-source LV2 plug-ins it
# times beside ours, and FFTW, which tarvolin_bench times beside our FFT and
# convolver when it finds it at configure time.
set -euo pipefail

packages=(
    cmake g++ pkg-config liblilv-dev lv2-dev util-linux
    calf-plugins guitarix-lv2 dragonfly-reverb-lv2 swh-lv2 mda-lv2
    libfftw3-dev
)

bash "$(dirname "$0")/apt-install.sh" "${packages[@]}"
