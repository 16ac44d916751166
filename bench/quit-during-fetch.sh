#!/usr/bin/env bash
# Quits the application (SIGTERM) while its update check is still fetching, RUNS times (default
# 20) for each of three networks, and prints how long each quit took and whether a sanitizer said
# anything:
#   lookup  the name server never answers, so the lookup of the update server never ends;
#   stall   the update server accepts the connection and never answers;
#   close   the update server accepts and closes every connection the moment the quit is sent.
# (NETWORKS="stall close" runs only those.)
#
#   bench/quit-during-fetch.sh [APP]     # APP: the application binary (default: the one in $BUILD_DIR)
#
# Meant for the sanitizer builds, e.g.
#   BUILD_DIR=build-tsan BUILD_TARGET=KestroVantrel scripts/build.sh -DKESTRO_SANITIZER=thread
#   BUILD_DIR=build-tsan bench/quit-during-fetch.sh
# Needs root: every run has mount and network namespaces of its own (only the loopback, up), in
# which /etc/hosts and /etc/resolv.conf send the build's update server (KESTRO_UPDATE_SERVER in the
# build's CMakeCache.txt, a host name) to a stand-in on 127.0.0.1; /var/tmp and /dev/shm are
# private, HOME is a temporary folder, and the program runs under an Xvfb of its own. The check
# starts five seconds after the window opens. Exits non-zero when a quit took 1.5 s or longer,
# failed, or a sanitizer reported something (leak checks are off: the window's libraries keep
# what they allocate until exit).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD_DIR:-$root/build}
runs=${RUNS:-20}
app=${1:-"$build/KestroVantrel_artefacts/${BUILD_TYPE:-Debug}/Kestro Vantrel Standalone"}

# The stand-in network, run inside the namespace: writes "$work/reached" when the program first
# reaches it, and with "close" drops every connection once "$work/quit" exists.
stand_in() {
    exec python3 - "$@" <<'EOF'
import os, socket, sys, time
mode, work = sys.argv[1], sys.argv[2]
reached = os.path.join(work, "reached")
quit_marker = os.path.join(work, "quit")
deadline = time.time() + 120
if mode == "lookup":
    s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    s.bind(("127.0.0.1", 53))
    s.settimeout(0.05)
else:
    s = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    s.bind(("127.0.0.1", 443))
    s.listen(16)
    s.settimeout(0.05)
held = []
while time.time() < deadline:
    try:
        if mode == "lookup":
            s.recvfrom(4096)          # never answered
        else:
            held.append(s.accept()[0])
        open(reached, "a").close()
    except socket.timeout:
        pass
    if mode == "close" and os.path.exists(quit_marker):
        for c in held:
            c.close()
        held = []
EOF
}

