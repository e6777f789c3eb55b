# Sourced by scripts/debian-build.sh and scripts/arm64-check.sh: builds the Debian package from
# debian/ with dpkg-buildpackage, on a copy of the source in build-deb/tarnwell (the files git
# knows, committed or not), so the work tree stays clean and the source package holds only the
# project's files. The packages and .changes land in build-deb/.
#   build_debian_package ARCH PROFILES DPKG_BUILDPACKAGE_OPTION...
# Compiler warnings are errors (DEB_BUILD_OPTIONS=werror), ccache serves every compile, and the
# log shows each step, not each command (terse).
# Needs the packages of debian_build_tools, and scripts/debian-packages.sh sourced first.

debian_build_root=$PWD/build-deb
debian_build_source=$debian_build_root/tarnwell
debian_build_tools=(dpkg-dev git ccache)

# Makes the copy anew, keeping build folders of other architectures (a later step may still use
# them), and none at all when the source package is built too: dpkg-source would pack them.
stage_debian_source() {
    local keep_builds=$1 entry
    mkdir -p "$debian_build_source"
    for entry in "$debian_build_source"/* "$debian_build_source"/.[!.]*; do
        [ -e "$entry" ] || continue
        if [ "$keep_builds" = yes ] && [[ ${entry##*/} == obj-* ]]; then
            continue
        fi
        rm -rf "$entry"
    done
    git ls-files -z --cached --others --exclude-standard |
        while IFS= read -r -d '' entry; do [ -e "$entry" ] && printf '%s\0' "$entry"; done |
        tar --null -T - -cf - | tar -xf - -C "$debian_build_source"
}

# Installs what debian/control's Build-Depends ask for ARCH under PROFILES (as root; otherwise
# prints the line to run and exits).
ensure_build_dependencies() {
    local arch=$1 profiles=$2
    local options=(-a "$arch")
    [ -n "$profiles" ] && options+=(-P "$profiles")
    (cd "$debian_build_source" && dpkg-checkbuilddeps "${options[@]}") 2>/dev/null && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "The package build needs its build dependencies. Install them with:" >&2
        echo "  sudo apt-get build-dep -y ${options[*]} ./" >&2
        exit 1
    fi
    apt-get update
    (cd "$debian_build_source" &&
        DEBIAN_FRONTEND=noninteractive apt-get build-dep -y "${options[@]}" ./)
}

build_debian_package() {
    local arch=$1 profiles=$2
    shift 2
    local keep_builds=yes
    [[ " $* " == *" -b "* ]] || keep_builds=no
    stage_debian_source "$keep_builds"
    ensure_build_dependencies "$arch" "$profiles"
    local stats=$debian_build_root/ccache-$arch.log
    rm -f "$stats" "$debian_build_root"/tarnwell[-_]*"$arch".*
    [ "$keep_builds" = yes ] || rm -f "$debian_build_root"/tarnwell_*.dsc "$debian_build_root"/tarnwell_*.tar.*
    local options=(-a "$arch" -us -uc -j"$(nproc)")
    [ -n "$profiles" ] && options+=("--build-profiles=$profiles")
    # The compilers through ccache (its links are made for every compiler installed), paths in the
    # cache relative to the copy, so a copy elsewhere hits too. The cache named outright: debhelper
    # gives the build a HOME of its own inside the copy, where ccache's default would not outlive it.
    local cache
    cache=$(ccache -k cache_dir)
    (cd "$debian_build_source" &&
        PATH=/usr/lib/ccache:$PATH CCACHE_DIR=$cache CCACHE_BASEDIR=$debian_build_source \
        CCACHE_STATSLOG=$stats \
        DEB_BUILD_OPTIONS="werror noautodbgsym terse ${DEB_BUILD_OPTIONS:-}" \
        nice dpkg-buildpackage "${options[@]}" "$@")
    echo "ccache for this build:"
    CCACHE_STATSLOG=$stats ccache --show-log-stats | grep -E 'Hits|Misses' || true
}
