#!/usr/bin/env bash
# Takes the audio server away from the routing application again and again, and counts what the
# application did:
#
#     scripts/server-loss-loop.sh [SIGTERM_LOSSES [SIGKILL_LOSSES [JACKD_RETURNS [PIPEWIRE_RESTARTS [SURROUND_QUITS]]]]]
#
# (defaults 50, 10, 20, 10 and 50; 0 leaves a kind of run out). The kinds of run:
#
#   - loss (SIGTERM_LOSSES, SIGKILL_LOSSES): jackd is ended with the signal while the application
#     routes; does the application live, and then quit with 0?
#   - return (JACKD_RETURNS, the first half with SIGTERM, the rest with SIGKILL): jackd ends while
#     routing and is started again under its name (which is how jackd reclaims a killed server's
#     stale registry entry), with the stand-in clients; does the application reopen its input by
#     itself, offer routing on its button without resuming it, and route the source in the saved
#     mapping (1,0) at one click?
#   - PipeWire restart (PIPEWIRE_RESTARTS): the same on a headless PipeWire
#     (scripts/pipewire-session.sh), whose pipewire and wireplumber are restarted while routing.
#   - 5.1 quit (SURROUND_QUITS): a six-port source in 5.1 routed to the meter; does the
#     application's quit hang?
#
# Each run starts Xvfb, the server (a jackd with the dummy backend, or the PipeWire session), the
# end-to-end tests' meter stand-in ("KM7-Solvin Output", six ports) and source client ("Test
# Source", two ports or six), and the real application with a home of its own whose config.xml
# chooses the source as input with a mapping that swaps the first two channels. Every jackd of
# every run is ended with SIGTERM at last too, and each SIGTERM that jackd ignores for 10 s is
# counted. A run whose application never routed takes no server away while routing: it is counted
# apart, and runs of a kind go on until its count of server ends while routing is reached (at most
# twice that many runs). Every run has a mount namespace of its own (tmpfs on /dev/shm, where JACK
# keeps its registry, and on /var/tmp), so runs beside other work share nothing with it and a
# killed server leaves nothing behind.
#
# Needs root (unshare), the built application and e2e clients in BUILD_DIR (default build/),
# jackd, Xvfb, xdotool and ImageMagick's import, and for the PipeWire runs what
# scripts/pipewire-session.sh needs. The logs of every run that did not end well stay in LOGS_DIR
# (default BUILD_DIR/server-loss-loop/, emptied first). When the application did not end within
# 15 s of its SIGTERM, they hold every thread's backtrace of it (app-backtraces.txt, with gdb
# installed) from before it was killed, and likewise jackd-backtraces.txt for a jackd that ignored
# SIGTERM; when it never routed or a click did not, a picture of the screen (screen.png) and the
# server's connections (connections.txt). This is a loop to measure with, not a test: it asserts
# nothing.

set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
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

#---------------------------------------------------------------------------------------------------
# The parts of a run; they run inside the run's namespace and share its globals: work (its folder),
# binaries, pids (to stop at its end, in reverse), jackd_pid, app_pid, window.

# SIGTERM to jackd, which must end by itself within 10 s: each SIGTERM and each one ignored is
# counted, and an ignoring jackd's threads are kept before it is killed.
jackd_sigterms=0
jackd_ignored=0
stop_jackd() {
    local pid="$1"
    kill -0 "$pid" 2> /dev/null || return 0
    jackd_sigterms=$(( jackd_sigterms + 1 ))
    kill -TERM "$pid" 2> /dev/null || true
    if ! wait_for 100 bash -c "! kill -0 $pid"; then
        jackd_ignored=$(( jackd_ignored + 1 ))
        dump_threads "$pid" "$work/jackd-backtraces-$jackd_sigterms.txt"
        kill -KILL "$pid" 2> /dev/null || true
    fi
    wait "$pid" 2> /dev/null || true
}

