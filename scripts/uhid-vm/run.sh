#!/usr/bin/env bash
# Runs the tests that need a kernel-level HID device (tests/uhid) inside a small VM: this machine's
# kernel has no uhid, Debian 12's stock kernel does. Boots that kernel under plain emulation with
# the host's root shared read-only, so the guest runs the build's own binaries and libraries.
#   scripts/uhid-vm/run.sh [BUILD_DIR]     (default: build; run as root)
# Prints the tests' own output and exits with their result; a VM that hangs is stopped
# (UHID_VM_TIMEOUT seconds). UHID_VM_PROGRAMS=test_a,test_b runs only those test programs;
# TARNWELL_UHID_SOAK_SECONDS and TARNWELL_UHID_SOAK_SEED reach the soak (scripts/uhid-vm/soak.sh).
. "$(dirname "$0")/../errors.sh"
here=$(cd "$(dirname "$0")" && pwd)
build_dir=$(realpath "${1:-build}")
vm_timeout=${UHID_VM_TIMEOUT:-900}
cache="$build_dir/uhid-vm"

# Dependencies first: a module is loaded only after every module it needs.
modules=(virtio_ring virtio virtio_pci_modern_dev virtio_pci_legacy_dev virtio_pci
         netfs fscache 9pnet 9pnet_virtio 9p hid hid-generic uhid)
packages=(qemu-system-x86 busybox-static cpio xz-utils)

fail() { echo "uhid-vm: $*" >&2; exit 1; }

install_packages() {
    local missing=()
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    # A stale package list fails the install; refresh it only then, it costs seconds.
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}" ||
        { apt-get update -q && DEBIAN_FRONTEND=noninteractive \
            apt-get install -y -q --no-install-recommends "${missing[@]}"; }
}

# The kernel image package that linux-image-amd64 points to, reduced to vmlinuz and the modules
# above; kept in the build directory, so later runs of the same build skip unpacking it.
fetch_kernel() {
    [ -f "$cache/kernel/vmlinuz" ] && return 0
    local package
    package=$(apt-cache depends linux-image-amd64 2>/dev/null | awk '/Depends: linux-image-/ {print $2; exit}')
    if [ -z "$package" ]; then
        apt-get update -q
        package=$(apt-cache depends linux-image-amd64 | awk '/Depends: linux-image-/ {print $2; exit}')
    fi
    [ -n "$package" ] || fail "cannot tell which kernel package linux-image-amd64 needs"

    # The package is kept among apt's downloads, where a CI's cache of them keeps it between runs.
    local archives=/var/cache/apt/archives work deb
    work=$(mktemp -d)
    deb=$(find "$archives" -maxdepth 1 -name "${package}_*.deb" | head -n 1)
    if [ -z "$deb" ]; then
        # apt-get download drops root for the transfer; the directory must be open to that user.
        chmod 0777 "$work"
        (cd "$work" && apt-get download -q "$package") || fail "cannot download $package"
        deb=$(find "$work" -maxdepth 1 -name '*.deb' | head -n 1)
        cp "$deb" "$archives/" 2>/dev/null || true
    fi
    dpkg-deb -x "$deb" "$work/root"

    rm -rf "$cache/kernel"
    mkdir -p "$cache/kernel/modules"
    cp "$work"/root/boot/vmlinuz-* "$cache/kernel/vmlinuz"
    local m file
    for m in "${modules[@]}"; do
        file=$(find "$work/root/lib/modules" -name "$m.ko" -o -name "$m.ko.xz" | head -n 1)
        [ -n "$file" ] || fail "$package has no module $m"
        case "$file" in
            *.xz) xz -dc "$file" >"$cache/kernel/modules/$m.ko" ;;
            *) cp "$file" "$cache/kernel/modules/$m.ko" ;;
        esac
    done
    rm -rf "$work"
}

# A busybox userland, the modules and the init script; rebuilt on every run, it takes a second.
build_initramfs() {
    local stage="$cache/initramfs"
    rm -rf "$stage"
    mkdir -p "$stage"/{bin,proc,sys,dev,modules}
    cp /bin/busybox "$stage/bin/busybox"
    cp "$here/init" "$stage/init"
    chmod 0755 "$stage/init"
    cp "$cache"/kernel/modules/*.ko "$stage/modules/"
    printf '%s\n' "${modules[@]}" >"$stage/modules.order"
    local settings=() name
    for name in UHID_VM_PROGRAMS TARNWELL_UHID_SOAK_SECONDS TARNWELL_UHID_SOAK_SEED; do
        [ -z "${!name:-}" ] || settings+=("$name=${!name}")
    done
    echo "$here/guest.sh $build_dir ${settings[*]}" >"$stage/guest.args"
    (cd "$stage" && find . | cpio -o -H newc --quiet | gzip -1) >"$cache/initrd.gz"
}

boot() {
    local log="$cache/console.log"
    # No KVM on the CI machines: plain emulation, one virtual CPU per host core (a few suffice).
    local cpus
    cpus=$(nproc)
    [ "$cpus" -le 4 ] || cpus=4
    timeout --foreground -k 10 "$vm_timeout" \
        qemu-system-x86_64 -m 1024 -smp "$cpus" -cpu max -no-reboot -nic none \
        -display none -vga none -monitor none -serial stdio \
        -kernel "$cache/kernel/vmlinuz" -initrd "$cache/initrd.gz" \
        -append "console=ttyS0 quiet loglevel=3 panic=-1" \
        -virtfs local,path=/,mount_tag=hostroot,security_model=none,readonly=on,multidevs=remap \
        </dev/null | tr -d '\r' | tee "$log" || true

    local result
    result=$(sed -n 's/^TARNWELL-UHID-EXIT=\([0-9]*\)$/\1/p' "$log" | tail -n 1)
    [ -n "$result" ] || fail "the VM stopped without a result (timed out after ${vm_timeout}s?)"
    passed=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\{0,1\}\.$/\1/p' "$log" | awk '{n += $1} END {print n + 0}')
    return "$result"
}

[ "$(id -u)" -eq 0 ] || fail "run as root: it installs packages and shares / with the VM"
[ -d "$build_dir" ] || fail "no build directory $build_dir"
if [ -f "$build_dir/build.ninja" ] || [ -f "$build_dir/Makefile" ]; then
    cmake --build "$build_dir"
fi
install_packages
mkdir -p "$cache"
fetch_kernel
build_initramfs
started=$SECONDS
passed=0
if boot; then
    echo "uhid-vm: $passed tests passed in $((SECONDS - started)) s"
else
    status=$?
    echo "uhid-vm: FAILED (exit $status) after $((SECONDS - started)) s" >&2
    exit "$status"
fi
