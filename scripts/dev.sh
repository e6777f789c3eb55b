#!/usr/bin/env bash
# Sets up a Debian 12 machine for Tarnwell, builds it, and then runs the tool or every test.
#   scripts/dev.sh run     install what is needed, build, start the window
#   scripts/dev.sh test    install what is needed, check the C++ formatting, build the Debian
#                          package and run every test: the unit and window tests in its build,
#                          the package through lintian and the metadata validators, (as root)
#                          autopkgtest on the installed package and the arm64 package cross-built
#                          with the whole suite under qemu's user-mode emulation, the same
#                          tests under AddressSanitizer and UBSan with a short fuzzing run in that
#                          build and under ThreadSanitizer, everything cross-built for Windows with
#                          its tests, the demo and the installer under Wine (the first run on a machine
#                          builds Qt for Windows), and (as root) the tests against the kernel's HID
#                          stack inside a small VM. It ends with the time each step took.
# Compiler warnings are errors in every build made here (TARNWELL_WERROR), and every build goes
# through ccache.
. "$(dirname "$0")/errors.sh"
cd "$(dirname "$0")/.."
# ccache's keys hold paths relative to the build folder, so that the same compile in another
# folder or clone (the package build's copy, a clean root) is served from the cache.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-true}

packages=(g++ cmake ninja-build pkg-config dpkg-dev ccache qt6-base-dev libhidapi-dev libudev-dev
          libsystemd-dev nlohmann-json3-dev libcli11-dev libgtest-dev libgmock-dev libbenchmark-dev
          fonts-liberation)
# Only the tests need these: clang's libFuzzer, and the package check's manual page maker and
# validators, promtool (Debian's prometheus) to check the metrics, and clang-format with git for
# the format check; the later steps' scripts ask for their own.
test_packages=(clang libclang-rt-14-dev help2man lintian appstream desktop-file-utils prometheus
               clang-format git)
# qemu with busybox for the VM, whose tests run only as root.
vm_packages=(qemu-system-x86 busybox-static cpio xz-utils)

. scripts/debian-packages.sh

# Built as the package is, so that the package build finds every compile in ccache.
build() {
    set_debian_build_flags
    cmake -S . -B build -G Ninja -DTARNWELL_WERROR=ON \
        -DCMAKE_CXX_COMPILER_LAUNCHER=ccache "${debian_build_flags[@]}"
    cmake --build build
}

step_names=()
step_times=()
print_step_times() {
    local i total=0
    echo "dev.sh test: time per step"
    for i in "${!step_names[@]}"; do
        printf '  %-34s %3d min %02d s\n' "${step_names[$i]}" $((step_times[i] / 60)) $((step_times[i] % 60))
        total=$((total + step_times[i]))
    done
    printf '  %-34s %3d min %02d s\n' total $((total / 60)) $((total % 60))
}

# step NAME COMMAND...: runs one step of the test command and notes its time. A failure names the
# step and ends the run with its status, after the table of the steps so far.
step() {
    local name=$1 started=$SECONDS status=0
    shift
    echo "== dev.sh test: $name"
    # In a subshell that sets -e itself: `if` or `||` around it would switch -e off inside.
    set +e
    (
        set -e
        "$@"
    )
    status=$?
    set -e
    step_names+=("$name")
    step_times+=($((SECONDS - started)))
    if [ "$status" -ne 0 ]; then
        step_names[-1]+=" (FAILED)"
        print_step_times
        echo "dev.sh test: step \"$name\" failed with status $status: $*" >&2
        exit "$status"
    fi
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
        # Not a step of its own: without root it only prints the sudo line to run, and stops.
        started=$SECONDS
        ensure_debian_packages Tarnwell "${packages[@]}" "${test_packages[@]}"
        step_names+=("install packages")
        step_times+=($((SECONDS - started)))
        step "format check" scripts/format-check.sh
        # The package build runs the unit and window tests; its build folder serves the VM.
        step "package build and tests" scripts/debian-build.sh
        step "package check" scripts/package-check.sh
        step "installed-package tests" scripts/package-tests.sh
        if [ "$(id -u)" -eq 0 ]; then
            step "arm64 package build and tests" scripts/arm64-check.sh
        else
            echo "Skipping the arm64 package: enabling Debian's arm64 packages needs root." >&2
        fi
        step "sanitizer tests" scripts/sanitize-tests.sh build-asan
        step "fuzzing" scripts/fuzz.sh --build build-asan 8
        step "ThreadSanitizer tests" scripts/tsan-tests.sh build-tsan
        step "Windows build and tests" scripts/windows-cross.sh build-windows
        if [ "$(id -u)" -eq 0 ]; then
            step "tests in the VM" scripts/uhid-vm/run.sh \
                "build-deb/tarnwell/obj-$(dpkg-architecture -qDEB_HOST_GNU_TYPE)"
        else
            echo "Skipping the tests on the kernel's HID stack: they boot a VM and need root." >&2
        fi
        print_step_times
        ;;
    *)
        echo "usage: scripts/dev.sh run|test" >&2
        exit 2
        ;;
esac
