#!/usr/bin/env bash
# Runs a command inside a fresh, minimal Debian root made for this run alone, as a container-based
# CI would: nothing installed on this machine is there, so a script that uses a tool before
# installing it fails here as it would on a newcomer's machine. .ci/run runs the README's commands
# this way; run anything else to try it as a newcomer would.
#   scripts/clean-root.sh [COMMAND [ARG...]]   (as root; default: scripts/newcomer-check.sh)
# The command runs as root in a copy of this clone at /src/tarnwell (the checked-out commit with
# the uncommitted changes to tracked files; untracked files stay out). Shared with the root, and
# nothing else, are the caches a CI keeps between runs, under TARNWELL_CI_CACHE (default
# ${XDG_CACHE_HOME:-~/.cache}/tarnwell-ci): the base root as a tarball (made again when a week old
# or when this script or the machine's apt sources change), apt's downloaded packages and ccache's
# folder; and scripts/qt-windows.sh's Qt for Windows, where this machine keeps it.
# The root lives in its own mount and PID namespace: its mounts and processes end with the run,
# and the root is removed however the run ends (one left by a killed run goes at the next start).
. "$(dirname "$0")/errors.sh"
cd "$(dirname "$0")/.."
source_tree=$PWD

if [ "$(id -u)" -ne 0 ]; then
    echo "clean-root: run as root: it makes a Debian root and mounts /proc, /sys and /dev in it" >&2
    exit 1
