#!/usr/bin/env bash
# Checks that every C++ file under version control is formatted as .clang-format says, so that
# style is never a review topic. Fix what it lists with: clang-format -i FILE...
. "$(dirname "$0")/errors.sh"
cd "$(dirname "$0")/.."
. scripts/debian-packages.sh
ensure_debian_packages "The format check" clang-format git
mapfile -t files < <(git ls-files '*.cpp' '*.h')
report=$(mktemp)
trap 'rm -f "$report"' EXIT
if ! clang-format --dry-run --Werror "${files[@]}" 2>"$report"; then
    grep -o '^[^:]*' "$report" | sort -u | sed 's/^/format-check: needs clang-format -i: /' >&2
    exit 1
fi
echo "format-check: ${#files[@]} C++ files formatted as .clang-format says"
