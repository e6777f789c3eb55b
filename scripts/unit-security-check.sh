#!/usr/bin/env bash
# Holds every Tarnwell service to an exposure of at most 1.5 in systemd's own assessment
# (systemd-analyze security, systemd 252 or later), drop-ins included: prints each unit's figure
# and fails when one is above the bound.
#   scripts/unit-security-check.sh UNIT_DIR    (the units as installed, e.g. .../lib/systemd/system)
. "$(dirname "$0")/errors.sh"
unit_dir=${1:?usage: unit-security-check.sh UNIT_DIR}
bound=1.5

. "$(dirname "$0")/debian-packages.sh"
ensure_debian_packages "The unit security check" systemd

cd "$unit_dir"
failed=0
for unit in tarnwell-*.service; do
    # A template is assessed as one of its instances.
    name=${unit/@./@CHECK.}
    report=$(systemd-analyze security --offline=true --no-pager "$name" 2>&1) || true
    exposure=$(sed -n 's/^→ Overall exposure level for .*: \([0-9.]*\) .*/\1/p' <<<"$report")
    if [ -z "$exposure" ]; then
        echo "$report"
        echo "unit-security-check: no exposure figure for $name" >&2
        failed=1
    elif awk -v e="$exposure" -v b="$bound" 'BEGIN { exit !(e > b) }'; then
        echo "$report"
        echo "unit-security-check: $name: exposure $exposure, above $bound" >&2
        failed=1
    else
        echo "unit-security-check: $name: exposure $exposure (at most $bound)"
    fi
done
exit "$failed"
