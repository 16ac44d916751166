#!/usr/bin/env bash
# Runs a command on a headless PipeWire of its own, through PipeWire's JACK library (pw-jack):
#
#     scripts/pipewire-session.sh [--null-nodes] COMMAND [ARGUMENTS...]
#
# It starts a private session bus, pipewire and wireplumber in a fresh XDG_RUNTIME_DIR (mode 700,
# removed afterwards), waits until wireplumber has joined, optionally adds two null nodes that
# stand in for a desktop's speakers and microphone, and runs COMMAND under pw-jack with
# KESTRO_JACK_SERVER=pipewire, so that the end-to-end tests use this server instead of starting a
# jackd of their own. Afterwards every process it started gets SIGTERM and is waited for (SIGKILL
# only for one that is still there after 10 s). The exit status is COMMAND's.
#
# COMMAND may restart the servers, as a desktop's session does after a crash or an update: SIGUSR1
# to KESTRO_PIPEWIRE_SESSION_PID (this script) stops wireplumber and pipewire, starts them again
# (with the null nodes, when asked for) and, once wireplumber has joined, writes how many restarts
# have finished so far into the file KESTRO_PIPEWIRE_RESTARTS. Every client of the old server has
# lost it by then.
#
# Nothing is shared with the user's own session or with other runs: each run has its own bus,
# runtime folder and state folder. When COMMAND fails, the end of each server's log is printed.
# The packages are in scripts/packages.txt.

set -euo pipefail

null_nodes=0
if [[ "${1:-}" == "--null-nodes" ]]; then
    null_nodes=1
    shift
fi

if [[ $# -eq 0 ]]; then
    echo "usage: $0 [--null-nodes] COMMAND [ARGUMENTS...]" >&2
    exit 2
fi

for tool in dbus-daemon pipewire wireplumber pw-jack pw-cli; do
    if ! command -v "$tool" > /dev/null; then
        echo "$0: $tool is not installed (see scripts/packages.txt)" >&2
        exit 2
    fi
done

runtime="$(mktemp -d "${TMPDIR:-/tmp}/kestro-pipewire.XXXXXX")"
chmod 700 "$runtime"
export XDG_RUNTIME_DIR="$runtime"
export XDG_STATE_HOME="$runtime/state"     # wireplumber keeps its state here, not in the home
export PIPEWIRE_RUNTIME_DIR="$runtime"
unset PIPEWIRE_REMOTE
mkdir -p "$XDG_STATE_HOME"

pids=()
log="$runtime/log"
mkdir -p "$log"

# Stops the given processes of this script's, the last first: SIGTERM, then a wait.
stop_processes() {
    local i pid waited
    local stopping=("$@")
    for (( i = ${#stopping[@]} - 1; i >= 0; i-- )); do
        pid="${stopping[$i]}"
        kill -TERM "$pid" 2> /dev/null || continue
        waited=0
        while kill -0 "$pid" 2> /dev/null && (( waited < 100 )); do
            sleep 0.1
            waited=$(( waited + 1 ))
        done
        if kill -0 "$pid" 2> /dev/null; then
            echo "$0: process $pid ignored SIGTERM for 10 s; killing it" >&2
            kill -KILL "$pid" 2> /dev/null || true
        fi
        wait "$pid" 2> /dev/null || true
    done
}

# COMMAND first (when the session itself is ended), then the servers, then the bus.
command_pid=
cleanup() {
    stop_processes ${command_pid:+"$command_pid"}
    stop_processes "${servers[@]}"
    stop_processes "${pids[@]}"
    rm -rf "$runtime"
}
trap cleanup EXIT
trap 'exit 143' TERM
trap 'exit 130' INT

source "$(dirname "$0")/wait-for.sh"

fail_start() {
    echo "$0: $1 did not start; its output:" >&2
    cat "$log/$1.log" >&2 || true
    exit 1
}

dbus-daemon --session --address="unix:path=$runtime/bus" --nofork --nopidfile > "$log/dbus.log" 2>&1 &
pids+=($!)
export DBUS_SESSION_BUS_ADDRESS="unix:path=$runtime/bus"
wait_for 100 test -S "$runtime/bus" || fail_start dbus

# pipewire and wireplumber, and the null nodes, are started here and again at each restart; their
# logs are appended to.
servers=()
start_servers() {
    pipewire >> "$log/pipewire.log" 2>&1 &
    servers+=($!)
    wait_for 100 test -S "$runtime/pipewire-0" || fail_start pipewire

    wireplumber >> "$log/wireplumber.log" 2>&1 &
    servers+=($!)
    wait_for 150 wireplumber_joined || fail_start wireplumber

    if (( null_nodes )); then
        local node name description class
        for node in "desktop_speakers Desktop_Speakers Audio/Sink" "desktop_microphone Desktop_Microphone Audio/Source/Virtual"; do
            read -r name description class <<< "$node"
            pw-cli create-node adapter "{ factory.name=support.null-audio-sink node.name=\"$name\"
                node.description=\"${description//_/ }\" media.class=$class object.linger=true
                audio.position=[FL FR] }" > /dev/null
        done
        wait_for 100 null_nodes_present || fail_start pipewire
    fi
}

wireplumber_joined() {
    pw-cli ls Client | grep -q 'application.name = "WirePlumber"'
}

null_nodes_present() {
    local nodes
    nodes="$(pw-cli ls Node)"
    grep -q 'node.name = "desktop_speakers"' <<< "$nodes" && grep -q 'node.name = "desktop_microphone"' <<< "$nodes"
}

stop_servers() {
    stop_processes "${servers[@]}"
    servers=()
}

start_servers

restarts=0
restart_wanted=0
export KESTRO_PIPEWIRE_SESSION_PID=$$
export KESTRO_PIPEWIRE_RESTARTS="$runtime/restarts"
echo 0 > "$KESTRO_PIPEWIRE_RESTARTS"
trap 'restart_wanted=1' USR1

export KESTRO_JACK_SERVER=pipewire
# COMMAND runs in the background, so that a restart request is answered while it runs: the USR1
# trap breaks the wait.
pw-jack "$@" < /dev/null &
command_pid=$!
while :; do
    status=0
    wait "$command_pid" || status=$?
    (( restart_wanted )) || break
    restart_wanted=0
    stop_servers
    start_servers
    restarts=$(( restarts + 1 ))
    echo "$restarts" > "$KESTRO_PIPEWIRE_RESTARTS"
    if ! kill -0 "$command_pid" 2> /dev/null; then
        wait "$command_pid" && status=0 || status=$?
        break
    fi
done
command_pid=

# When the command failed, what the servers said goes with it (PipeWire drops a client, for one,
# with a message only in its own log).
if (( status != 0 )); then
    for server_log in "$log/pipewire.log" "$log/wireplumber.log"; do
        echo "---- end of $(basename "$server_log")" >&2
        tail -n 40 "$server_log" >&2 || true
    done
fi
exit "$status"
