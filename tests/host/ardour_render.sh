#!/usr/bin/env bash
# The built plug-in rendered by Ardour 7's headless exporter, as a user
# renders a session: a stereo track at 48 kHz with a 2-second region, the
# plug-in first on the track at its defaults, exported through the master
# bus as 32-bit float WAV several times in a row. Every export must end
# cleanly, load the plug-in, and give back the region unchanged: at its
# defaults the plug-in passes audio through.
#
# usage: ardour_render.sh <vst3|vst2|lv2> <plug-in: VST3 bundle, VST 2.4 library or folder holding Tarvolin.lv2>
#                         <render compare program> [<exports>] [<LV2 URI>]
# Exits 77 (skipped) where Ardour 7 or gdb is not installed.
set -uo pipefail

format="${1:-}"
plugin="${2:-}"
compare="${3:-}"
exports="${4:-3}"
lv2_uri="${5:-urn:moskeret:tarvolin}"
[ -e "$plugin" ] && [ -x "$compare" ] || {
    echo "usage: $0 <vst3|vst2|lv2> <plug-in> <render compare program> [<exports>] [<LV2 URI>]" >&2
    exit 2
}

fail() { echo "FAIL: $*" >&2; exit 1; }

skip_without() {
    command -v "$1" >/dev/null || { echo "SKIP: $1 is missing (Debian package $2)${3:+: $3}"; exit 77; }
}
skip_without ardour7-lua ardour
skip_without ardour7-export ardour
skip_without gdb gdb "without it a crash of Ardour's own exporter cannot be told from one in the plug-in"

script_dir=$(cd "$(dirname "$0")" && pwd)
# A 32-bit float render carries the samples exactly; anything below one
# step of a 24-bit file would still be inaudible rounding.
tolerance=1.2e-7
# A render takes a few seconds; this leaves room for a loaded machine.
export_seconds=60
# Ardour 7.3 itself now and then fails an export, with or without any
# plug-in on the track: it deadlocks as the export starts (its butler waits
# for the engine's process lock, which the export holds while it waits for
# the butler), it renders the whole session a few samples early or late, or
# it crashes as it tears the export down (the heap found corrupt as its
# export channels, formats or graph are freed). Such an export is retried,
# this many times in all (more for long loops).
ardour_faults_allowed="${ARDOUR_FAULTS_ALLOWED:-2}"

work_dir=$(mktemp -d)
trap '[ -n "${KEEP_WORK:-}" ] || rm -rf "$work_dir"' EXIT

# A home and configuration of our own: Ardour's settings and plug-in cache,
# and the plug-in's presets, stay in here.
export HOME="$work_dir/home"
export XDG_CONFIG_HOME="$work_dir/config"
mkdir -p "$HOME" "$XDG_CONFIG_HOME"
# Ardour reads every LV2 bundle on its path as it starts; the system's have
# no part in this test, and with many of them installed Ardour's exporter
# crashes in its own teardown far more often. Only ours, for the LV2.
export LV2_PATH="$work_dir/lv2"
mkdir -p "$LV2_PATH"

# The scanners sit beside Ardour's libraries, which the wrappers name.
ardour_libraries=$(sed -n 's/^export ARDOUR_DLL_PATH=//p' "$(command -v ardour7-lua)")
ardour_libraries="${ardour_libraries:-/usr/lib/ardour7}"
# Ardour keeps an index entry only while it is newer than the plug-in, to
# the second: a copy dated a minute back cannot tie with its entry.
scan() {
    find "$2" -exec touch -d "1 minute ago" {} +
    LD_LIBRARY_PATH="$ardour_libraries" timeout 60 "$ardour_libraries/$1" "$2" >"$work_dir/scan.log" 2>&1 \
        || { cat "$work_dir/scan.log" >&2; fail "$1 cannot index $2"; }
}

