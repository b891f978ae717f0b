#!/usr/bin/env bash
# The built LV2 bundle in hosts outside the framework: lilv's tools must list
# it under its full URI, and jalv must run it against a dummy JACK server of
# our own for a couple of seconds without crashing. The plug-in's files must
# land in the configuration folder, never beside the bundle, where every LV2
# host would take them for another bundle.
#
# usage: lv2_outside_host.sh <folder holding Tarvolin.lv2> <plug-in URI>
set -euo pipefail

[ -d "${1:-}" ] || { echo "usage: $0 <folder holding Tarvolin.lv2> <plug-in URI>" >&2; exit 2; }
uri="$2"
run_seconds=2

fail() { echo "FAIL: $*" >&2; exit 1; }

for tool in lv2ls lv2info jackd jack_lsp jalv timeout; do
    command -v "$tool" >/dev/null || fail "$tool is missing (packages lilv-utils, jackd2, jalv)"
done

work_dir=$(mktemp -d)
jackd_pid=""
jalv_pid=""

cleanup() {
    [ -n "$jalv_pid" ] && kill "$jalv_pid" 2>/dev/null || true
    if [ -n "$jackd_pid" ]; then
        kill "$jackd_pid" 2>/dev/null || true
        for _ in $(seq 50); do
            kill -0 "$jackd_pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -9 "$jackd_pid" 2>/dev/null || true
        wait "$jackd_pid" 2>/dev/null || true
    fi
    rm -rf "$work_dir"
}
trap cleanup EXIT

# A copy of the bundle alone in a folder of its own, and a configuration
# folder of our own: nothing installed elsewhere may answer for it, and
# what it creates is seen.
lv2_folder="$work_dir/lv2" # lilv takes absolute paths only
mkdir -p "$lv2_folder"
cp -r "$1/Tarvolin.lv2" "$lv2_folder/"
export LV2_PATH="$lv2_folder"
export XDG_CONFIG_HOME="$work_dir/config"

lv2ls | grep -qxF "$uri" || fail "lv2ls does not list $uri; it lists: $(lv2ls | tr '\n' ' ')"

info=$(lv2info "$uri") || fail "lv2info cannot read $uri"
grep -q "Name: *Tarvolin$" <<<"$info" || fail "lv2info shows no name Tarvolin"
for port in audio_in_1 audio_in_2 audio_out_1 audio_out_2; do
    grep -q "Symbol: *$port$" <<<"$info" || fail "lv2info shows no port $port"
done

# A JACK server of our own, under a name no other run uses; clients must
# never start one on their own.
export JACK_DEFAULT_SERVER="tarvolin-test-$$-$RANDOM"
export JACK_NO_START_SERVER=1
export JACK_NO_AUDIO_RESERVATION=1

jackd --no-realtime -n "$JACK_DEFAULT_SERVER" -d dummy -r 48000 -p 256 >"$work_dir/jackd.log" 2>&1 &
jackd_pid=$!

# Wait for the server, at most five seconds.
for _ in $(seq 50); do
    timeout 2 jack_lsp >/dev/null 2>&1 && break
    kill -0 "$jackd_pid" 2>/dev/null || { cat "$work_dir/jackd.log" >&2; fail "jackd exited"; }
    sleep 0.1
done
timeout 2 jack_lsp >/dev/null 2>&1 || { cat "$work_dir/jackd.log" >&2; fail "jackd did not come up"; }

# jalv reads commands from stdin and quits at its end: two listing commands,
# then a pipe that stays open for a couple of seconds, keep it running that
# long without a terminal.
client="tarvolin-$$"
({ printf 'controls\npresets\n'; sleep "$run_seconds"; } | timeout 20 jalv -x -n "$client" "$uri" >"$work_dir/jalv.log" 2>&1) &
jalv_pid=$!

# While it runs, its four audio ports must appear on the server.
ports_seen=0
for _ in $(seq 50); do
    if [ "$(timeout 2 jack_lsp 2>/dev/null | grep -c "^$client:")" -ge 4 ]; then
        ports_seen=1
        break
    fi
    kill -0 "$jalv_pid" 2>/dev/null || break
    sleep 0.1
done
ports=$(timeout 2 jack_lsp 2>/dev/null | grep "^$client:" || true)

jalv_status=0
wait "$jalv_pid" || jalv_status=$?
jalv_pid=""

echo "--- jalv output"
cat "$work_dir/jalv.log"
echo "--- ports seen while it ran"
echo "$ports"

[ "$jalv_status" -eq 0 ] || fail "jalv exited with status $jalv_status (124: hung, 134/139: crashed)"
[ "$ports_seen" -eq 1 ] || fail "jalv never showed the plug-in's audio ports on the server"
grep -q "^Plugin: *$uri$" "$work_dir/jalv.log" || fail "jalv did not load $uri"
grep -q "$uri:preset1 (default)" "$work_dir/jalv.log" || fail "jalv lists no program \"default\""
# One settable control per host parameter.
controls=$(grep -cE ' = -?[0-9.]+$' "$work_dir/jalv.log" || true)
[ "$controls" -eq 40 ] || fail "jalv shows $controls settable parameters, expected 40"
kill -0 "$jackd_pid" 2>/dev/null || fail "the JACK server died while the plug-in ran"
[ -d "$XDG_CONFIG_HOME/Tarvolin/Tarvolin/Presets/Guitar" ] || fail "no preset tree in $XDG_CONFIG_HOME/Tarvolin"
[ "$(ls -A "$lv2_folder")" = "Tarvolin.lv2" ] || fail "files beside the bundle: $(ls -A "$lv2_folder" | tr '\n' ' ')"

echo "PASS: $uri listed by lilv and run by jalv"
