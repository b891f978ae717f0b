#!/usr/bin/env bash
# Times the built LV2 beside open-source LV2 peers, in one pass: each gadget
# alone in slot 1 at its default controls, then its peer at once after it on
# the same core, and the row gives their ratio. Three rows have no peer: the
# processor with slot 1 off (the framework's wrapper and the two level meters),
# the tube stage (HOT on the default gadget) and four slots of the diode
# ladder with HOT on.
#
#   bash bench/peers.sh [options] BUNDLE.lv2
#
#   --pin CPU     run every measurement on this CPU (taskset)
#   -b FRAMES     block size (default 64)
#   -R COUNT      repetitions per row; the median is shown (default 3)
#   --only REGEX  only the rows whose label matches REGEX
#   --build DIR   where to build lv2time (default build/lv2time)
#
# Figures are ns per stereo frame at 48 kHz; a mono peer's figure is doubled
# for two channels (marked "x 2"). The host is bench/lv2; the peers and lilv
# come from tools/install-bench-deps.sh.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build/lv2time"
block=64
repetitions=3
only=""
run=()
bundle=""

while [ $# -gt 0 ]; do
    case "$1" in
        --pin) run=(taskset -c "$2"); shift 2 ;;
        -b) block="$2"; shift 2 ;;
        -R) repetitions="$2"; shift 2 ;;
        --only) only="$2"; shift 2 ;;
        --build) build="$2"; shift 2 ;;
        -h|--help) sed -n '2,19p' "$0"; exit 0 ;;
        -*) echo "unknown option: $1 (see --help)" >&2; exit 2 ;;
        *) bundle="$1"; shift ;;
    esac
done

if [ -z "$bundle" ] || [ ! -f "$bundle/manifest.ttl" ]; then
    echo "usage: bash bench/peers.sh [options] BUNDLE.lv2 (see --help)" >&2
    exit 2
fi

cmake -S "$root/bench/lv2" -B "$build" -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build "$build" > /dev/null
host="$build/lv2time"

# lilv finds our bundle only in a folder of its own on LV2_PATH.
lv2dir=$(mktemp -d)
trap 'rm -rf "$lv2dir"' EXIT
cp -r "$bundle" "$lv2dir/"
export LV2_PATH="$lv2dir:/usr/lib/lv2"
uri=urn:moskeret:tarvolin

# Prints "ns_per_frame<TAB>status<TAB>audio_out" for one plug-in.
measure() {
    local line
    line=$("${run[@]+"${run[@]}"}" "$host" -b "$block" -R "$repetitions" "$@" 2>/dev/null \
        | awk -F'\t' 'NF == 9' | tail -n1) || true
    [ -n "$line" ] || line=$'-\t0\t0\t0\t0\t0\t0\t0\tfailed'
    awk -F'\t' '{ print $5 "\t" $9 "\t" $4 }' <<<"$line"
}

cell() {  # ns status -> the figure, or the status when it is not a timing
    if [ "$2" = ok ]; then echo "$1"; else echo "$2"; fi
}

# selector index | label | peer | peer URI | control settings of the peer
peers=$(cat <<'TABLE'
0|Derurevore (comb)|Calf Flanger|http://calf.sourceforge.net/plugins/Flanger|
1|Vuvuru (gate chopper)|Calf Gate|http://calf.sourceforge.net/plugins/Gate|
2|Dirizovazi (howl loop)|Guitarix stereo duck delay|http://guitarix.sourceforge.net/plugins/gx_duck_delay_st_#_duck_delay_st_|-c FEEDBACK=0.7
3|Virozidur (diode ladder)|MDA RezFilter|http://drobilla.net/plugins/mda/RezFilter|
4|Doviduduza (convolution)|Guitarix cabinet|http://guitarix.sourceforge.net/plugins/gx_cabinet#CABINET|
5|Rezov Ididiz (phaser)|Calf Phaser|http://calf.sourceforge.net/plugins/Phaser|
6|Dovid Udizur (ping-pong)|Calf Vintage Delay|http://calf.sourceforge.net/plugins/VintageDelay|
7|Rar Uvidavi (crusher)|MDA Degrade|http://drobilla.net/plugins/mda/Degrade|
8|Riverovodizir (tape)|Calf Tape Simulator|http://calf.sourceforge.net/plugins/TapeSimulator|
9|Divoror Irovi (plate)|Dragonfly Plate, tank|urn:dragonfly:plate|-c algorithm=2
10|Dizuz Ovovu Dozuz (formant)|Calf Envelope Filter|http://calf.sourceforge.net/plugins/EnvelopeFilter|
11|Divuruzidodi EQ (tone stack)|SWH DJ EQ|http://plugin.org.uk/swh-plugins/dj_eq|
12|Dazovi Ruvora (rotary)|Calf Rotary Speaker|http://calf.sourceforge.net/plugins/RotarySpeaker|
13|Rovazavu (auto-swell)|Calf Transient Designer|http://calf.sourceforge.net/plugins/TransientDesigner|-c lookahead=30
TABLE
)

echo "ns per stereo frame, blocks of $block at 48 kHz, median of $repetitions; one pass."
echo
echo "| gadget | Tarvolin | peer | peer ns | Tarvolin / peer |"
echo "|---|---|---|---|---|"

while IFS='|' read -r index label peer peer_uri peer_args; do
    if [ -n "$only" ] && ! grep -Eq -- "$only" <<<"$label"; then continue; fi
    choice=$(awk -v g="$index" 'BEGIN { printf "%.6f", g / 13 }')
    IFS=$'\t' read -r ours ours_status _ < <(measure -l "$label" -P "$uri:INDXALGO0=$choice" "$uri")
    # shellcheck disable=SC2086 # the peer's settings are words on purpose
    IFS=$'\t' read -r theirs theirs_status outputs < <(measure -l "$peer" $peer_args "$peer_uri")
    ratio=""
    if [ "$theirs_status" = ok ] && [ "$outputs" = 1 ]; then
        theirs=$(awk -v t="$theirs" 'BEGIN { printf "%.1f", 2 * t }')
        peer="$peer (x 2)"
    fi
    if [ "$ours_status" = ok ] && [ "$theirs_status" = ok ]; then
        ratio=$(awk -v a="$ours" -v b="$theirs" 'BEGIN { printf "%.2f", a / b }')
    fi
    echo "| $label | $(cell "$ours" "$ours_status") | $peer | $(cell "$theirs" "$theirs_status") | $ratio |"
done <<<"$peers"

chain=()
for slot in 0 1 2 3; do
    chain+=(-P "$uri:INDXALGO$slot=0.230769" -P "$uri:HOT$slot=1" -P "$uri:ENABLED$slot=1")
done
extras=(
    "processor, slot 1 off|-P $uri:ENABLED0=0"
    "tube stage (HOT on the comb)|-P $uri:HOT0=1"
    "four slots, 4 x ladder + HOT|${chain[*]}"
)
for extra in "${extras[@]}"; do
    IFS='|' read -r label settings <<<"$extra"
    if [ -n "$only" ] && ! grep -Eq -- "$only" <<<"$label"; then continue; fi
    # shellcheck disable=SC2086
    IFS=$'\t' read -r ours ours_status _ < <(measure -l "$label" $settings "$uri")
    echo "| $label | $(cell "$ours" "$ours_status") | | | |"
done
