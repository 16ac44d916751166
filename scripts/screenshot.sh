#!/usr/bin/env bash
# Takes a screenshot of the running application's main window under a virtual X display, and
# optionally one of its settings window, opened with a click on the window's settings button.
#
#   scripts/screenshot.sh [output.png [settings.png]]      (default: build/screenshot.png)
#
#   scripts/screenshot.sh docs/main-window.png docs/settings-window.png   renews the README's pictures
#
# Uses the application in $BUILD_DIR (default build/) and builds it first if it is missing
# (SKIP_BUILD=1 never builds). The application runs with HOME in a temporary folder, so it reads and
# writes no settings of the real user, and is ended with SIGTERM once the picture is taken.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD_DIR:-$root/build}
out=$(realpath -m "${1:-$root/build/screenshot.png}")
settings_out=${2:+$(realpath -m "$2")}
app="$build/KestroVantrel_artefacts/${BUILD_TYPE:-Debug}/Kestro Vantrel Standalone"

if [ "${_SCREENSHOT_INNER:-}" != 1 ]; then
    if [ ! -x "$app" ] && [ "${SKIP_BUILD:-}" != 1 ]; then
        BUILD_TARGET=KestroVantrel "$root/scripts/build.sh"
    fi
    [ -x "$app" ] || { echo "no application at $app" >&2; exit 1; }
    mkdir -p "$(dirname "$out")" ${settings_out:+"$(dirname "$settings_out")"}
    # The script runs itself again inside the virtual display.
    exec env _SCREENSHOT_INNER=1 BUILD_DIR="$build" \
        xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" "$0" "$out" ${settings_out:+"$settings_out"}
fi

home=$(mktemp -d "${TMPDIR:-/tmp}/kestro-screenshot.XXXXXX")
log="$home/app.log"
pid=

finish() {
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
        kill -TERM "$pid" 2>/dev/null || true
        for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        kill -KILL "$pid" 2>/dev/null || true
    fi
    rm -rf "$home"
}
trap finish EXIT

HOME="$home" "$app" >"$log" 2>&1 &
pid=$!

window=
for _ in $(seq 100); do
    if ! kill -0 "$pid" 2>/dev/null; then
        echo "the application ended before showing its window (is another instance running?)" >&2
        grep -v -e BadAtom -e "ALSA lib" "$log" | tail -n 20 >&2 || true
        exit 1
    fi
    window=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -n 1 || true)
    [ -n "$window" ] && break
    sleep 0.1
done
[ -n "$window" ] || { echo "no window appeared within 10 s" >&2; exit 1; }

# Let the first paint and the handler's first refresh land before the picture is taken.
sleep 2.5
xwd -id "$window" -silent | convert xwd:- "png:$out"

if [ -n "$settings_out" ]; then
    # The settings button sits 72 px from the right and 81 px from the bottom edge, 41 px square.
    eval "$(xdotool getwindowgeometry --shell "$window")"
    xdotool mousemove --window "$window" $((WIDTH - 51)) $((HEIGHT - 60)) click 1
    settings_window=
    for _ in $(seq 50); do
        settings_window=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | grep -vx "$window" | head -n 1 || true)
        [ -n "$settings_window" ] && break
        sleep 0.1
    done
    [ -n "$settings_window" ] || { echo "no settings window appeared within 5 s" >&2; exit 1; }
    sleep 1.5
    xwd -id "$settings_window" -silent | convert xwd:- "png:$settings_out"
fi

kill -TERM "$pid"
for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$pid" 2>/dev/null; then
    echo "the application did not end on SIGTERM" >&2
    exit 1
fi
wait "$pid" || true
pid=
echo "wrote $out${settings_out:+ and $settings_out}"
