# Sourced by the scripts here: fetches Debian source packages without needing or changing the
# machine's apt setup. The source list is made from the machine's own apt configuration (its
# `deb` entries, one-line and deb822, turned into `deb-src`), so sources come from wherever its
# binary packages come from. TARNWELL_DEBIAN_MIRROR (with TARNWELL_DEBIAN_SUITE, the machine's
# release by default) replaces that list with one archive.
#   fetch_debian_source WORK_DIR DEST_DIR PACKAGE[=VERSION]
# unpacks the source package (patches applied; needs dpkg-dev) into DEST_DIR. WORK_DIR holds
# apt's private lists and downloads for the time of the call.

# Prints the machine's `deb` entries as one-line entries of TYPE (deb or deb-src).
#   debian_apt_entries TYPE
debian_apt_entries() {
    local type=$1
    if [ -n "${TARNWELL_DEBIAN_MIRROR:-}" ]; then
        local suite=${TARNWELL_DEBIAN_SUITE:-$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")}
        echo "$type [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $TARNWELL_DEBIAN_MIRROR $suite main"
        return
    fi
    local list
    for list in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -f "$list" ] && sed -n "s/^[[:space:]]*deb[[:space:]]/$type /p" "$list"
    done
    for list in /etc/apt/sources.list.d/*.sources; do
        [ -f "$list" ] || continue
        # deb822: stanzas split by blank lines; continuation lines (inline keys) are left out.
        awk -v type="$type" '
            function flush(   u, s, n, m, uris, suites, opts) {
                if (types ~ /(^| )deb( |$)/ && tolower(enabled) != "no") {
                    opts = signedby == "" ? "" : "[signed-by=" signedby "] "
                    n = split(uri, uris, " "); m = split(suite, suites, " ")
                    for (u = 1; u <= n; u++)
                        for (s = 1; s <= m; s++)
                            print type " " opts uris[u] " " suites[s] (suites[s] ~ /\/$/ ? "" : " " comps)
                }
                types = uri = suite = comps = signedby = enabled = ""
            }
            /^[[:space:]]*$/ { flush(); next }
            /^#/ || /^[[:space:]]/ { next }
            {
                key = tolower($1); sub(/:$/, "", key)
                value = $0; sub(/^[^:]*:[[:space:]]*/, "", value); sub(/[[:space:]]+$/, "", value)
                if (key == "types") types = value
                else if (key == "uris") uri = value
                else if (key == "suites") suite = value
                else if (key == "components") comps = value
                else if (key == "signed-by" && value != "") signedby = value
                else if (key == "enabled") enabled = value
            }
            END { flush() }
        ' "$list"
    done
}

fetch_debian_source() {
    local work=$1 dest=$2 package=$3
    local apt=$work/apt
    mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial" "$dest"
    debian_apt_entries deb-src >"$apt/sources.list"
    if [ ! -s "$apt/sources.list" ]; then
        echo "No deb entries in /etc/apt/sources.list{,.d}; set TARNWELL_DEBIAN_MIRROR to a Debian archive." >&2
        return 1
    fi
    local options=(-o "Dir::Etc::sourcelist=$apt/sources.list" -o "Dir::Etc::sourceparts=-"
                   -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache=$apt/cache"
                   -o "APT::Sandbox::User=$(id -un)" -q)
    # A repository among the machine's that publishes no sources fails the update; apt-get
    # source below says whether the package was found in the others.
    apt-get "${options[@]}" update >"$apt/update.log" 2>&1 || true
    if ! (cd "$dest" && apt-get "${options[@]}" source "$package" >"$apt/source.log" 2>&1); then
        echo "Fetching the source package $package failed:" >&2
        cat "$apt/update.log" "$apt/source.log" >&2
        return 1
    fi
    rm -rf "$apt"
}
