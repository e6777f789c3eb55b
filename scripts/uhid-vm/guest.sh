#!/bin/sh
# Runs inside the test VM, chrooted into the host's read-only root: every test program of the build
# that needs a kernel-level HID device. Usage: guest.sh BUILD_DIR
build_dir=$1

# The root is read-only but for /run. A desktop session would have a UTF-8 locale; the tools
# take it from the environment.
export HOME=/run/home TMPDIR=/run/tmp XDG_RUNTIME_DIR=/run/user
export LANG=C.UTF-8 QT_QPA_PLATFORM=offscreen
mkdir -m 0700 -p "$HOME" "$TMPDIR" "$XDG_RUNTIME_DIR"

if [ ! -e /dev/uhid ]; then
    echo "uhid-vm: /dev/uhid is missing in the VM" >&2
    exit 1
fi

status=0
found=0
for program in "$build_dir"/bin/test_uhid_*; do
    [ -x "$program" ] || continue
    found=1
    echo "uhid-vm: running ${program##*/}"
    "$program" --gtest_color=no || status=1
done
if [ "$found" -eq 0 ]; then
    echo "uhid-vm: no test_uhid_* programs in $build_dir/bin" >&2
    exit 1
fi
exit "$status"