# Stops what the run started, the last started first; jackd through stop_jackd.
stop_everything() {
    local i
    for (( i = ${#pids[@]} - 1; i >= 0; i-- )); do
        if [[ " ${jackd_pids[*]} " == *" ${pids[$i]} "* ]]; then
            stop_jackd "${pids[$i]}"
        else
            stop_process "${pids[$i]}" 5
        fi
    done
    pids=()
}

start_display() {
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3> "$work/display" >> "$work/xvfb.log" 2>&1 &
    pids+=($!)
    wait_for 100 test -s "$work/display" || return 1
    export DISPLAY=":$(cat "$work/display")"
}

start_jackd() {
    jackd -n "$JACK_DEFAULT_SERVER" --no-realtime -d dummy -r 48000 -p 64 >> "$work/jackd.log" 2>&1 &
    jackd_pid=$!
    pids+=($jackd_pid)
    jackd_pids+=($jackd_pid)
    wait_for 100 jack_lsp
}

# The meter stand-in and a source of $1 ports; each start writes fresh logs.
start_clients() {
    local ports="$1"
    "$binaries/meter_client" "$meter_name" 6 > "$work/meter.log" 2>&1 &
    pids+=($!)
    meter_pid=$!
    wait_for 300 grep -q '^ready' "$work/meter.log" || return 1

    "$binaries/source_client" "$source_name" "$ports" > "$work/source.log" 2>&1 &
    pids+=($!)
    source_pid=$!
    wait_for 300 grep -q '^ready' "$work/source.log"
}

# After the server's end the clients have ended with it, or end now.
stop_clients() {
    stop_process "$source_pid" 5
    stop_process "$meter_pid" 5
}

# config.xml choosing the source as input with $1 channels and the mapping $2.
write_config() {
    local ports="$1" mapping="$2" channels=""
    (( ports == 6 )) && channels=' audioDeviceInChans="111111"'
    home="$work/home"
    mkdir -p "$home/.config/Kestro/Vantrel"
    : > "$home/empty-alsa.conf"   # no sound card: the JACK server is the only place for devices
    cat > "$home/.config/Kestro/Vantrel/config.xml" <<EOF
<?xml version="1.0" encoding="UTF-8"?>
<KestroVantrelStandalone><Processor><AudioDevice><DEVICESETUP deviceType="JACK" audioOutputDeviceName="" audioInputDeviceName="$source_name" audioDeviceRate="48000"$channels/></AudioDevice><ChannelMapping>$mapping</ChannelMapping></Processor></KestroVantrelStandalone>
EOF
}

find_window() { window="$(xdotool search --onlyvisible --pid "$app_pid" 2> /dev/null | head -n 1)"; [[ -n "$window" ]]; }

start_app() {
    HOME="$home" ALSA_CONFIG_PATH="$home/empty-alsa.conf" "$binaries/app" > "$work/app.log" 2>&1 &
    app_pid=$!
    window=""
    wait_for 300 find_window
}

click_routing_button() { xdotool mousemove --window "$window" 51 239 click 1 > /dev/null 2>&1; }

# What the routing button shows: ready, routing, busy, disconnected, unsupported or unreadable.
routing_button() { "$binaries/routing_button" "$window" 2> /dev/null || echo unreadable; }
button_shows() { [[ "$(routing_button)" == "$1" ]]; }

# Routing shows as the application's outputs connected to the meter's ports, twice in a row half a
# second apart (the meter's probe connects them only for a moment).
meter_connected() { jack_lsp -c 2> /dev/null | grep -q "^ \+$meter_name:"; }
routing() { meter_connected && sleep 0.5 && meter_connected; }

# The meter's windows from line $1 of its log on, the first left out (it may have begun earlier).
meter_windows_from() { tail -n "+$(( $1 + 1 ))" "$work/meter.log" | grep '^window ' | tail -n +2; }
meter_lines() { wc -l < "$work/meter.log"; }

# Whether a window from line $1 on carries source channel 2 alone on in_1 and channel 1 on in_2
# (the source's levels are 0.125 times the channel's number): the saved mapping 1,0.
meter_shows_swap_from() {
    meter_windows_from "$1" | awk '
        function carries(nonzero, lowest, highest, level) { return nonzero * 2 >= $4 && lowest == level && highest == level }
        carries($5, $6, $7, 0.25) && carries($8, $9, $10, 0.125) { found = 1 }
        END { exit !found }'
}

# Whether a window from line $1 on holds anything but silence on any port.
meter_played_from() {
    meter_windows_from "$1" | awk '{ for (i = 5; i <= NF; i += 3) if ($i > 0) found = 1 } END { exit !found }'
}

# Clicks the routing button until the application routes (a click before the meter was found does
# nothing): up to 8 clicks, 5 s each.
route_by_clicking() {
    local attempt
    for (( attempt = 0; attempt < 8; attempt++ )); do
        click_routing_button || true
        wait_for 50 routing && return 0
    done
    return 1
}

keep_screen() {
    echo "$1" >> "$work/diagnosis.txt"
    import -window root "$work/screen.png" 2>> "$work/diagnosis.txt" || true
    jack_lsp -c > "$work/connections.txt" 2>&1 || true
}

# The server goes away while routing and comes back: jackd ended with SIG$1 and started again
# under its name, or (pipewire) PipeWire's servers restarted by their session. The stand-in
# clients are started again.
end_and_restart_server() {
    local how="$1"
    if [[ "$how" == pipewire ]]; then
        local before
        before="$(cat "$KESTRO_PIPEWIRE_RESTARTS")"
        kill -USR1 "$KESTRO_PIPEWIRE_SESSION_PID"
        wait_for 300 bash -c "[[ \"\$(cat '$KESTRO_PIPEWIRE_RESTARTS')\" != '$before' ]]" || return 1
    else
        end_jackd "$how" || return 1
    fi
    sleep 2
    stop_clients
    if [[ "$how" != pipewire ]]; then
        start_jackd || return 1
    fi
    start_clients 2
}

# Ends jackd with SIG$1 while routing; its SIGTERM is counted as stop_jackd counts it.
end_jackd() {
    if [[ "$1" == TERM ]]; then
        stop_jackd "$jackd_pid"
    else
        kill -KILL "$jackd_pid" 2> /dev/null || true
        wait_for 100 bash -c "! kill -0 $jackd_pid" || return 1
        ls -l /dev/shm > "$work/shm-after-kill.txt" 2>&1 || true
    fi
}

# SIGTERM to the application, as the system ends it; sets quit_code (137 with backtraces kept
# when it did not end within 15 s, -1 when it had died before).
quit_app() {
    quit_code=-1
    kill -0 "$app_pid" 2> /dev/null || { wait "$app_pid" 2> /dev/null || true; return 0; }
    kill -TERM "$app_pid"
    if wait_for 150 bash -c "! kill -0 $app_pid"; then
        wait "$app_pid" && quit_code=0 || quit_code=$?
    else
        dump_threads "$app_pid" "$work/app-backtraces.txt"
        kill -KILL "$app_pid" 2> /dev/null || true
        quit_code=137
    fi
}

#---------------------------------------------------------------------------------------------------
# The kinds of run. Each leaves its outcome in result, as key=value pairs; routed=1 says the server
# was taken away while routing (or, for a 5.1 quit, that it quit while routing). They run in the
# run's shell itself, not in a subshell, so that what they start is stopped at its end.

# Keeps the screen and the connections when the application never routed.
keep_screen_unless_window() {
    if [[ -z "$window" ]]; then
        keep_screen "no window of the application"
    else
        keep_screen "never routed"
    fi
}

# loss SIGNAL: the server ends; the application should live and quit with 0.
run_loss() {
    local signal="$1" routed=0 lived=0
    write_config 2 "1,0,2,3,4,5"
    if start_app && route_by_clicking; then
        routed=1
        sleep 0.5
        end_jackd "$signal" || true
        sleep 2
    else
        keep_screen_unless_window
    fi
    kill -0 "$app_pid" 2> /dev/null && lived=1
    quit_app
    result="routed=$routed lived=$lived exit=$quit_code"
}

# return SIGNAL|pipewire: the server ends while routing and comes back; the application should
# reopen its input and offer routing by itself, not resume it, and route with the saved mapping
# at one click.
run_return() {
    local how="$1" routed=0 lived=0 back=0 ready=0 reopened=0 resumed=0 one_click=0 from
    write_config 2 "1,0,2,3,4,5"
    if start_app && route_by_clicking; then
        routed=1
        sleep 0.5
        if end_and_restart_server "$how"; then
            back=1
            from="$(meter_lines)"
            # The meter searches every 2 s; the rest is slack for a busy machine.
            wait_for 300 button_shows ready && ready=1
            jack_lsp -c 2> /dev/null | grep -A1 "^$source_name:out_1" | grep -q '^ ' && reopened=1
            meter_played_from "$from" && resumed=1
            if (( ready )); then
                from="$(meter_lines)"
                click_routing_button || true
                wait_for 150 meter_shows_swap_from "$from" && one_click=1
            fi
            (( one_click )) || keep_screen "after the return: button $(routing_button), input reopened $reopened"
        fi
    else
        keep_screen_unless_window
    fi
    kill -0 "$app_pid" 2> /dev/null && lived=1
    quit_app
    result="routed=$routed lived=$lived back=$back ready=$ready reopened=$reopened resumed=$resumed one_click=$one_click exit=$quit_code"
}

# surround: 5.1 routing from a six-port source, then the quit; should not hang.
run_surround() {
    local routed=0
    write_config 6 "1,0,2,3,4,5"
    if start_app && route_by_clicking; then
        routed=1
        sleep 1
    else
        keep_screen_unless_window
    fi
    quit_app
    local hung=0
    (( quit_code == 137 )) && hung=1
    result="routed=$routed hung=$hung exit=$quit_code"
}

# One run, inside its own mount namespace (and for the PipeWire kind inside its session).
run_once() {
    local kind="$1"
    # PipeWire's JACK library serves its own server under the default name.
    [[ "$kind" == pipewire ]] || export JACK_DEFAULT_SERVER="kestro-loss-loop"
    export JACK_NO_AUDIO_RESERVATION=1

    pids=()
    jackd_pids=()
    jackd_pid="" meter_pid="" source_pid="" app_pid="" window=""
    trap stop_everything EXIT
    start_display || { echo "routed=0 (no Xvfb)"; return; }

    if [[ "$kind" != pipewire ]]; then
        start_jackd || { echo "routed=0 (no jackd)"; return; }
    fi
    local ports=2
    [[ "$kind" == surround ]] && ports=6
    start_clients "$ports" || { echo "routed=0 (the stand-in clients did not join)"; return; }

    result=""
    case "$kind" in
        loss-TERM) run_loss TERM ;;
        loss-KILL) run_loss KILL ;;
        return-TERM) run_return TERM ;;
        return-KILL) run_return KILL ;;
        pipewire) run_return pipewire ;;
        surround) run_surround ;;
    esac
    stop_everything
    echo "$result jackd_sigterms=$jackd_sigterms jackd_ignored=$jackd_ignored"
}

