#!/usr/bin/env bash
# Builds pluginval, the plug-in validator that tools/pluginval.sh runs, from
# the source kept in third_party/pluginval, against Debian's JUCE 7: hosting
# VST 2.4 (through fst-dev's interface), VST3, LV2 and LADSPA. It reads
# nothing but the repository and Debian's installed packages
# (tools/install-deps.sh installs them); a few minutes.
#
# usage: tools/build-pluginval.sh <out folder> [jobs, default nproc]
#   the binary lands in <out folder>/pluginval
#
# The archive's JUCE submodule is empty. <out folder>/juce gets a private copy
# of Debian's JUCE modules and of its CMake package pointed at them, with one
# fix in JUCE's VST 2.4 hosting code (see fix_vst2_speaker_arrangement);
# Debian's JUCE itself is never changed, and nothing of the plug-in under test.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
archive="$repo/third_party/pluginval/pluginval-d133e1e.tar.gz"
out="${1:?usage: tools/build-pluginval.sh <out folder> [jobs]}"
jobs="${2:-$(nproc)}"

fail() { echo "build-pluginval.sh: $*" >&2; exit 2; }

[ -f "$archive" ] || fail "$archive is missing"
juce_config=$(find /usr/lib -path '*/cmake/JUCE-7*/JUCEConfig.cmake' -print -quit)
[ -n "$juce_config" ] || fail "Debian's JUCE 7 is missing (package juce-modules-source)"
juce_cmake=$(dirname "$juce_config")
juce_modules=$(sed -n 's/^set(JUCE_MODULES_DIR "\(.*\)" CACHE.*/\1/p' "$juce_config")
[ -d "$juce_modules" ] || fail "$juce_config names no JUCE modules folder"
[ -f /usr/include/pluginterfaces/vst2.x/aeffectx.h ] \
    || fail "the VST 2.4 interface is missing (package fst-dev)"

mkdir -p "$out"
out=$(cd "$out" && pwd)
rm -rf "$out/src" "$out/juce" "$out/build" "$out/pluginval"
mkdir -p "$out/src" "$out/juce"
tar -xzf "$archive" -C "$out/src" --strip-components=1

cp -r "$juce_modules" "$out/juce/modules"
cp -r "$juce_cmake" "$out/juce/cmake"
sed -i "s#$juce_modules#$out/juce/modules#g; s#$juce_cmake#$out/juce/cmake#g" \
    "$out/juce/cmake/JUCEConfig.cmake"
grep -q "$out/juce/modules" "$out/juce/cmake/JUCEConfig.cmake" \
    || fail "the private JUCE package still points at $juce_modules"

# JUCE's VST 2.4 host sizes a VstSpeakerArrangement as
#   sizeof (VstSpeakerArrangement) + (max (8, n) - 8) * sizeof (VstSpeakerProperties),
# counting on the fixed eight-entry speakers[8] of the original interface.
# fst-dev declares speakers[] as a flexible array, so sizeof is 8 bytes and the
# stereo arrangement the host gives the plug-in in prepareToPlay writes two
# 112-byte entries past an 8-byte block: the heap breaks and pluginval aborts
# on every VST 2.4 plug-in (first in "Open editor whilst processing"). Sized
# from the offset of speakers[], the block holds what is written.
fix_vst2_speaker_arrangement() {
    python3 - "$out/juce/modules/juce_audio_processors/format_types/juce_VSTCommon.h" <<'PY'
import sys
path = sys.argv[1]
text = open(path).read()
old = """            auto arrangementSize = (size_t) (jmax (8, numChannels) - 8) * sizeof (Vst2::VstSpeakerProperties)
                                    + sizeof (Vst2::VstSpeakerArrangement);"""
new = """            auto arrangementSize = offsetof (Vst2::VstSpeakerArrangement, speakers)
                                    + (size_t) jmax (8, numChannels) * sizeof (Vst2::VstSpeakerProperties);"""
if text.count(old) != 1:
    sys.exit("build-pluginval.sh: VstSpeakerConfigurationHolder::allocate not found in " + path)
open(path, "w").write(text.replace(old, new))
PY
}
fix_vst2_speaker_arrangement

# pluginval's CMakeLists is used unchanged, under a top level of ours that
# finds the private JUCE first. Debian's JUCE reads FLAC and Ogg Vorbis through
# the system libraries instead of bundled copies, so pluginval links them.
cat >"$out/CMakeLists.txt" <<EOF
cmake_minimum_required(VERSION 3.15)
project(pluginval_on_debian_juce LANGUAGES C CXX)
find_package(JUCE CONFIG REQUIRED PATHS "$out/juce/cmake" NO_DEFAULT_PATH)
add_subdirectory(src)
target_link_libraries(pluginval PRIVATE FLAC vorbisenc vorbisfile vorbis ogg)
EOF

# VST2_SDK_DIR makes pluginval host VST 2.4 (juce_set_vst2_sdk_path and
# JUCE_PLUGINHOST_VST=1); fst-dev puts the interface under
# /usr/include/pluginterfaces/vst2.x. Warnings are third-party code's: off.
VST2_SDK_DIR=/usr/include cmake -S "$out" -B "$out/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DPLUGINVAL_FETCH_JUCE=OFF -DCMAKE_CXX_FLAGS=-w >/dev/null
cmake --build "$out/build" -j "$jobs" --target pluginval

binary="$out/build/src/pluginval_artefacts/Release/pluginval"
[ -x "$binary" ] || fail "the build left no $binary"
cp "$binary" "$out/pluginval"
echo "built $out/pluginval"
