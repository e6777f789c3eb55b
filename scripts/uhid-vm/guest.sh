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

# UHID_VM_PROGRAMS, a comma-separated list of test programs, narrows the run to those.
wanted() {
    [ -x "$1" ] || return 1
    [ -z "${UHID_VM_PROGRAMS:-}" ] && return 0
    case ",$UHID_VM_PROGRAMS," in
        *",${1##*/},"*) return 0 ;;
    esac
    return 1
}

status=0
found=0
for program in "$build_dir"/bin/test_uhid_*; do
    wanted "$program" || continue
    found=1
    # The soak flips the nodes' permissions, which bind only a user who is not root: below.
    [ "${program##*/}" = test_uhid_soak ] && continue
    echo "uhid-vm: running ${program##*/}"
    "$program" --gtest_color=no || status=1
done
if [ "$found" -eq 0 ]; then
    echo "uhid-vm: no test_uhid_* programs (${UHID_VM_PROGRAMS:-any}) in $build_dir/bin" >&2
    exit 1
fi

# Again as a user who is not root, as people run the tool. devtmpfs makes each hidraw node
# root's with mode 0600: first as on a machine without the udev rule, then with a loop that gives
# each new node to the user, standing in for the rule (there is no udevd in here).
user=1000
chmod 0666 /dev/uhid
mkdir -p /run/user-home /run/user-tmp /run/user-xdg
chown "$user:$user" /run/user-home /run/user-tmp /run/user-xdg
chmod 0700 /run/user-xdg
as_user() {
    HOME=/run/user-home TMPDIR=/run/user-tmp XDG_RUNTIME_DIR=/run/user-xdg \
        setpriv --reuid="$user" --regid="$user" --clear-groups "$@"
}
for program in "$build_dir"/bin/test_uhid_hidapi_backend "$build_dir"/bin/test_uhid_window; do
    wanted "$program" || continue
    echo "uhid-vm: running ${program##*/} as uid $user without access to the nodes"
    TARNWELL_UHID_ACCESS=denied as_user "$program" --gtest_color=no \
        --gtest_filter='*ThisUserMay*' || status=1
done
(while :; do chown "$user" /dev/hidraw* 2>/dev/null; sleep 0.05; done) &
granting=$!
for program in "$build_dir"/bin/test_uhid_hidapi_backend "$build_dir"/bin/test_uhid_window \
    "$build_dir"/bin/test_uhid_soak; do
    wanted "$program" || continue
    echo "uhid-vm: running ${program##*/} as uid $user with the rule's permissions"
    TARNWELL_UHID_ACCESS=granted as_user "$program" --gtest_color=no || status=1
done
kill "$granting"
exit "$status"
