# Sourced by the scripts here: installs the Debian packages a script needs that are missing. As
# root it installs them; otherwise it prints the sudo line to run and exits.
#   ensure_debian_packages "what needs them" PACKAGE...
ensure_debian_packages() {
    local purpose=$1
    shift
    local missing=() p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -eq 0 ]; then
        apt-get update
        DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}"
    else
        echo "$purpose needs these Debian packages. Install them with:" >&2
        echo "  sudo apt-get install -y ${missing[*]}" >&2
        exit 1
    fi
}

# Sets the array debian_build_flags to CMake arguments for the build type and the compiler and
# linker flags with which dh builds the package (hardening included; needs dpkg-dev), in dh's
# order: so a build folder configured with them can be packaged without lintian warning about
# missing hardening, and its compiles are the package build's, which ccache then serves from one
# to the other (the prefix map's folder is not part of ccache's key).
set_debian_build_flags() {
    local cppflags cxxflags ldflags
    cppflags=$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get CPPFLAGS)
    cxxflags=$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get CXXFLAGS)
    ldflags=$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get LDFLAGS)
    debian_build_flags=(-DCMAKE_BUILD_TYPE=None -DCMAKE_CXX_FLAGS="$cxxflags $cppflags"
                        -DCMAKE_EXE_LINKER_FLAGS="$ldflags")
}
