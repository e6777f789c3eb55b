#!/usr/bin/env bash
# Builds the Debian source package and the binary package for this machine's architecture from
# debian/, the way the tests use it: dpkg-buildpackage builds (warnings are errors, through ccache)
# and runs the unit and window tests in dh_auto_test. Then prints where the build folder, the
# .changes and the package are, for scripts/package-check.sh and for the steps that need a build
# folder (scripts/uhid-vm/run.sh).
#   scripts/debian-build.sh
. "$(dirname "$0")/errors.sh"
cd "$(dirname "$0")/.."

. scripts/debian-packages.sh
. scripts/debian-package-build.sh
ensure_debian_packages "The package build" "${debian_build_tools[@]}"

arch=$(dpkg --print-architecture)
build_debian_package "$arch" ""
echo "Build folder: $debian_build_source/obj-$(dpkg-architecture -qDEB_HOST_GNU_TYPE)"
echo "Changes: $(ls "$debian_build_root"/tarnwell_*_"$arch".changes)"
echo "Package: $(ls "$debian_build_root"/tarnwell_*_"$arch".deb)"
