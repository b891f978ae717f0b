#!/usr/bin/env bash
# Redraws every picture in resources/images with the drawing program in
# tools/pictures, then writes a contact sheet of all of them (not embedded):
#   bash tools/make-pictures.sh [contact-sheet.png]
# The sheet goes to build/contact-sheet.png unless a path is given.
set -euo pipefail
cd "$(dirname "$0")/.."

sheet="${1:-build/contact-sheet.png}"
build_dir=build-pictures
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)

cmake -S tools/pictures -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" >/dev/null
cmake --build "$build_dir" -j "${JOBS:-4}"
"$build_dir/tarvolin_pictures_artefacts/Release/tarvolin_pictures" --images resources/images --draw --sheet "$sheet"
echo "Pictures written to resources/images, contact sheet to $sheet"
