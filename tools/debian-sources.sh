# Shell functions shared by tools/windows.sh and tools/web.sh, which build the
# game's libraries from Debian's own source packages. Sourced, not run. The
# caller sets:
#   me       its name, for messages ("windows.sh")
#   cache    the cache folder (its apt/ holds a private apt's lists)
#   build    where the sources unpack and the logs go
#   sources  where Debian's .orig tarballs are kept
#   deps     the prefix the libraries install into
# and defines configure_library, which runs CMake's configure step with the
# arguments given and its platform's toolchain.

# Runs a command with its output in $build/NAME.log; on failure shows the log's end.
quietly() {
    log=$build/$1.log
    shift
    if ! "$@" >>"$log" 2>&1; then
        echo "$me: failed: $*" >&2
        echo "---- last lines of $log ----" >&2
        tail -n 60 "$log" >&2
        exit 1
    fi
}

# apt-get with a private list of sources and private state under $cache/apt,
# so that the system's sources, lists and caches are left as they are.
apt_private() {
    apt-get -o Dir::Etc::SourceList=/dev/null \
        -o Dir::Etc::SourceParts="$cache/apt/sources.list.d" \
        -o Dir::State::Lists="$cache/apt/lists" \
        -o Dir::Cache="$cache/apt/cache" \
        -o APT::Sandbox::User=root \
        "$@"
}

# The Debian archive and suite the system installs from ("URI SUITE"), read
# from the first plain-suite deb entry (no -updates, -security...).
system_archive() {
    {
        if [ -f /etc/apt/sources.list ]; then
            sed -n 's/\[[^]]*\]//; s/^[[:space:]]*deb[[:space:]]\{1,\}\([^[:space:]]*\)[[:space:]]\{1,\}\([^[:space:]]*\).*/\1 \2/p' \
                /etc/apt/sources.list
        fi
        if [ -f /etc/apt/sources.list.d/debian.sources ]; then
            awk 'BEGIN { RS = ""; FS = "\n" }
                 {
                     deb = 0; uri = ""; suites = ""
                     for (i = 1; i <= NF; i++) {
                         if ($i ~ /^Types:/ && $i ~ /[[:space:]]deb([[:space:]]|$)/) deb = 1
                         if ($i ~ /^URIs:/) { split($i, f, /[[:space:]]+/); uri = f[2] }
                         if ($i ~ /^Suites:/) suites = $i
                     }
                     if (!deb || uri == "") next
                     n = split(suites, s, /[[:space:]]+/)
                     for (j = 2; j <= n; j++) print uri, s[j]
                 }' /etc/apt/sources.list.d/debian.sources
        fi
    } | awk '$2 !~ /-/ { print; exit }'
}

# Echoes the .orig tarball of source package $1 at upstream version $2 in $sources.
orig_tarball() {
    for tarball in "$sources/$1_$2".orig.tar.gz "$sources/$1_$2".orig.tar.xz "$sources/$1_$2".orig.tar.bz2 \
                   "$sources/$1_$2"+*.orig.tar.gz "$sources/$1_$2"+*.orig.tar.xz "$sources/$1_$2"+*.orig.tar.bz2; do
        if [ -f "$tarball" ]; then
            echo "$tarball"
            return
        fi
    done
}

# Points the private apt at the deb-src side of the system's archive and
# reads its list of source packages (once per run, and only when a tarball
# is missing).
prepare_apt() {
    [ -z "$apt_ready" ] || return 0
    archive=$(system_archive)
    [ -n "$archive" ] || { echo "$me: no Debian archive found in /etc/apt" >&2; exit 1; }
    mkdir -p "$cache/apt/sources.list.d" "$cache/apt/lists/partial" "$cache/apt/cache"
    {
        echo "Types: deb-src"
        echo "URIs: ${archive% *}"
        echo "Suites: ${archive#* }"
        echo "Components: main"
        [ ! -f /usr/share/keyrings/debian-archive-keyring.gpg ] ||
            echo "Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg"
    } >"$cache/apt/sources.list.d/debian-src.sources"
    quietly apt apt_private update
    apt_ready=yes
}

# Fetches the .orig tarball of source package $1, which must be upstream version $2.
fetch_source() {
    [ -z "$(orig_tarball "$1" "$2")" ] || return 0
    prepare_apt
    # 'URI' NAME SIZE HASH of the archive's .orig tarball: its name gives the version.
    orig=$(apt_private source --print-uris "$1" 2>>"$build/apt.log" | awk -v p="$1" \
        '$2 ~ "^" p "_[^_]*\\.orig\\.tar\\.[a-z0-9]+$" { print; exit }')
    [ -n "$orig" ] || { echo "$me: no source package $1 in $archive" >&2; exit 1; }
    set -- "$1" "$2" $orig
    found=${4#"$1"_}
    found=${found%.orig.tar.*}
    if [ "${found%%+*}" != "$2" ]; then
        echo "$me: Debian's $1 is now $found, this script builds $2: update it" >&2
        exit 1
    fi
    # The Debian part (.debian.tar.xz) can 404 once the archive moved on, and
    # the build only needs the .orig tarball: fetch that alone if apt-get fails.
    (cd "$sources" && apt_private source --download-only "$1") >>"$build/apt.log" 2>&1 ||
        [ -f "$sources/$4" ] ||
        quietly apt /usr/lib/apt/apt-helper -o APT::Sandbox::User=root \
            download-file "$(echo "$3" | tr -d "'")" "$sources/$4" "$6"
    [ -f "$sources/$4" ] || { echo "$me: could not fetch $4" >&2; exit 1; }
}

# Unpacks the .orig tarball of source package $1 (upstream version $2) into $build/$3.
unpack() {
    mkdir -p "$build/$3"
    tar -xf "$(orig_tarball "$1" "$2")" -C "$build/$3" --strip-components=1
}

# Edits a source file with the sed expression $3, which must replace every
# occurrence of the text $2: stops the build if $2 is not there, or still is.
patch_source() {
    if ! grep -qF "$2" "$1"; then
        echo "$me: '$2' not found in $1: the patch needs a look" >&2
        exit 1
    fi
    sed -i "$3" "$1"
    if grep -qF "$2" "$1"; then
        echo "$me: '$2' still in $1 after patching" >&2
        exit 1
    fi
}

# Configures, builds and installs the CMake project in $2 into the prefix,
# with the options that follow; logs to $build/$1.log and times it.
cmake_library() {
    name=$1 source=$2
    shift 2
    started=$(date +%s)
    quietly "$name" configure_library -S "$source" -B "$build/$name-build" -G "Unix Makefiles" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$deps" "$@"
    quietly "$name" cmake --build "$build/$name-build" -j"$(nproc)"
    quietly "$name" cmake --install "$build/$name-build"
    timings="$timings $name $(($(date +%s) - started))s,"
}