# A copy of the plug-in where this Ardour looks for it, indexed as the
# application's own scan would; the preset tree the plug-in keeps beside
# it (or in its configuration folder) tells that an export loaded it.
case "$format" in
    vst3)
        mkdir -p "$HOME/.vst3"
        cp -r "$plugin" "$HOME/.vst3/"
        scan ardour-vst3-scanner "$HOME/.vst3/$(basename "$plugin")"
        kind=VST3 id=Tarvolin presets="$HOME/.vst3/Tarvolin"
        ;;
    vst2)
        export LXVST_PATH="$work_dir/vst"
        mkdir -p "$LXVST_PATH"
        cp "$plugin" "$LXVST_PATH/"
        scan ardour-vst-scanner "$LXVST_PATH/$(basename "$plugin")"
        kind=LXVST id=Tarvolin presets="$LXVST_PATH/Tarvolin"
        ;;
    lv2)
        cp -r "$plugin/Tarvolin.lv2" "$LV2_PATH/"
        kind=LV2 id="$lv2_uri" presets="$XDG_CONFIG_HOME/Tarvolin"
        ;;
    *) fail "unknown format $format" ;;
esac

# Ardour names the interchange folder after the session folder: both are "render".
session="$work_dir/render"
timeout -k 5 120 ardour7-lua "$script_dir/ardour_session.lua" "$session" render "$kind" "$id" >"$work_dir/lua.log" 2>&1
grep -q "^session ready" "$work_dir/lua.log" || { cat "$work_dir/lua.log" >&2; fail "ardour7-lua made no session"; }

# The exporter renders the session range, which Lua cannot set in Ardour 7.
sed -i 's/name="render-range" \(.*\)flags="IsRangeMarker"/name="session" \1flags="IsSessionRange"/' "$session/render.ardour"
grep -q 'flags="IsSessionRange"' "$session/render.ardour" || fail "no session range in the saved session"

sources="$session/interchange/render/audiofiles"
render="$work_dir/render.wav"
ardour_faults=0
export_number=1

ardour_fault() {
    ardour_faults=$((ardour_faults + 1))
    echo "export $export_number: $1 (a fault of Ardour's own); retrying"
    [ "$ardour_faults" -le "$ardour_faults_allowed" ] || fail "$ardour_faults exports failed in Ardour itself"
}

# A crash shows every thread's stack in the log, read from its core file.
core_file() { ls -t "$work_dir"/core* 2>/dev/null | head -n 1; }

report_crash() {
    local core
    core=$(core_file)
    if [ -z "$core" ]; then
        echo "no core file (core pattern: $(cat /proc/sys/kernel/core_pattern 2>/dev/null))" >&2
    else
        gdb -batch -q -ex "thread apply all bt" "$ardour_libraries/utils/ardour7-export" "$core" >&2 2>&1
    fi
}

# True when the crashing thread stopped in Ardour's export teardown with no
# frame of the plug-in on its stack: the crash Ardour's exporter has on its
# own, plug-in or none. Any other crash is the test's failure.
crashed_in_ardours_export_teardown() {
    local core stack
    core=$(core_file)
    [ -n "$core" ] || return 1
    stack=$(gdb -batch -q -ex bt "$ardour_libraries/utils/ardour7-export" "$core" 2>/dev/null | grep '^#')
    grep -qE 'ARDOUR::(Export|PortExportChannel)|AudioGrapher' <<<"$stack" && ! grep -q Tarvolin <<<"$stack"
}

while [ "$export_number" -le "$exports" ]; do
    rm -rf "$render" "$presets" "$work_dir"/core*
    (cd "$work_dir" && ulimit -c unlimited \
        && exec timeout -k 5 "$export_seconds" ardour7-export -b float -o "$render" "$session" render) >"$work_dir/export.log" 2>&1
    status=$?

    if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
        cat "$work_dir/export.log"
        ardour_fault "the export hung"
        continue
    fi

    if [ "$status" -ne 0 ]; then
        cat "$work_dir/export.log" >&2
        report_crash
        if crashed_in_ardours_export_teardown; then
            ardour_fault "the exporter crashed in its own export teardown (status $status)"
            continue
        fi
        fail "export $export_number exited with status $status (134: abort, 139: segmentation fault)"
    fi
    [ -d "$presets" ] || { cat "$work_dir/export.log" >&2; fail "export $export_number did not load the plug-in"; }
    "$compare" "$sources/input%L.wav" "$sources/input%R.wav" "$render" "$tolerance"
    status=$?

    if [ "$status" -eq 3 ]; then
        ardour_fault "the render is offset as a whole"
        continue
    fi

    [ "$status" -eq 0 ] || fail "export $export_number does not match its input"
    export_number=$((export_number + 1))
done

echo "PASS: $exports exports of the $format through Ardour, each identical to its input ($ardour_faults retried after a fault of Ardour's own)"
