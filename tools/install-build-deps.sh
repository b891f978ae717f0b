#!/usr/bin/env bash
# Installs the Debian packages that building the plug-in needs, every format
# and the standalone program, and nothing the tests use (idempotent), together
# with any further packages named on the command line, in one apt run:
#   tools/install-build-deps.sh [PACKAGE...]
# tools/install-deps.sh names the tests' own that way.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    juce-modules-source fst-dev libresample1-dev
    # the framework's sound, font and window headers the build includes
    libasound2-dev libfreetype-dev
    libx11-dev libxcursor-dev libxext-dev libxinerama-dev libxrandr-dev
    # Not for the build but for the player: the editor draws its
    # "Times New Roman" text in Liberation Serif where that font is missing,
    # which keeps the text's widths.
    fonts-liberation
)

bash "$(dirname "$0")/apt-install.sh" "${packages[@]}" "$@"
