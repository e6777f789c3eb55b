#!/usr/bin/env bash
# The package for arm64 (a Raspberry Pi and other small always-on machines) from the same source:
# cross-builds it with Debian's multiarch packages (profile cross), running the whole unit and
# window test suite on the arm64 build under qemu's user-mode emulation (dh_auto_test), checks
# the package as scripts/package-check.sh does, and runs programs from the unpacked package under
# emulation. Warnings are errors and ccache serves every compile, as for scripts/debian-build.sh.
#   scripts/arm64-check.sh [ARCH]      (default arm64; another 64-bit Debian architecture works
#                                       the same way: the searches need __int128)
. "$(dirname "$0")/errors.sh"
cd "$(dirname "$0")/.."
arch=${1:-arm64}

. scripts/debian-packages.sh
. scripts/debian-package-build.sh
ensure_debian_packages "The $arch package build" "${debian_build_tools[@]}"
# The architecture's packages come from the machine's own apt sources, once it is enabled.
if ! dpkg --print-foreign-architectures | grep -qx "$arch"; then
    if [ "$(id -u)" -ne 0 ]; then
        echo "The $arch build needs Debian's $arch packages. Enable them with:" >&2
        echo "  sudo dpkg --add-architecture $arch && sudo apt-get update" >&2
        exit 1
    fi
    dpkg --add-architecture "$arch"
    apt-get update
fi
ensure_debian_packages "The $arch package build" "crossbuild-essential-$arch" qemu-user-static

# The build runs the programs it makes under qemu (debian/rules), so its tests run too.
DEB_BUILD_OPTIONS="crossbuildcanrunhostbinaries ${DEB_BUILD_OPTIONS:-}" \
    build_debian_package "$arch" cross -b
changes=$(ls "$debian_build_root"/tarnwell_*_"$arch".changes)
scripts/package-check.sh "$changes"

# The programs as installed from the package, on the multiarch libraries, under the emulator.
emulator=qemu-$(dpkg-architecture -a "$arch" -qDEB_HOST_GNU_CPU 2>/dev/null)-static
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$(ls "$debian_build_root"/tarnwell_*_"$arch".deb)" "$root"
version=$(dpkg-parsechangelog -l debian/changelog -SVersion)
echo "== $arch package: tarnwell-plan 10000000, tarnwell-ctl --version, tarnwell --version"
plan=$("$emulator" "$root/usr/bin/tarnwell-plan" 10000000)
echo "$plan"
[[ $plan == "10000000: found preferred "* ]]
ctl=$("$emulator" "$root/usr/bin/tarnwell-ctl" --version)
echo "$ctl"
[[ $ctl == *"$version"* ]]
window=$(QT_QPA_PLATFORM=offscreen "$emulator" "$root/usr/bin/tarnwell" --version)
echo "$window"
[[ $window == *"$version"* ]]
echo "The $arch package passed: $(ls "$debian_build_root"/tarnwell_*_"$arch".deb)"