if [[ "${1:-}" == "--run-once" ]]; then
    kind="$2" work="$3" binaries="$4"
    if [[ "${5:-}" != --in-session ]]; then
        mount -t tmpfs tmpfs /dev/shm
        mount -t tmpfs tmpfs /var/tmp
        if [[ "$kind" == pipewire ]]; then
            exec "$here/pipewire-session.sh" "$0" --run-once "$kind" "$work" "$binaries" --in-session
        fi
    fi
    run_once "$kind"
    exit 0
fi

#---------------------------------------------------------------------------------------------------

if [[ "$(id -u)" != 0 ]]; then
    echo "$0: needs root for a mount namespace of each run's own (unshare -m)" >&2
    exit 2
fi

build="$(cd "${BUILD_DIR:-$here/../build}" && pwd)"
term_losses="${1:-50}"
kill_losses="${2:-10}"
jackd_returns="${3:-20}"
pipewire_restarts="${4:-10}"
surround_quits="${5:-50}"
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
for tool in meter_client source_client routing_button; do
    if ! cp "$build/tests/e2e/kestro_e2e_$tool" "$binaries/$tool"; then
        echo "$0: build kestro_e2e_app_tests first (no kestro_e2e_$tool)" >&2
        exit 2
    fi
done

if (( pipewire_restarts > 0 )) && ! command -v pipewire > /dev/null; then
    echo "no pipewire installed: no PipeWire restarts (see scripts/packages.txt)"
    pipewire_restarts=0
