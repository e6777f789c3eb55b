#!/usr/bin/env bash
# Sets up a Debian 12 machine for Tarnwell, builds it, and then runs the tool or every test.
#   scripts/dev.sh run     install what is needed, build, start the window
#   scripts/dev.sh test    install what is needed, check the C++ formatting, build, run every
#                          test: the unit and window
#                          tests, the Debian package through lintian and the metadata validators,
#                          the same tests under AddressSanitizer and UBSan, a short fuzzing run,
#                          everything cross-built for Windows with its tests, the demo and the
#                          installer under Wine (the first run on a machine builds Qt for Windows), and
#                          (as root) the tests against the kernel's HID stack inside a small VM
# Compiler warnings are errors in every build made here (TARNWELL_WERROR).
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(g++ cmake ninja-build pkg-config dpkg-dev qt6-base-dev libhidapi-dev libudev-dev
          libsystemd-dev nlohmann-json3-dev libcli11-dev libgtest-dev libgmock-dev libbenchmark-dev
          fonts-liberation)
# Only the tests need these: clang's libFuzzer, and the package check's manual page maker and
# validators, promtool (Debian's prometheus) to check the metrics, and clang-format; scripts/windows-cross.sh
# asks for its own.
test_packages=(clang libclang-rt-14-dev help2man lintian appstream desktop-file-utils prometheus
               clang-format)
# qemu with busybox for the VM, whose tests run only as root.
vm_packages=(qemu-system-x86 busybox-static cpio xz-utils)

. scripts/debian-packages.sh

# Debian's hardening flags, so that the tests run what the package ships and the package check
# reuses this build.
build() {
    set_debian_build_flags
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARNWELL_WERROR=ON \
        "${debian_build_flags[@]}"
    cmake --build build
}

case "${1:-}" in
    run)
        ensure_debian_packages Tarnwell "${packages[@]}"
        build
        exec build/bin/tarnwell
        ;;
    test)
        if [ "$(id -u)" -eq 0 ]; then
            test_packages+=("${vm_packages[@]}")
        fi
        ensure_debian_packages Tarnwell "${packages[@]}" "${test_packages[@]}"
        scripts/format-check.sh
        build
        ctest --test-dir build --output-on-failure -j "$(nproc)"
        scripts/package-check.sh build
        scripts/sanitize-tests.sh build-asan
        scripts/fuzz.sh 8
        scripts/windows-cross.sh build-windows
        if [ "$(id -u)" -eq 0 ]; then
            scripts/uhid-vm/run.sh build
        else
            echo "Skipping the tests on the kernel's HID stack: they boot a VM and need root." >&2
        fi
        ;;
    *)
        echo "usage: scripts/dev.sh run|test" >&2
        exit 2
        ;;
esac
