#!/usr/bin/env bash
# Builds Qt for 64-bit Windows (static, with mingw-w64) from Debian's own qt6-base source package,
# the same version as the Linux build's Qt, whose host tools (moc, uic, rcc) it uses. Debian
# packages no Qt for Windows, and nothing prebuilt is downloaded.
#   scripts/qt-windows.sh            build it unless the cache already has it
#   scripts/qt-windows.sh --prefix   print where it is (or will be) and build nothing
# The build is kept outside the clone, once per machine, in
#   ${XDG_CACHE_HOME:-$HOME/.cache}/tarnwell/qt6-windows-<source version>-<hash of the options>/
# so that every clone and every later run on the machine reuses it.
. "$(dirname "$0")/errors.sh"
cd "$(dirname "$0")/.."
root=$PWD

# Only what the window and its tests use: Core, Gui, Widgets, the Windows and offscreen platform
# plugins and the Windows styles. Modules the window does not use are off (sql, network, dbus,
# opengl, printsupport, concurrent, xml, testlib), and so are the image formats it reads or
# writes none of (jpeg, gif, ico; PNG stays for screenshots), Vulkan, and ICU (QLocale and the
# codecs do without). tabletevent: Debian's source drops the tablet header it needs. dynamicgl:
# with OpenGL off, the Windows plugin of 6.4.2 still compiles its dynamic-GL branch and fails.
# direct2d stays on: without it 6.4.2 leaves the DirectWrite font database out of Gui while the
# Windows plugin still refers to it, and every program fails to link.
qt_options=(
    -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF
)
for feature in sql network dbus opengl dynamicgl printsupport concurrent xml testlib vulkan \
    icu tabletevent jpeg gif ico; do
    qt_options+=("-DFEATURE_$feature=OFF")
done

# The cache's name comes from the installed Qt and compiler, so both are installed first.
. scripts/debian-packages.sh
. scripts/debian-source.sh
ensure_debian_packages "Qt for Windows" cmake ninja-build dpkg-dev qt6-base-dev qt6-base-dev-tools \
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix

toolchain=$root/cmake/mingw-w64-x86_64.cmake
# The build machine's own Qt: another architecture's may be installed beside it (scripts/arm64-check.sh).
version=$(dpkg-query -W -f='${source:Version}' "qt6-base-dev:$(dpkg --print-architecture)")
compiler=$(x86_64-w64-mingw32-g++-posix -dumpfullversion)
key=$(printf '%s\n' "${qt_options[@]}" "$compiler" | sha256sum | cut -c1-12)
cache=${XDG_CACHE_HOME:-$HOME/.cache}/tarnwell
prefix=$cache/qt6-windows-$version-$key
if [ "${1:-}" = --prefix ]; then
    echo "$prefix"
    exit 0
fi

[ -f "$prefix/.complete" ] && exit 0

mkdir -p "$cache"
# One build per machine at a time: a second run waits for the first and then finds it done.
exec 9>"$cache/qt6-windows.lock"
if ! flock -n 9; then
    echo "qt-windows: another run is building Qt for Windows; waiting for it"
    flock 9
fi
[ -f "$prefix/.complete" ] && exit 0

work=$prefix.work
log=$work/build.log
cat <<EOF
qt-windows: building Qt $version for Windows (static, mingw-w64) from Debian's qt6-base source.
  This happens once per machine: about half an hour of compiling with 2 cores free ($(nproc) here),
  longer on a busy machine (95 minutes once, shared with other builds).
  It goes to $prefix
  and every later run reuses it. Full log: $log
EOF
started=$SECONDS
rm -rf "$prefix"
# A build that was stopped (a CI time limit, a reboot) goes on where it was: Ninja compiles only
# what is missing.
if [ -f "$work/.configured" ]; then
    echo "qt-windows: going on with the build stopped earlier in $work"
else
    rm -rf "$work"
    mkdir -p "$work"
    echo "qt-windows: fetching the source package qt6-base=$version"
    fetch_debian_source "$work" "$work/src" "qt6-base=$version"
    source_dir=$(find "$work/src" -mindepth 1 -maxdepth 1 -type d | head -n 1)

    echo "qt-windows: configuring"
    # The toolchain file goes with the build, which then does not depend on this clone's place.
    cp "$toolchain" "$work/toolchain.cmake"
    if ! cmake -S "$source_dir" -B "$work/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$work/toolchain.cmake" \
        -DCMAKE_INSTALL_PREFIX="$prefix" "${qt_options[@]}" >"$log" 2>&1; then
        tail -n 40 "$log" >&2
        echo "qt-windows: configuring Qt failed; the whole log is $log" >&2
        exit 1
    fi
    touch "$work/.configured"
fi

# Ninja's "[done/total]" lines, shown every 5 % with the minutes so far.
show_progress() {
    local line finished total shown=0 step
    while IFS= read -r line; do
        [[ "$line" =~ ^\[([0-9]+)/([0-9]+)\] ]] || continue
        finished=${BASH_REMATCH[1]} total=${BASH_REMATCH[2]}
        step=$((finished * 20 / total))
        if [ "$step" -gt "$shown" ]; then
            shown=$step
            echo "qt-windows: $((step * 5)) % ($finished of $total steps, $(((SECONDS - started) / 60)) min)"
        fi
    done
}
echo "qt-windows: compiling"
if ! NINJA_STATUS='[%f/%t] ' cmake --build "$work/build" -j "${TARNWELL_QT_JOBS:-$(nproc)}" 2>&1 |
    tee -a "$log" | show_progress; then
    grep -B2 -A20 -m1 'FAILED:' "$log" >&2 || tail -n 40 "$log" >&2
    echo "qt-windows: compiling Qt failed; the whole log is $log" >&2
    exit 1
fi
cmake --install "$work/build" >>"$log" 2>&1
touch "$prefix/.complete"
rm -rf "$work"
echo "qt-windows: Qt for Windows built in $(((SECONDS - started) / 60)) min $(((SECONDS - started) % 60)) s"