case "${_QUIT_FETCH_STAGE:-}" in
    "")
        [ "$(id -u)" -eq 0 ] || { echo "needs root (mount and network namespaces, port 53 and 443)" >&2; exit 1; }
        [ -x "$app" ] || { echo "no program at $app" >&2; exit 1; }
        server=$(sed -n 's/^KESTRO_UPDATE_SERVER:STRING=//p' "$build/CMakeCache.txt" 2>/dev/null || true)
        host=$(echo "${server:-https://www.kestro-audio.example}" | sed -E 's#^[a-z]+://([^/:]+).*#\1#')
        case $host in *[!0-9.]*) ;; *) echo "the build's update server $host needs no name lookup" >&2; exit 1 ;; esac

        failures=0
        printf '%-7s %4s %8s %6s  %s\n' network run quit-ms exit sanitizer
        for network in ${NETWORKS:-lookup stall close}; do
            times=()
            for run in $(seq "$runs"); do
                work=$(mktemp -d "${TMPDIR:-/tmp}/kestro-quit-fetch.XXXXXX")
                result=$(_QUIT_FETCH_STAGE=namespace _QUIT_FETCH_WORK="$work" _QUIT_FETCH_NETWORK="$network" \
                         _QUIT_FETCH_HOST="$host" unshare --mount --net --propagation private "$0" "$app" || true)
                read -r ms code <<<"${result:-none none}"
                reports=$(grep -cE '^(==[0-9]+==ERROR|WARNING: ThreadSanitizer|SUMMARY: )|runtime error' "$work/app.log" 2>/dev/null || true)
                verdict=none
                [ "${reports:-0}" -eq 0 ] || verdict="$reports lines (kept in $work/app.log)"
                printf '%-7s %4d %8s %6s  %s\n' "$network" "$run" "$ms" "$code" "$verdict"
                if [ "$verdict" != none ] || [ "$code" != 0 ] || ! [ "$ms" -lt 1500 ] 2>/dev/null; then
                    failures=$((failures + 1))
                else
                    rm -rf "$work"
                fi
                [ "$ms" = none ] || times+=("$ms")
            done
            printf '%s\n' "${times[@]}" | sort -n | awk -v n="$network" '{ t[NR] = $1 } END {
                if (NR) printf "%-7s quits: %d, median %d ms, slowest %d ms\n", n, NR, t[int((NR + 1) / 2)], t[NR] }'
        done
        echo "runs that failed (1.5 s or longer, a non-zero exit, or a sanitizer report): $failures"
        [ "$failures" -eq 0 ]
        ;;
    namespace)
        work=$_QUIT_FETCH_WORK
        ip link set lo up
        mount -t tmpfs none /var/tmp
        mount -t tmpfs none /dev/shm
        if [ "$_QUIT_FETCH_NETWORK" = lookup ]; then
            printf '127.0.0.1 localhost\n' > "$work/hosts"
        else
            printf '127.0.0.1 localhost %s\n' "$_QUIT_FETCH_HOST" > "$work/hosts"
        fi
        printf 'nameserver 127.0.0.1\noptions timeout:30 attempts:5\n' > "$work/resolv.conf"
        mount --bind "$work/hosts" /etc/hosts
        mount --bind "$work/resolv.conf" /etc/resolv.conf
        stand_in "$_QUIT_FETCH_NETWORK" "$work" > "$work/stand-in.log" 2>&1 &
        stand_in_pid=$!
        : > "$work/empty-alsa.conf"
        _QUIT_FETCH_STAGE=display HOME="$work" ALSA_CONFIG_PATH="$work/empty-alsa.conf" \
            JACK_DEFAULT_SERVER=kestro-no-server ASAN_OPTIONS=detect_leaks=0 \
            xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "$0" "$1"
        kill "$stand_in_pid" 2>/dev/null || true
        wait "$stand_in_pid" 2>/dev/null || true
        ;;
    display)
        work=$_QUIT_FETCH_WORK
        # Running, and not only a zombie waiting to be collected.
        alive() {
            local state
            state=$(sed -n 's/^State:[[:space:]]*\([A-Z]\).*/\1/p' "/proc/$1/status" 2>/dev/null)
            [ -n "$state" ] && [ "$state" != Z ]
        }
        "$1" > "$work/app.log" 2>&1 &
        pid=$!
        for _ in $(seq 600); do
            [ -e "$work/reached" ] && break
            alive "$pid" || break
            sleep 0.05
        done
        if [ ! -e "$work/reached" ]; then
            kill -KILL "$pid" 2>/dev/null || true
            wait "$pid" 2>/dev/null || true
            echo "unreached unreached"
            exit 0
        fi
        sleep 0.2
        start=$(date +%s%N)
        touch "$work/quit"
        kill -TERM "$pid"
        code=0
        for _ in $(seq 6000); do alive "$pid" || break; sleep 0.005; done
        end=$(date +%s%N)
        if alive "$pid"; then
            kill -KILL "$pid"
        fi
        wait "$pid" || code=$?
        echo "$(( (end - start) / 1000000 )) $code"
        ;;
esac
