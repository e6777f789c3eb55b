#!/usr/bin/env bash
# Draws the documentation's pictures on a virtual X display, through the demo:
#   docs/demo-main.png       the window after a 10 MHz Find on the simulated clock
#   docs/demo-simulator.png  the "Clock simulator" window beside it
#   docs/window.png          the window as it opens on one clock (the README's picture)
# Usage: scripts/screenshots.sh [build folder, default build]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"

. scripts/debian-packages.sh
ensure_debian_packages "Drawing the pictures" xvfb xauth fonts-liberation

[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" --target tarnwell-demo

# A fixed locale and style, so the pictures do not depend on who draws them.
LC_ALL=C.UTF-8 QT_QPA_PLATFORM=xcb QT_STYLE_OVERRIDE=Fusion \
    xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24" \
    "$build/bin/tarnwell-demo" --screenshot-dir docs
echo "Wrote docs/demo-main.png, docs/demo-simulator.png and docs/window.png"