fi
[ $# -gt 0 ] || set -- scripts/newcomer-check.sh

. scripts/debian-packages.sh
. scripts/debian-source.sh
ensure_debian_packages "The clean root" mmdebstrap git util-linux

started=$SECONDS
user_cache=${XDG_CACHE_HOME:-$HOME/.cache}
ci_cache=${TARNWELL_CI_CACHE:-$user_cache/tarnwell-ci}
qt_cache=$user_cache/tarnwell # where scripts/qt-windows.sh keeps its build, as root sees it inside
mkdir -p "$ci_cache/apt-archives" "$ci_cache/ccache" "$qt_cache"
suite=$(. /etc/os-release && echo "$VERSION_CODENAME")

# Debian's own archives from this machine's apt sources, and the settings by which this machine
# reaches them (a proxy, or accepting an archive snapshot's expired Release files).
sources=$ci_cache/sources.list
debian_apt_entries deb | grep -E '^deb (\[signed-by=/usr/share/keyrings/debian-archive[^]]*\] )?[a-z]' \
    >"$sources.new" || true
if [ ! -s "$sources.new" ]; then
    echo "clean-root: no Debian archive among this machine's apt sources; set TARNWELL_DEBIAN_MIRROR" >&2
    exit 1
fi
mv "$sources.new" "$sources"
access=$ci_cache/apt-access.conf
apt-config dump | grep -E '^Acquire::(Check-Valid-Until|Check-Date|Retries|ForceIPv[46]|(https?|ftp)::)' \
    >"$access" || true
extra=()
grep -q 'https://' "$sources" && extra+=(--include=ca-certificates)

# The base root: made once a week, and whenever what it is made from changes.
key=$(cat "$0" "$sources" "$access" | sha256sum | cut -c1-12)
base=$ci_cache/base-$suite-$key.tar
exec 8>"$ci_cache/base.lock"
flock 8
if [ -f "$base" ] && [ -z "$(find "$base" -mtime +6)" ]; then
    echo "clean-root: base root $base"
else
    echo "clean-root: making the base root ($suite, minbase) with mmdebstrap"
    rm -f "$ci_cache"/base-*.tar
    mmdebstrap --quiet --variant=minbase --format=tar --aptopt="$access" "${extra[@]}" "$suite" "$base.new" \
        "$sources"
    mv "$base.new" "$base"
fi
flock -u 8

# Roots of runs that were killed before they could remove them.
scratch=${TMPDIR:-/var/tmp}
for old in "$scratch"/tarnwell-root.*; do
    [ -f "$old/.owner" ] || continue
    kill -0 "$(cat "$old/.owner")" 2>/dev/null || rm -rf --one-file-system "$old"
done

root=$(mktemp -d "$scratch/tarnwell-root.XXXXXX")
namespace_pid=
remove_root() {
    local status=$?
    trap - EXIT INT TERM HUP
    # Ending the namespace's first process ends every process in it and releases its mounts.
    [ -z "$namespace_pid" ] || kill -KILL "$namespace_pid" 2>/dev/null || true
    [ -z "$namespace_pid" ] || wait "$namespace_pid" 2>/dev/null || true
    [ ! -d "$root/var/cache/apt/archives" ] ||
        find "$root/var/cache/apt/archives" -maxdepth 1 -name '*.deb' \
            -exec cp -n -l -t "$ci_cache/apt-archives" {} + 2>/dev/null || true
    if grep -q " ${root}/" /proc/self/mountinfo; then
        echo "clean-root: mounts are left under $root; not removing it" >&2
    else
        rm -rf --one-file-system "$root"
    fi
    echo "clean-root: done in $(((SECONDS - started) / 60)) min $(((SECONDS - started) % 60)) s (status $status)"
    exit "$status"
}
trap remove_root EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP
echo $$ >"$root/.owner"

tar --numeric-owner -xpf "$base" -C "$root"
cp /etc/resolv.conf "$root/etc/resolv.conf"
cp "$access" "$root/etc/apt/apt.conf.d/00tarnwell-archive-access"

# The clone: the commit checked out here, plus the changes to its tracked files.
commit=$(git stash create 2>/dev/null || true)
commit=${commit:-HEAD}
mkdir -p "$root/src"
git clone --quiet --no-hardlinks --no-checkout "$source_tree" "$root/src/tarnwell"
git -C "$root/src/tarnwell" checkout --quiet --detach "$(git rev-parse "$commit")"

# apt's downloads: linked in, and the new ones linked back when the run ends, so that two runs at
# once never wait on each other's apt lock.
archives=$root/var/cache/apt/archives
mkdir -p "$archives/partial"
find "$ci_cache/apt-archives" -maxdepth 1 -name '*.deb' -exec cp -l -t "$archives" {} +

# Where the other caches appear inside: Qt's where scripts/qt-windows.sh looks, ccache's by
# CCACHE_DIR. The same paths in every run, so that ccache's entries match.
mounts=(
    "$ci_cache/ccache:/var/cache/tarnwell-ccache"
    "$qt_cache:/root/.cache/tarnwell"
)
inside_env=(HOME=/root LANG=C.UTF-8 TERM="${TERM:-dumb}" CI="${CI:-}"
            PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
            CCACHE_DIR=/var/cache/tarnwell-ccache CCACHE_BASEDIR=/src/tarnwell CCACHE_NOHASHDIR=true
            CCACHE_MAXSIZE=10G)

echo "clean-root: running '$*' in $root"
# Started in the background, so that a signal reaches the trap above at once; the command keeps
# the terminal as its standard input.
unshare --mount --pid --fork --kill-child=SIGKILL --propagation private \
    bash -c '
        set -e
        root=$1 && shift
        mount -t proc proc "$root/proc"
        mount --rbind /sys "$root/sys"
        mount --bind /dev "$root/dev"
        mount --bind /dev/pts "$root/dev/pts"
        mount -t tmpfs -o mode=1777,nosuid,nodev shm "$root/dev/shm"
        while [ "$1" != -- ]; do
            mkdir -p "$root${1#*:}"
            mount --bind "${1%%:*}" "$root${1#*:}"
            shift
        done
        shift
        exec chroot "$root" /usr/bin/env -i "$@"
    ' clean-root "$root" "${mounts[@]}" -- "${inside_env[@]}" \
    bash -c 'cd /src/tarnwell && exec "$@"' run "$@" <&0 &
namespace_pid=$!
status=0
wait "$namespace_pid" || status=$?
namespace_pid=
exit "$status"
