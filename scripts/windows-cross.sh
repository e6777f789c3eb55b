#!/usr/bin/env bash
# Cross-builds the Qt-free part of Tarnwell for 64-bit Windows with Debian's mingw-w64 and runs
# its tests under Wine: the libraries, tarnwell-plan, the hidapi backend on hidapi's own Windows
# backend, and every test program that needs no Qt. The window needs Qt for Windows, which Debian
# does not package, so it is not built here.
#   scripts/windows-cross.sh [BUILD_DIR]     (default: build-windows)
# BUILD_DIR holds everything: deps/ (hidapi and GoogleTest built for Windows from Debian's
# sources, kept between runs), wine/ (a private Wine prefix) and tarnwell/ (the project).
# Wine runs headless: no display is needed, and root is fine.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$(realpath -m "${1:-build-windows}")
deps=$build/deps
toolchain=$root/cmake/mingw-w64-x86_64.cmake
# Where Debian's source packages come from; the machine's own release by default.
mirror=${TARNWELL_DEBIAN_MIRROR:-http://deb.debian.org/debian}
suite=${TARNWELL_DEBIAN_SUITE:-$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")}

. scripts/debian-packages.sh
# dpkg-dev unpacks the hidapi source package; googletest puts its sources in /usr/src.
ensure_debian_packages "The Windows cross-build" cmake ninja-build pkg-config dpkg-dev \
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix wine wine64 googletest \
    nlohmann-json3-dev libcli11-dev

started=$SECONDS
mkdir -p "$deps"

# hidapi's source package from the Debian archive, through a private source list and package
# cache, so that the machine's apt setup is neither needed nor changed.
fetch_hidapi_source() {
    local apt=$build/apt
    mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial" "$build/deps-src"
    echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $mirror $suite main" \
        >"$apt/sources.list"
    local options=(-o "Dir::Etc::sourcelist=$apt/sources.list" -o "Dir::Etc::sourceparts=-"
                   -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache=$apt/cache"
                   -o "APT::Sandbox::User=$(id -un)" -q)
    apt-get "${options[@]}" update >/dev/null
    (cd "$build/deps-src" && apt-get "${options[@]}" source hidapi >/dev/null)
    rm -rf "$apt"
}

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
    ls -d "$build"/deps-src/hidapi-*/ >/dev/null 2>&1 || fetch_hidapi_source
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

# Wine, headless and in a prefix of its own. wineserver stays up for the whole build and test
# run (test discovery starts every test program once) and is stopped at the end.
wine_dir=/usr/lib/wine
[ -x "$wine_dir/wine64" ] || wine_dir=$(dirname "$(command -v wine64 || command -v wine)")
export WINEPREFIX=$build/wine WINEDEBUG=-all WINEARCH=win64
# No Mono or Gecko installer prompts: the tests need neither.
export WINEDLLOVERRIDES="mscoree,mshtml="
export HOME=${HOME:-$build}
unset DISPLAY WAYLAND_DISPLAY
wineserver=$wine_dir/wineserver
[ -x "$wineserver" ] || wineserver=$(command -v wineserver)
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "windows-cross: creating the Wine prefix"
    "$wine_dir/wine64" wineboot -i >/dev/null 2>&1
    "$wineserver" -w  # the prefix is written out when the server ends
fi
# A server left running by an earlier run for this prefix is used as it is.
"$wineserver" -p 2>/dev/null || true
trap '"$wineserver" -k 2>/dev/null || true' EXIT
# Wine's own services start with the first program and keep its standard output open for as long
# as they run: started here with theirs on /dev/null, they do not hold the pipes that test
# discovery and ctest read to the end.
"$wine_dir/wine64" wineboot </dev/null >/dev/null 2>&1

echo "windows-cross: building Tarnwell for Windows"
# The divider search's comparison with the literal enumeration sweeps fewer frequencies, as under
# the sanitizers: the full sweep runs natively, and here takes minutes on mingw's slower libm.
PKG_CONFIG_LIBDIR=$deps/lib/pkgconfig PKG_CONFIG_PATH='' PKG_CONFIG_SYSROOT_DIR='' \
cmake -S "$root" -B "$build/tarnwell" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_FIND_ROOT_PATH="$deps" -DCMAKE_BUILD_TYPE=Release -DTARNWELL_WERROR=ON \
    -DTARNWELL_BUILD_WINDOW=OFF -DTARNWELL_BUILD_BENCHMARKS=OFF \
    -DCMAKE_CXX_FLAGS=-DTARNWELL_SHORT_ORACLE_SWEEP=1 >/dev/null
cmake --build "$build/tarnwell"

# The command-line planner as a person would run it.
plan=$("$wine_dir/wine64" "$build/tarnwell/bin/tarnwell-plan.exe" 10000000 | tr -d '\r')
expected="10000000: found preferred GPS=4687500 N31=5 N2_HS=11 N2_LS=512 N1_HS=11 NC1_LS=48 NC2_LS=48 BW=15 F3=937500 Fosc=5.28"
if [ "$plan" != "$expected" ]; then
    printf 'windows-cross: tarnwell-plan.exe answered\n  %s\ninstead of\n  %s\n' "$plan" "$expected" >&2
    exit 1
fi
echo "windows-cross: tarnwell-plan.exe under Wine: $plan"

ctest --test-dir "$build/tarnwell" --output-on-failure -j "$(nproc)"
echo "windows-cross: done in $((SECONDS - started)) s"
