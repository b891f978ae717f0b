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

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done

if [ ${#missing[@]} -gt 0 ]; then
    sudo_cmd=""
    [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
    export DEBIAN_FRONTEND=noninteractive
    $sudo_cmd apt-get update -qq
    $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
