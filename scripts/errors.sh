# Sourced first by every script here. `set -e` alone ends a script without a word: the trap names
# the script, the line and the command that failed, also inside functions and subshells.
set -Eeuo pipefail
trap 'echo "${BASH_SOURCE[0]##*/}: line $LINENO: \"$BASH_COMMAND\" failed with status $?" >&2' ERR
