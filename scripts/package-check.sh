#!/usr/bin/env bash
# Builds the Debian package as a packager would (Debian's hardening flags, the manual pages) in
# BUILD_DIR (default build-package), then checks what it holds: lintian on the package,
# systemd-analyze verify on its units, appstreamcli on the AppStream metadata and
# desktop-file-validate on the desktop entries. Any error or warning fails the run.
#   scripts/package-check.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build-package}

. scripts/debian-packages.sh
ensure_debian_packages "The package check" dpkg-dev lintian appstream desktop-file-utils help2man \
    systemd

set_debian_build_flags
# A folder configured before (scripts/dev.sh test passes its own, built with the same flags) is
# packaged as it is; a fresh one builds only what the package holds.
only_the_package=()
if [ ! -f "$dir/CMakeCache.txt" ]; then
    only_the_package=(-DTARNWELL_BUILD_TESTS=OFF -DTARNWELL_BUILD_BENCHMARKS=OFF)
fi
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${debian_build_flags[@]}" \
    "${only_the_package[@]}" -DTARNWELL_MAN_PAGES=ON
cmake --build "$dir"
rm -f "$dir"/tarnwell_*.deb
(cd "$dir" && cpack -G DEB)
debs=("$dir"/tarnwell_*.deb)
deb=${debs[0]}

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
dpkg-deb -x "$deb" "$stage"
failed=0

echo "== lintian $deb"
lintian --fail-on error,warning --display-level '>=warning' "$deb" || failed=1

# The units as installed, pointed at the packaged program: verify wants the commands to exist.
echo "== systemd-analyze verify"
units=$stage/verify
mkdir "$units"
for unit in "$stage"/usr/lib/systemd/system/*.service; do
    sed "s|/usr/bin/tarnwell-ctl|$stage/usr/bin/tarnwell-ctl|g" "$unit" >"$units/${unit##*/}"
done
report=$(cd "$units" && systemd-analyze verify --man=no ./tarnwell-metrics.service \
    ./tarnwell-apply@CHECK.service 2>&1) || failed=1
if [ -n "$report" ]; then
    echo "$report"
    failed=1
fi
scripts/unit-security-check.sh "$stage/usr/lib/systemd/system" || failed=1

for metainfo in "$stage"/usr/share/metainfo/*.xml; do
    echo "== appstreamcli validate ${metainfo#"$stage"}"
    appstreamcli validate --no-net "$metainfo" || failed=1
done

for entry in "$stage"/usr/share/applications/*.desktop; do
    echo "== desktop-file-validate ${entry#"$stage"}"
    # Warnings leave its exit status at 0, so any output counts as a failure.
    report=$(desktop-file-validate "$entry" 2>&1) || failed=1
    if [ -n "$report" ]; then
        echo "$report"
        failed=1
    fi
done

if [ "$failed" -ne 0 ]; then
    echo "The package check failed." >&2
    exit 1
fi
echo "The package check passed: $deb"
