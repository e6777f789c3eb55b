#!/usr/bin/env bash
# tarnwell-demo.exe under Wine on a virtual X display, with the Windows platform plugin as on a PC
# and inside a Wine desktop, so that Wine draws the windows and their frames the way Windows does.
# The demo's picture mode types 10000000 into Out1Freq and presses Find, and the simulated clock
# must then have received the two "set frequency" reports of programming it.
#   scripts/windows-demo-check.sh [BUILD_DIR] [PICTURE]
# BUILD_DIR is scripts/windows-cross.sh's (default build-windows). With PICTURE, the screen with
# both windows is saved there (scripts/screenshots.sh: docs/windows-demo.png).
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath -m "${1:-build-windows}")
picture=${2:+$(realpath -m "$2")}
. scripts/wine-prefix.sh

demo=$build/tarnwell/bin/tarnwell-demo.exe
if [ ! -f "$demo" ]; then
    echo "windows-demo-check: no $demo; scripts/windows-cross.sh builds it" >&2
    exit 1
fi
# Two windows side by side with their frames, and the taskbar-less desktop around them.
screen=1000x840
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The server of the headless runs has no display: this run starts its own on the virtual one.
"$wineserver" -k 2>/dev/null || true
run_demo() {
    start_wine "$build/wine"
    "$wine" explorer "/desktop=Tarnwell,$screen" "$demo" --screenshot-dir "$(windows_path "$work")" \
        </dev/null >"$work/received.txt" 2>"$work/stderr.txt" &
    local running=$!
    # The picture is taken while both windows are up: the demo saves its own pictures after the
    # Find's polls and then ends at once.
    for _ in $(seq 600); do
        [ -f "$work/demo-main.png" ] && break
        kill -0 "$running" 2>/dev/null || break
        sleep 0.1
    done
    [ -z "$picture" ] || import -window root "$picture"
    wait "$running"
}
export -f run_demo start_wine windows_path
export build demo screen work picture wine wineserver
LC_ALL=C.UTF-8 xvfb-run --auto-servernum --server-args="-screen 0 ${screen}x24" bash -c run_demo || {
    echo "windows-demo-check: tarnwell-demo.exe failed under Wine:" >&2
    cat "$work/stderr.txt" >&2
    exit 1
}

frequency_sets=$(grep -c 'set frequency' "$work/received.txt" || true)
if [ "$frequency_sets" -ne 2 ]; then
    echo "windows-demo-check: after Find 10000000 the simulated clocks received:" >&2
    cat "$work/received.txt" >&2
    exit 1
fi
echo "windows-demo-check: tarnwell-demo.exe under Wine found and programmed 10000000 Hz"
[ -z "$picture" ] || echo "windows-demo-check: wrote $picture"
