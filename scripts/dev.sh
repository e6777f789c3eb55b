#!/usr/bin/env bash
# Sets up a Debian 12 machine for Tarnwell, builds it, and then runs the tool or every test.
#   scripts/dev.sh run     install what is needed, build, start the window
#   scripts/dev.sh test    install what is needed, build, run every test
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(g++ cmake ninja-build pkg-config qt6-base-dev libhidapi-dev libudev-dev
          libgtest-dev libgmock-dev libbenchmark-dev fonts-liberation)

install_packages() {
    local missing=()
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -eq 0 ]; then
        apt-get update
        DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}"
    else
        echo "Tarnwell needs these Debian packages. Install them with:" >&2
        echo "  sudo apt-get install -y ${missing[*]}" >&2
        exit 1
    fi
}

build() {
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cmake --build build
}

case "${1:-}" in
    run)
        install_packages
        build
        exec build/bin/tarnwell
        ;;
    test)
        install_packages
        build
        ctest --test-dir build --output-on-failure -j "$(nproc)"
        ;;
    *)
        echo "usage: scripts/dev.sh run|test" >&2
        exit 2
        ;;
esac
