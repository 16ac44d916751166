#!/usr/bin/env bash
# Stops the JACK server under the routing application again and again, and counts how often the
# application lived through it and later quit with 0:
#
#     scripts/server-loss-loop.sh [SIGTERM_LOSSES [SIGKILL_LOSSES]]      (defaults 50 and 10)
#
# Each run starts a jackd with the dummy backend, the end-to-end tests' meter stand-in
# ("KM7-Solvin Output", six ports) and source client ("Test Source", two ports), and the real
# application under Xvfb with a home of its own whose config.xml chooses the source as input
# (mapping 1,0). It clicks the routing button until the application's outputs stay connected to
# the meter, lets it route for a moment, ends jackd with the run's signal, waits, checks that the
# application still runs, then ends it with SIGTERM and records its exit code. A run in which the
# application never routed stops no server while routing: it is counted apart, and runs go on
# until the server has been stopped while routing the given number of times (at most twice that
# many runs). Every run has a mount namespace of its own (tmpfs on /dev/shm, where JACK keeps its
# registry, and on /var/tmp), so runs beside other work share nothing with it and a killed server
# leaves nothing behind.
#
# Needs root (unshare), the built application and e2e clients in BUILD_DIR (default build/),
# jackd, Xvfb, xdotool and ImageMagick's import. The logs of every run that did not end well stay
# in LOGS_DIR (default BUILD_DIR/server-loss-loop/, emptied first). When the application did not
# end within 15 s of its SIGTERM, they hold every thread's backtrace of it (app-backtraces.txt,
# with gdb installed) from before it was killed; when it never routed, a picture of the screen
# (screen.png) and the server's connections (connections.txt) after the last click. This is a
# loop to measure with, not a test: it asserts nothing.

set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
build="$(cd "${BUILD_DIR:-$here/../build}" && pwd)"
meter_name="KM7-Solvin Output"
source_name="Test Source"

source "$here/wait-for.sh"

# SIGTERM to a process, then up to $2 seconds' wait, then SIGKILL.
stop_process() {
    local pid="$1" seconds="${2:-10}" i
    kill -TERM "$pid" 2> /dev/null || return 0
    for (( i = 0; i < seconds * 10; i++ )); do
        kill -0 "$pid" 2> /dev/null || break
        sleep 0.1
    done
    kill -KILL "$pid" 2> /dev/null || true
    wait "$pid" 2> /dev/null || true
}

# Every thread's backtrace of a process that would not end, into $2 (gdb, when installed).
dump_threads() {
    local pid="$1" file="$2"
    if command -v gdb > /dev/null; then
        timeout 120 gdb -p "$pid" -batch -nx -ex "set pagination off" -ex "thread apply all bt" > "$file" 2>&1 || true
    else
        echo "no gdb: no backtraces" > "$file"
    fi
}