fi

kinds=(loss-TERM loss-KILL return-TERM return-KILL pipewire surround)
declare -A wanted=(
    [loss-TERM]="$term_losses" [loss-KILL]="$kill_losses"
    [return-TERM]=$(( (jackd_returns + 1) / 2 )) [return-KILL]=$(( jackd_returns / 2 ))
    [pipewire]="$pipewire_restarts" [surround]="$surround_quits")
# Per kind and key, how many runs had key=1 (or, for exit, exit=0); sums for the jackd SIGTERMs.
declare -A count=()
keys=(routed lived back ready reopened resumed one_click hung exit0)

for kind in "${kinds[@]}"; do
    count[$kind.runs]=0
    for key in "${keys[@]}" jackd_sigterms jackd_ignored; do count[$kind.$key]=0; done

    for (( run = 1; count[$kind.routed] < wanted[$kind] && run <= 2 * wanted[$kind]; run++ )); do
        work="$(mktemp -d "${TMPDIR:-/tmp}/kestro-loss-loop.XXXXXX")"
        result="$(unshare -m --propagation private "$0" --run-once "$kind" "$work" "$binaries" 2>> "$work/loop.log" | tail -n 1)" || true
        count[$kind.runs]=$(( count[$kind.runs] + 1 ))
        for key in "${keys[@]}"; do
            if [[ " $result " == *" $key=1 "* || ( "$key" == exit0 && " $result " == *" exit=0 "* ) ]]; then
                count[$kind.$key]=$(( count[$kind.$key] + 1 ))
            fi
        done
        for key in jackd_sigterms jackd_ignored; do
            value="$(grep -o "$key=[0-9]*" <<< "$result" | cut -d= -f2)"
            count[$kind.$key]=$(( count[$kind.$key] + ${value:-0} ))
        done

        echo "$kind run $run: $result"
        good=1
        case "$kind" in
            loss-*) [[ " $result " == *" routed=1 lived=1 exit=0 "* ]] || good=0 ;;
            return-*|pipewire) [[ " $result " == *" one_click=1 exit=0 "* && " $result " == *" resumed=0 "* ]] || good=0 ;;
            surround) [[ " $result " == *" routed=1 hung=0 exit=0 "* ]] || good=0 ;;
        esac
        [[ " $result " == *" jackd_ignored=0"* ]] || good=0
        if (( good )); then
            rm -rf "$work"
        else
            mv "$work" "$logs/$kind-run-$run"
        fi
    done
