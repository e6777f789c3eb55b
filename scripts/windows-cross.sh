#!/usr/bin/env bash
# Cross-builds Tarnwell for 64-bit Windows with Debian's mingw-w64 and tests it under Wine: the
# libraries, the command-line programs, the window and the demo (on Qt for Windows, built once per
# machine from Debian's source by scripts/qt-windows.sh), the installer and the zip, and every test
# program, the window's on the offscreen platform. Then the demo runs under Wine on a virtual X
# display (scripts/windows-demo-check.sh) and the installer installs and uninstalls silently
# (scripts/windows-installer-check.sh).
#   scripts/windows-cross.sh [BUILD_DIR]     (default: build-windows)
# BUILD_DIR holds everything but Qt: deps/ (hidapi and GoogleTest built for Windows from Debian's
# sources, kept between runs), wine/ (a private Wine prefix) and tarnwell/ (the project, with
# tarnwell-VERSION-setup.exe and tarnwell-VERSION-windows-x64.zip).
# Wine runs headless but for the demo's check: no display is needed, and root is fine.
. "$(dirname "$0")/errors.sh"
cd "$(dirname "$0")/.."
root=$PWD
build=$(realpath -m "${1:-build-windows}")
deps=$build/deps
toolchain=$root/cmake/mingw-w64-x86_64.cmake

. scripts/debian-packages.sh
. scripts/debian-source.sh
. scripts/wine-prefix.sh
# dpkg-dev unpacks the source packages; googletest puts its sources in /usr/src; the icon is drawn
# with librsvg and packed with icoutils; nsis makes the installer; the demo's check draws on Xvfb.
ensure_debian_packages "The Windows cross-build" cmake ninja-build pkg-config dpkg-dev ccache \
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix wine wine64 googletest \
    qt6-base-dev qt6-base-dev-tools librsvg2-bin icoutils nsis xvfb xauth imagemagick \
    fonts-liberation nlohmann-json3-dev libcli11-dev

started=$SECONDS
mkdir -p "$deps"

# cross_cmake SOURCE BUILD [CMAKE ARGS...]: configure, build and install into deps/.
cross_cmake() {
    local source=$1 dir=$2
    shift 2
    cmake -S "$source" -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$deps" -DBUILD_SHARED_LIBS=OFF \
        "$@" >/dev/null
    cmake --build "$dir" >/dev/null
    cmake --install "$dir" >/dev/null
}

if [ ! -f "$deps/lib/libhidapi.a" ]; then
    echo "windows-cross: building hidapi's Windows backend from Debian's source package"
    ls -d "$build"/deps-src/hidapi-*/ >/dev/null 2>&1 ||
        fetch_debian_source "$build" "$build/deps-src" hidapi
    hidapi_source=$(ls -d "$build"/deps-src/hidapi-*/ | head -n 1)
    cross_cmake "$hidapi_source" "$build/deps-build/hidapi" -DHIDAPI_BUILD_HIDTEST=OFF
fi
if [ ! -f "$deps/lib/libgtest.a" ]; then
    echo "windows-cross: building GoogleTest from /usr/src/googletest"
    cross_cmake /usr/src/googletest "$build/deps-build/googletest" -DINSTALL_GTEST=ON
fi

# The header-only libraries serve both builds as Debian installs them: their header folders and
# CMake package files are linked into deps/, where the cross-build looks for packages, so that it
# finds them without seeing the rest of the host's /usr/include.
link_host_package() {
    local headers=$1 package=$2
    mkdir -p "$deps/include" "$deps/share/cmake"
    ln -sfn "/usr/include/$headers" "$deps/include/$headers"
    ln -sfn "/usr/share/cmake/$package" "$deps/share/cmake/$package"
}
link_host_package nlohmann nlohmann_json
link_host_package CLI CLI11

# Qt for Windows: a long build on a machine's first run, nothing afterwards.
scripts/qt-windows.sh
qt=$(scripts/qt-windows.sh --prefix)
echo "windows-cross: Qt for Windows from $qt"

unset DISPLAY WAYLAND_DISPLAY
start_wine "$build/wine"

echo "windows-cross: building Tarnwell for Windows"
# The divider search's comparison with the literal enumeration sweeps fewer frequencies, as under
# the sanitizers: the full sweep runs natively, and here takes minutes on mingw's slower libm.
# Qt's own tools (moc, uic) are the Linux build's: same version, run on this machine.
PKG_CONFIG_LIBDIR=$deps/lib/pkgconfig PKG_CONFIG_PATH='' PKG_CONFIG_SYSROOT_DIR='' \
cmake -S "$root" -B "$build/tarnwell" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_FIND_ROOT_PATH="$deps;$qt" -DCMAKE_BUILD_TYPE=Release -DTARNWELL_WERROR=ON \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DTARNWELL_BUILD_BENCHMARKS=OFF -DCMAKE_CXX_COMPILER_LAUNCHER=ccache \
    -DCMAKE_CXX_FLAGS=-DTARNWELL_SHORT_ORACLE_SWEEP=1 >/dev/null
cmake --build "$build/tarnwell"

# The command-line planner as a person would run it.
plan=$("$wine" "$build/tarnwell/bin/tarnwell-plan.exe" 10000000 | tr -d '\r')
expected="10000000: found preferred GPS=4687500 N31=5 N2_HS=11 N2_LS=512 N1_HS=11 NC1_LS=48 NC2_LS=48 BW=15 F3=937500 Fosc=5.28"
if [ "$plan" != "$expected" ]; then
    printf 'windows-cross: tarnwell-plan.exe answered\n  %s\ninstead of\n  %s\n' "$plan" "$expected" >&2
    exit 1
fi
echo "windows-cross: tarnwell-plan.exe under Wine: $plan"

# A test that hangs under Wine fails after ten minutes and runs once more, instead of holding the
# run. (Window tests once hung there: a thread started for a clock's open at times never ran, until
# every such call went to threads that never end, src/device/SpareThreads.h.)
ctest --test-dir "$build/tarnwell" --output-on-failure -j "$(nproc)" --timeout 600 \
    --repeat after-timeout:2
scripts/windows-installer-check.sh "$build"
scripts/windows-demo-check.sh "$build"
echo "windows-cross: done in $((SECONDS - started)) s"