# One run, inside its own mount namespace: prints "lived=0|1 exit=N routed=0|1".
run_once() {
    local signal="$1" work="$2"
    mount -t tmpfs tmpfs /dev/shm
    mount -t tmpfs tmpfs /var/tmp

    local app_binary="$binaries/app" meter_client="$binaries/meter_client" source_client="$binaries/source_client"

    export JACK_DEFAULT_SERVER="kestro-loss-loop"
    export JACK_NO_AUDIO_RESERVATION=1

    # Global, not local: the exit trap runs after this function has returned.
    pids=()
    finish() {
        local i
        for (( i = ${#pids[@]} - 1; i >= 0; i-- )); do
            stop_process "${pids[$i]}" 5
        done
    }
    trap finish EXIT

    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3> "$work/display" > "$work/xvfb.log" 2>&1 &
    pids+=($!)
    wait_for 100 test -s "$work/display" || { echo "lived=0 exit=-1 routed=0 (no Xvfb)"; return; }
    export DISPLAY=":$(cat "$work/display")"

    jackd -n "$JACK_DEFAULT_SERVER" --no-realtime -d dummy -r 48000 -p 64 > "$work/jackd.log" 2>&1 &
    local jackd_pid=$!
    pids+=($jackd_pid)
    wait_for 100 jack_lsp || { echo "lived=0 exit=-1 routed=0 (no jackd)"; return; }

    "$meter_client" "$meter_name" 6 > "$work/meter.log" 2>&1 &
    pids+=($!)
    wait_for 300 grep -q '^ready' "$work/meter.log" || { echo "lived=0 exit=-1 routed=0 (no meter client)"; return; }

    "$source_client" "$source_name" 2 > "$work/source.log" 2>&1 &
    pids+=($!)
    wait_for 300 grep -q '^ready' "$work/source.log" || { echo "lived=0 exit=-1 routed=0 (no source client)"; return; }

    local home="$work/home"
    mkdir -p "$home/.config/Kestro/Vantrel"
    : > "$home/empty-alsa.conf"   # no sound card: the JACK server is the only place for devices
    cat > "$home/.config/Kestro/Vantrel/config.xml" <<EOF
<?xml version="1.0" encoding="UTF-8"?>
<KestroVantrelStandalone><Processor><AudioDevice><DEVICESETUP deviceType="JACK" audioOutputDeviceName="" audioInputDeviceName="$source_name" audioDeviceRate="48000"/></AudioDevice><ChannelMapping>1,0,2,3,4,5</ChannelMapping></Processor></KestroVantrelStandalone>
EOF

    HOME="$home" ALSA_CONFIG_PATH="$home/empty-alsa.conf" "$app_binary" > "$work/app.log" 2>&1 &
    local app_pid=$!

    local window=""
    find_window() { window="$(xdotool search --onlyvisible --pid "$app_pid" 2> /dev/null | head -n 1)"; [[ -n "$window" ]]; }
    wait_for 300 find_window || true

    # Routing shows as the application's outputs connected to the meter's ports, twice in a row
    # half a second apart (the meter's probe connects them only for a moment).
    meter_connected() { jack_lsp -c 2> /dev/null | grep -q "^ \+$meter_name:"; }
    routing() { meter_connected && sleep 0.5 && meter_connected; }

    local routed=0 attempt
    if [[ -n "$window" ]]; then
        for (( attempt = 0; attempt < 8 && routed == 0; attempt++ )); do
            xdotool mousemove --window "$window" 51 239 click 1 > /dev/null 2>&1 || true
            if wait_for 50 routing; then
                routed=1
            fi
        done
    fi

    if [[ -z "$window" ]]; then
        echo "no window of the application" > "$work/diagnosis.txt"
    elif (( ! routed )); then
        echo "$attempt clicks, none routed" > "$work/diagnosis.txt"
        import -window root "$work/screen.png" 2>> "$work/diagnosis.txt" || true
        jack_lsp -c > "$work/connections.txt" 2>&1 || true
    fi

    if (( routed )); then
        sleep 0.5
        kill "-$signal" "$jackd_pid" 2> /dev/null || true
        wait_for 100 bash -c "! kill -0 $jackd_pid" || true
        sleep 2
    fi

    local lived=0 code=-1
    if kill -0 "$app_pid" 2> /dev/null; then
        lived=1
        kill -TERM "$app_pid"
        if wait_for 150 bash -c "! kill -0 $app_pid"; then
            wait "$app_pid" && code=0 || code=$?
        else
            dump_threads "$app_pid" "$work/app-backtraces.txt"
            kill -KILL "$app_pid" 2> /dev/null || true
            code=137
        fi
    else
        wait "$app_pid" && code=0 || code=$?
    fi

    echo "lived=$lived exit=$code routed=$routed"
}

if [[ "${1:-}" == "--run-once" ]]; then
    binaries="$4"
    run_once "$2" "$3"
    exit 0
fi

if [[ "$(id -u)" != 0 ]]; then
    echo "$0: needs root for a mount namespace of each run's own (unshare -m)" >&2
    exit 2
fi

term_runs="${1:-50}"
kill_runs="${2:-10}"
logs="${LOGS_DIR:-$build/server-loss-loop}"
rm -rf "$logs"
mkdir -p "$logs"

# The runs use copies, so that a build meanwhile changes nothing under them.
binaries="$(mktemp -d "${TMPDIR:-/tmp}/kestro-loss-loop-binaries.XXXXXX")"
trap 'rm -rf "$binaries"' EXIT
app="$(find "$build" -maxdepth 3 -type f -name 'Kestro Vantrel Standalone' | head -n 1)"
if [[ -z "$app" ]]; then
    echo "$0: no built application in $build" >&2
    exit 2
fi
cp "$app" "$binaries/app"
cp "$build/tests/e2e/kestro_e2e_meter_client" "$binaries/meter_client"
cp "$build/tests/e2e/kestro_e2e_source_client" "$binaries/source_client"

declare -A runs=() losses=() lived=() quit_ok=() not_routed=()

for signal in TERM KILL; do
    count="$term_runs"
    [[ "$signal" == KILL ]] && count="$kill_runs"
    runs[$signal]=0; losses[$signal]=0; lived[$signal]=0; quit_ok[$signal]=0; not_routed[$signal]=0

    for (( run = 1; losses[$signal] < count && run <= 2 * count; run++ )); do
        work="$(mktemp -d "${TMPDIR:-/tmp}/kestro-loss-loop.XXXXXX")"
        result="$(unshare -m --propagation private "$0" --run-once "$signal" "$work" "$binaries" 2>> "$work/loop.log" | tail -n 1)" || true
        runs[$signal]=$(( runs[$signal] + 1 ))

        [[ "$result" == *"lived=1"* ]] && lived[$signal]=$(( lived[$signal] + 1 ))
        [[ "$result" == *"lived=1 exit=0 "* ]] && quit_ok[$signal]=$(( quit_ok[$signal] + 1 ))
        [[ "$result" == *"routed=0"* ]] && not_routed[$signal]=$(( not_routed[$signal] + 1 ))
        [[ "$result" == *"routed=1"* ]] && losses[$signal]=$(( losses[$signal] + 1 ))

        echo "SIG$signal run $run: $result"

        if [[ "$result" == *"lived=1 exit=0 routed=1"* ]]; then
            rm -rf "$work"
        else
            mv "$work" "$logs/SIG$signal-run-$run"
        fi
    done
done

for signal in TERM KILL; do
    echo "SIG$signal: ${runs[$signal]} runs, the server stopped while routing in ${losses[$signal]}, lived ${lived[$signal]}, quit with 0 ${quit_ok[$signal]}, never routed ${not_routed[$signal]}"
done