done

c() { echo "${count[$1.$2]}"; }
total_sigterms=0 total_ignored=0
for kind in "${kinds[@]}"; do
    total_sigterms=$(( total_sigterms + count[$kind.jackd_sigterms] ))
    total_ignored=$(( total_ignored + count[$kind.jackd_ignored] ))
done

echo
for signal in TERM KILL; do
    k="loss-$signal"
    (( wanted[$k] > 0 )) && echo "jackd SIG$signal while routing: $(c $k runs) runs, the server ended while routing in $(c $k routed), lived $(c $k lived), quit with 0 $(c $k exit0)"
done
for k in return-TERM return-KILL pipewire; do
    (( wanted[$k] > 0 )) || continue
    case "$k" in
        return-TERM) what="jackd returns after SIGTERM" ;;
        return-KILL) what="jackd returns after SIGKILL" ;;
        pipewire) what="PipeWire restarts (pipewire and wireplumber)" ;;
    esac
    echo "$what: $(c $k runs) runs, the server ended while routing in $(c $k routed) and came back in $(c $k back);" \
         "the button offered routing in $(c $k ready), the input reopened in $(c $k reopened)," \
         "routing resumed without a click in $(c $k resumed), one click routed with the saved mapping 1,0 in $(c $k one_click);" \
         "lived $(c $k lived), quit with 0 $(c $k exit0)"
done
(( wanted[surround] > 0 )) && echo "quits after 5.1 routing: $(c surround runs) runs, routed in $(c surround routed), hung $(c surround hung), quit with 0 $(c surround exit0)"
echo "jackd and SIGTERM: $total_sigterms sent, $(( total_sigterms - total_ignored )) ended by it within 10 s, $total_ignored ignored"
echo "logs of the runs that did not end well: $logs"
