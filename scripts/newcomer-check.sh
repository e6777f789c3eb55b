#!/usr/bin/env bash
# Runs the README's two commands as a newcomer on a fresh Debian 12 machine meets them, and checks
# what they see. Meant for a fresh root (scripts/clean-root.sh runs it there, and so does .ci/run):
#   1. as an unprivileged user, `scripts/dev.sh run` and `scripts/dev.sh test` each print the
#      `sudo apt-get install ...` line to run, and nothing else;
#   2. as root, `scripts/dev.sh run` installs, builds and opens the window named "Tarnwell" on a
#      virtual display within 120 s of the build's end; it stays up, and the check closes it;
#   3. as root, `scripts/dev.sh test`.
#   scripts/newcomer-check.sh      (as root)
. "$(dirname "$0")/errors.sh"
cd "$(dirname "$0")/.."
source_tree=$PWD

fail() {
    echo "newcomer-check: $*" >&2
    exit 1
}
[ "$(id -u)" -eq 0 ] || fail "run as root, on a fresh machine or in scripts/clean-root.sh"
window_deadline=120 # seconds from the build's end until the window must be there
build_deadline=3600 # seconds for installing and building

# 1. Without root: the sudo line, and no other word.
nobody_home=$(mktemp -d)
chown 65534:65534 "$nobody_home"
for command in run test; do
    status=0
    said=$(setpriv --reuid=65534 --regid=65534 --clear-groups \
        env HOME="$nobody_home" scripts/dev.sh "$command" 2>&1) || status=$?
    first=$(sed -n 1p <<<"$said")
    second=$(sed -n 2p <<<"$said")
    if [ "$status" -ne 1 ] || [ "$first" != "Tarnwell needs these Debian packages. Install them with:" ] ||
        [[ "$second" != "  sudo apt-get install -y "* ]] || [ "$(wc -l <<<"$said")" -ne 2 ]; then
        printf 'newcomer-check: without root, scripts/dev.sh %s exited %s and said:\n%s\n' \
            "$command" "$status" "$said" >&2
        exit 1
    fi
    echo "newcomer-check: without root, scripts/dev.sh $command asks for: ${second#  }"
done
rm -rf "$nobody_home"

# 2. The window, as the README's first command opens it.
. scripts/debian-packages.sh
ensure_debian_packages "The window check" xvfb xauth x11-utils
started=$SECONDS
log=$(mktemp)
xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24" scripts/dev.sh run >"$log" 2>&1 &
runner=$!
program=$source_tree/build/bin/tarnwell

# The pid of the running window program, once scripts/dev.sh has built and started it.
window_pid() {
    local process
    for process in /proc/[0-9]*; do
        if [ "$(readlink "$process/exe" 2>/dev/null)" = "$program" ]; then
            echo "${process#/proc/}"
            return 0
        fi
    done
    return 1
}
# Whether the display the program runs on shows a window named "Tarnwell".
window_shown() {
    local pid=$1 environment display authority
    environment=$(tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null) || return 1
    display=$(sed -n 's/^DISPLAY=//p' <<<"$environment")
    authority=$(sed -n 's/^XAUTHORITY=//p' <<<"$environment")
    DISPLAY=$display XAUTHORITY=$authority xwininfo -root -tree 2>/dev/null | grep -q '"Tarnwell"'
}
give_up() {
    kill "$runner" 2>/dev/null || true
    tail -n 40 "$log" >&2
    fail "$*"
}

pid=
until pid=$(window_pid); do
    kill -0 "$runner" 2>/dev/null || give_up "scripts/dev.sh run ended before starting the window"
    [ $((SECONDS - started)) -lt "$build_deadline" ] || give_up "no window program after ${build_deadline} s"
    sleep 2
done
built=$SECONDS
echo "newcomer-check: scripts/dev.sh run installed and built in $((built - started)) s"
until window_shown "$pid"; do
    kill -0 "$pid" 2>/dev/null || give_up "the window program ended before showing its window"
    [ $((SECONDS - built)) -lt "$window_deadline" ] ||
        give_up "no window named \"Tarnwell\" within ${window_deadline} s of the build's end"
    sleep 1
done
echo "newcomer-check: the window \"Tarnwell\" is up $((SECONDS - built)) s after the build"
sleep 10
window_shown "$pid" || give_up "the window did not stay up for 10 s"
kill -TERM "$pid"
wait "$runner" 2>/dev/null || true
rm -f "$log"
echo "newcomer-check: the window stayed up and was closed"

# 3. Every test.
exec scripts/dev.sh test
