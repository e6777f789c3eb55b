#!/usr/bin/env bash
# Installs Tarnwell under Wine with the installer the Windows build made, silently (/S, as an
# administrator deploys it), asks two installed programs for an answer, and uninstalls it again:
# every installed file, the Start-menu entries and the uninstall registration must be gone.
#   scripts/windows-installer-check.sh [BUILD_DIR]   (default build-windows; scripts/windows-cross.sh
#                                                    builds it and runs this)
. "$(dirname "$0")/errors.sh"
cd "$(dirname "$0")/.."
build=$(realpath -m "${1:-build-windows}")
. scripts/wine-prefix.sh

fail() {
    echo "windows-installer-check: $*" >&2
    exit 1
}
installer=$(find "$build/tarnwell" -maxdepth 1 -name 'tarnwell-*-setup.exe' | head -n 1)
[ -n "$installer" ] || fail "no installer in $build/tarnwell; scripts/windows-cross.sh builds it"
start_wine "$build/wine"

install_dir="$WINEPREFIX/drive_c/Program Files/Tarnwell"
start_menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Tarnwell"
registration='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tarnwell'
installed_files=(LICENSE.txt tarnwell-ctl.exe tarnwell-demo.exe tarnwell-plan.exe tarnwell.exe uninstall.exe)
shortcuts=("Tarnwell demo.lnk" Tarnwell.lnk)

listing() {
    (cd "$1" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
}
registered() {
    "$wine" reg query "$registration" </dev/null >/dev/null 2>&1
}

# A run stopped half-way left it installed: the uninstaller cleans up first.
[ -f "$install_dir/uninstall.exe" ] && "$wine" "$install_dir/uninstall.exe" /S </dev/null && sleep 5

"$wine" "$installer" /S </dev/null
[ "$(listing "$install_dir")" = "$(printf '%s\n' "${installed_files[@]}")" ] ||
    fail "installed $(listing "$install_dir" | tr '\n' ' ')instead of ${installed_files[*]}"
[ "$(listing "$start_menu")" = "$(printf '%s\n' "${shortcuts[@]}")" ] ||
    fail "Start-menu entries $(listing "$start_menu" | tr '\n' ' ')instead of ${shortcuts[*]}"
registered || fail "the uninstaller is not registered in $registration"

version=$("$wine" "$install_dir/tarnwell-ctl.exe" --version </dev/null | tr -d '\r')
[[ "$version" == tarnwell-ctl\ * ]] || fail "installed tarnwell-ctl.exe --version answered '$version'"
plan=$("$wine" "$install_dir/tarnwell-plan.exe" 10000000 </dev/null | tr -d '\r')
[[ "$plan" == "10000000: found "* ]] || fail "installed tarnwell-plan.exe 10000000 answered '$plan'"
echo "windows-installer-check: installed; tarnwell-ctl.exe --version: $version"

# The uninstaller runs from a copy in the temporary folder, so that it can delete itself, and the
# first one returns at once: wait for the copy to finish.
"$wine" "$install_dir/uninstall.exe" /S </dev/null
for _ in $(seq 60); do
    [ -e "$install_dir" ] || [ -e "$start_menu" ] || registered || break
    sleep 0.5
done
[ ! -e "$install_dir" ] || fail "left behind in the install folder: $(listing "$install_dir" | tr '\n' ' ')"
[ ! -e "$start_menu" ] || fail "left behind in the Start menu: $(listing "$start_menu" | tr '\n' ' ')"
! registered || fail "the uninstall registration $registration is still there"
echo "windows-installer-check: silent install and uninstall under Wine passed"
