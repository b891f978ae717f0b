#!/usr/bin/env bash
# Writes docs/editor.png, the README's picture of the editor: the picture
# program draws the window once per gadget into build/tests/ui-snapshots/,
# and the one showing the delay gadget (its fourth control a switch) is kept.
set -euo pipefail
cd "$(dirname "$0")/.."

export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/tarvolin-ccache}"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARVOLIN_BUILD_TESTS=ON > /dev/null
cmake --build build --target tarvolin_ui_pictures
xvfb-run -a build/tests/tarvolin_ui_pictures

mkdir -p docs
cp build/tests/ui-snapshots/editor-gadget06.png docs/editor.png
echo "wrote docs/editor.png"
