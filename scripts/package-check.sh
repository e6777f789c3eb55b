#!/usr/bin/env bash
# Checks the Debian packages that scripts/debian-build.sh (or scripts/arm64-check.sh) built: lintian
# on the .changes (the source package, when it holds one, and the binary packages), and in each
# binary package systemd-analyze verify on its units, appstreamcli on the AppStream metadata and
# desktop-file-validate on the desktop entries. Any error or warning fails the run.
#   scripts/package-check.sh [CHANGES]     (default: this machine's architecture's, in build-deb/)
. "$(dirname "$0")/errors.sh"
cd "$(dirname "$0")/.."

. scripts/debian-packages.sh
ensure_debian_packages "The package check" dpkg-dev lintian appstream desktop-file-utils systemd

changes=${1:-$(ls build-deb/tarnwell_*_"$(dpkg --print-architecture)".changes)}
[ -f "$changes" ] || { echo "No .changes file $changes: run scripts/debian-build.sh first." >&2; exit 1; }
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
failed=0

echo "== lintian $changes"
lintian --fail-on error,warning --display-level '>=warning' "$changes" || failed=1

# The binary packages the .changes lists, less the debug symbols.
debs=$(sed -n '/^Files:/,/^[^ ]/s/^ .* \(tarnwell_[^ ]*\.deb\)$/\1/p' "$changes")
for name in $debs; do
    deb=$(dirname "$changes")/$name
    root=$stage/${name%.deb}
    dpkg-deb -x "$deb" "$root"

    # The units as installed, pointed at the packaged programs (verify wants the commands to
    # exist), a template as one instance.
    echo "== systemd-analyze verify ($name)"
    units=$root.units
    mkdir "$units"
    instances=()
    for unit in "$root"/lib/systemd/system/*.service; do
        sed "s|/usr/bin/tarnwell|$root/usr/bin/tarnwell|g" "$unit" >"$units/${unit##*/}"
        instances+=("./$(basename "${unit/@./@CHECK.}")")
    done
    report=$(cd "$units" && systemd-analyze verify --man=no "${instances[@]}" 2>&1) || failed=1
    if [ -n "$report" ]; then
        echo "$report"
        failed=1
    fi
    scripts/unit-security-check.sh "$root/lib/systemd/system" || failed=1

    for metainfo in "$root"/usr/share/metainfo/*.xml; do
        echo "== appstreamcli validate ${metainfo#"$root"} ($name)"
        appstreamcli validate --no-net "$metainfo" || failed=1
    done

    for entry in "$root"/usr/share/applications/*.desktop; do
        echo "== desktop-file-validate ${entry#"$root"} ($name)"
        # Warnings leave its exit status at 0, so any output counts as a failure.
        report=$(desktop-file-validate "$entry" 2>&1) || failed=1
        if [ -n "$report" ]; then
            echo "$report"
            failed=1
        fi
    done
done

if [ "$failed" -ne 0 ] || [ -z "$debs" ]; then
    echo "The package check failed." >&2
    exit 1
fi
echo "The package check passed: $changes"
