#!/usr/bin/env bash
# Measures what the application costs while it idles: its CPU time (user + system, from
# /proc/PID/stat) over IDLE_SECONDS (default 30) after its window has appeared, beside the same
# figure for the smallest JUCE window program (bench's kestro_idle_window, a bare 220 x 300
# window) run the same way in the same run.
#
#   bench/idle-cpu.sh
#
# Uses the programs in $BUILD_DIR (default build/, $BUILD_TYPE default Debug) and builds them first
# when one is missing (SKIP_BUILD=1 never builds). Each program runs under one virtual X display
# with HOME in a temporary folder, so no settings of the real user are read or written. Needs root:
# the run has its own mount namespace with private /var/tmp and /dev/shm, so the application's
# single-instance lock and JACK's registry are not shared with anything else on the machine.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD_DIR:-$root/build}
idle=${IDLE_SECONDS:-30}
app="$build/KestroVantrel_artefacts/${BUILD_TYPE:-Debug}/Kestro Vantrel Standalone"
yardstick="$build/bench/kestro_idle_window"

case "${_IDLE_CPU_STAGE:-}" in
    "")
        missing=()
        [ -x "$app" ] || missing+=(KestroVantrel)
        [ -x "$yardstick" ] || missing+=(kestro_idle_window)
        if [ ${#missing[@]} -gt 0 ] && [ "${SKIP_BUILD:-}" != 1 ]; then
            nice cmake --build "$build" -j4 --target "${missing[@]}"
        fi
        for program in "$app" "$yardstick"; do
            [ -x "$program" ] || { echo "no program at $program" >&2; exit 1; }
        done
        # The script runs itself again, first in its own mount namespace, then under Xvfb.
        exec env _IDLE_CPU_STAGE=namespace BUILD_DIR="$build" unshare -m --propagation private "$0"
        ;;
    namespace)
        mount -t tmpfs none /var/tmp
        mount -t tmpfs none /dev/shm
        exec env _IDLE_CPU_STAGE=display xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "$0"
        ;;
esac

ticks=$(getconf CLK_TCK)
pid=
home=

finish() {
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
        kill -TERM "$pid" 2>/dev/null || true
        for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        kill -KILL "$pid" 2>/dev/null || true
    fi
    [ -z "$home" ] || rm -rf "$home"
}
trap finish EXIT

# utime + stime of a process in clock ticks. The name in the second field may hold blanks and
# parentheses, so the fields are counted from after its last ")": state is then the first, utime
# the 12th and stime the 13th.
cpu_ticks() {
    local stat rest
    stat=$(cat "/proc/$1/stat")
    rest=${stat##*) }
    read -r -a fields <<<"$rest"
    echo $(( fields[11] + fields[12] ))
}

# Starts the program, waits for its window and a settling time, then measures the idle span.
# Prints the CPU seconds used during that span.
measure() {
    local program=$1 window= before after
    home=$(mktemp -d "${TMPDIR:-/tmp}/kestro-idle-cpu.XXXXXX")
    HOME="$home" "$program" >"$home/log" 2>&1 &
    pid=$!

    for _ in $(seq 200); do
        kill -0 "$pid" 2>/dev/null || { echo "$program ended before showing its window" >&2; tail -n 20 "$home/log" >&2; exit 1; }
        window=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -n 1 || true)
        [ -n "$window" ] && break
        sleep 0.1
    done
    [ -n "$window" ] || { echo "$program showed no window within 20 s" >&2; exit 1; }

    sleep 2
    before=$(cpu_ticks "$pid")
    sleep "$idle"
    after=$(cpu_ticks "$pid")

    kill -TERM "$pid"
    for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    pid=
    rm -rf "$home"
    home=

    echo "$after $before" | awk -v t="$ticks" '{ printf "%.2f", ($1 - $2) / t }'
}

report() {
    awk -v name="$1" -v s="$2" -v span="$idle" 'BEGIN { printf "  %-28s %6.2f s  (%.1f %% of a core)\n", name, s, 100 * s / span }'
}

app_seconds=$(measure "$app")
yardstick_seconds=$(measure "$yardstick")

echo "CPU time (user + system) over $idle s of idling, after the window appeared:"
report "Kestro Vantrel Standalone" "$app_seconds"
report "bare JUCE window (220x300)" "$yardstick_seconds"
