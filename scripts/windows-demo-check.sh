#!/usr/bin/env bash
# tarnwell-demo.exe under Wine on a virtual X display, with the Windows platform plugin as on a PC
# and inside a Wine desktop, so that Wine draws the windows and their frames the way Windows does.
# The demo's picture mode types 10000000 into Out1Freq and presses Find, and the simulated clock
# must then have received the two "set frequency" reports of programming it.
#   scripts/windows-demo-check.sh [BUILD_DIR] [PICTURE]
# BUILD_DIR is scripts/windows-cross.sh's (default build-windows). With PICTURE, the screen with
# both windows is saved there (scripts/screenshots.sh: docs/windows-demo.png).
. "$(dirname "$0")/errors.sh"
cd "$(dirname "$0")/.."
build=$(realpath -m "${1:-build-windows}")
picture=${2:+$(realpath -m "$2")}
. scripts/wine-prefix.sh

demo=$build/tarnwell/bin/tarnwell-demo.exe
if [ ! -f "$demo" ]; then
    echo "windows-demo-check: no $demo; scripts/windows-cross.sh builds it" >&2
    exit 1
fi
# Room for both windows side by side with their frames; the picture is cut to them.
screen=1280x900
if [ -z "${TARNWELL_DEMO_CHECK_DISPLAY:-}" ]; then
    ensure_debian_packages "The demo check" xvfb xauth imagemagick
    # Once more, on a virtual X display of its own.
    exec env TARNWELL_DEMO_CHECK_DISPLAY=1 LC_ALL=C.UTF-8 xvfb-run --auto-servernum \
        --server-args="-screen 0 ${screen}x24" "$0" "$@"
fi
work=$(mktemp -d)
# The server of the headless runs has no display: this run starts its own on the virtual one.
find_wine
"$wineserver" -k 2>/dev/null || true
start_wine "$build/wine"
trap '"$wineserver" -k 2>/dev/null || true; rm -rf "$work"' EXIT

"$wine" explorer "/desktop=Tarnwell,$screen" "$demo" --screenshot-dir "$(windows_path "$work")" \
    </dev/null >"$work/received.txt" 2>"$work/stderr.txt" &
running=$!
# The picture: the last screen taken before the demo saves its own pictures, which it does after
# the Find's polls, just before it draws a window of its own for window.png.
for _ in $(seq 600); do
    [ -f "$work/demo-main.png" ] && break
    kill -0 "$running" 2>/dev/null || break
    if [ -n "$picture" ]; then
        import -window root "$work/screen.png"
        [ -f "$work/demo-main.png" ] || mv "$work/screen.png" "$work/before-save.png"
    fi
    sleep 0.2
done
if [ -n "$picture" ] && [ -f "$work/before-save.png" ]; then
    desktop=$(convert "$work/before-save.png" -format '%[pixel:p{0,0}]' info:)
    convert "$work/before-save.png" -trim +repage -bordercolor "$desktop" -border 12 "$picture"
fi
if ! wait "$running"; then
    echo "windows-demo-check: tarnwell-demo.exe failed under Wine:" >&2
    cat "$work/stderr.txt" >&2
    exit 1
fi

frequency_sets=$(grep -c 'set frequency' "$work/received.txt" || true)
if [ "$frequency_sets" -ne 2 ]; then
    echo "windows-demo-check: after Find 10000000 the simulated clocks received:" >&2
    cat "$work/received.txt" >&2
    exit 1
fi
echo "windows-demo-check: tarnwell-demo.exe under Wine found and programmed 10000000 Hz"
[ -z "$picture" ] || echo "windows-demo-check: wrote $picture"
