#!/usr/bin/env bash
# Draws the documentation's pictures on a virtual X display, through the demo:
#   docs/demo-main.png       the window after a 10 MHz Find on the simulated clock
#   docs/demo-simulator.png  the "Clock simulator" window beside it
#   docs/window.png          the window as it opens on one clock (the README's picture)
#   docs/windows-demo.png    the demo after the same Find under Wine, as Wine draws it, from the
#                            Windows cross-build when there is one (scripts/windows-cross.sh)
# Usage: scripts/screenshots.sh [build folder, default build] [Windows build, default build-windows]
. "$(dirname "$0")/errors.sh"
cd "$(dirname "$0")/.."
build="${1:-build}"
windows_build="${2:-build-windows}"

. scripts/debian-packages.sh
ensure_debian_packages "Drawing the pictures" xvfb xauth fonts-liberation

[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" --target tarnwell-demo

# A fixed locale and style, so the pictures do not depend on who draws them.
LC_ALL=C.UTF-8 QT_QPA_PLATFORM=xcb QT_STYLE_OVERRIDE=Fusion \
    xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24" \
    "$build/bin/tarnwell-demo" --screenshot-dir docs
echo "Wrote docs/demo-main.png, docs/demo-simulator.png and docs/window.png"

if [ -f "$windows_build/tarnwell/bin/tarnwell-demo.exe" ]; then
    scripts/windows-demo-check.sh "$windows_build" docs/windows-demo.png
else
    echo "Left docs/windows-demo.png as it is: no Windows build in $windows_build (scripts/windows-cross.sh makes one)"
fi
