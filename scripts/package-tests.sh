#!/usr/bin/env bash
# Runs debian/tests (Debian's autopkgtest) against the package that scripts/debian-build.sh
# built, installed on this machine: the null runner, as in the clean root CI runs in. As root
# only, since it installs the package; it removes the package again unless it was installed before.
#   scripts/package-tests.sh [CHANGES]     (default: this machine's architecture's, in build-deb/)
. "$(dirname "$0")/errors.sh"
cd "$(dirname "$0")/.."

if [ "$(id -u)" -ne 0 ]; then
    echo "Skipping the tests against the installed package: installing it needs root." >&2
    exit 0
fi
. scripts/debian-packages.sh
ensure_debian_packages "The installed-package tests" dpkg-dev autopkgtest

changes=${1:-$(ls build-deb/tarnwell_*_"$(dpkg --print-architecture)".changes)}
installed_before=no
dpkg-query -W -f='${Status}' tarnwell 2>/dev/null | grep -q "install ok installed" && installed_before=yes
status=0
autopkgtest "$changes" -- null || status=$?
if [ "$installed_before" = no ]; then
    DEBIAN_FRONTEND=noninteractive apt-get purge -y -q tarnwell >/dev/null
fi
exit "$status"
