# Sourced by the Windows scripts here: Wine in a prefix of the build's own, never the user's.
#   start_wine PREFIX_DIR   makes the prefix if needed and starts its server; sets $wine (the
#                           64-bit loader) and $wineserver, and stops the server when the script ends
#   find_wine               only sets $wine and $wineserver
# Wine has no Arial, the window's font: the prefix maps it to Liberation Sans, which has Arial's
# metrics and stands in for it on Linux too, so the window is laid out as Windows lays it out.

. scripts/debian-packages.sh

# Sets $wine and $wineserver, installing Wine first where it is missing: a lookup before the
# install would end the script on a machine that has never had Wine.
find_wine() {
    ensure_debian_packages "Running the Windows build under Wine" wine wine64
    local wine_dir=/usr/lib/wine
    [ -x "$wine_dir/wine64" ] || wine_dir=$(dirname "$(command -v wine64 || command -v wine)")
    wine=$wine_dir/wine64
    wineserver=$wine_dir/wineserver
    [ -x "$wineserver" ] || wineserver=$(command -v wineserver)
}

start_wine() {
    find_wine
    export WINEPREFIX=$1 WINEDEBUG=-all WINEARCH=win64
    # No Mono or Gecko installer prompts: nothing here needs either.
    export WINEDLLOVERRIDES="mscoree,mshtml="
    export HOME=${HOME:-$WINEPREFIX}
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "Creating the Wine prefix $WINEPREFIX"
        DISPLAY='' "$wine" wineboot -i >/dev/null 2>&1
        "$wineserver" -w  # the prefix is written out when the server ends
    fi
    # A server left running by an earlier run for this prefix is used as it is. It stays up for
    # the whole script (test discovery starts every test program once) and is stopped at the end.
    "$wineserver" -p 2>/dev/null || true
    trap '"$wineserver" -k 2>/dev/null || true' EXIT
    # Wine's own services start with the first program and keep its standard output open for as
    # long as they run: started here with theirs on /dev/null, they do not hold the pipes that test
    # discovery and ctest read to the end.
    "$wine" wineboot </dev/null >/dev/null 2>&1
    "$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /t REG_SZ \
        /d 'Liberation Sans' /f </dev/null >/dev/null 2>&1
}

# The Windows path of a file here (Wine shows the whole file system as drive Z:).
windows_path() {
    "$wine" winepath -w "$1" 2>/dev/null | tr -d '\r'
}
