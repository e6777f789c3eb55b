#!/usr/bin/env bash
# The long fault soak on the kernel's HID stack: the window and tarnwell-ctl's metrics loop
# against uhid clocks in the test VM, for as long as asked (the VM tests run it for two minutes).
#   scripts/uhid-vm/soak.sh [--minutes N] [--seed S] [BUILD_DIR]   (default: 30 minutes; as root)
# Prints the soak's figures (events, seed, longest block of the window, heap) and exits with its
# result.
. "$(dirname "$0")/../errors.sh"
minutes=30
seed=
while [ $# -gt 0 ]; do
    case "$1" in
        --minutes) minutes=$2; shift 2 ;;
        --seed) seed=$2; shift 2 ;;
        -h|--help) sed -n '2,6p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
        -*) echo "soak.sh: unknown option $1" >&2; exit 2 ;;
        *) break ;;
    esac
done
case "$minutes" in
    ''|*[!0-9]*|0) echo "soak.sh: --minutes takes a whole number of minutes above 0" >&2; exit 2 ;;
esac
case "$seed" in
    *[!0-9]*) echo "soak.sh: --seed takes a whole number" >&2; exit 2 ;;
esac
# The VM's start, the checks after the last event and the result need a few minutes more.
export UHID_VM_PROGRAMS=test_uhid_soak
export TARNWELL_UHID_SOAK_SECONDS=$((minutes * 60))
export TARNWELL_UHID_SOAK_SEED=$seed
export UHID_VM_TIMEOUT=$((minutes * 60 + 300))
exec "$(dirname "$0")/run.sh" "$@"
