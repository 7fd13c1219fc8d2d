#!/bin/sh
# Builds Zephyrion for the web browser with Debian's Emscripten: the page,
# build-web/zephyrion-<version>-web.zip, whose folder any static web server
# can serve (the page must come over HTTP: from file:// it never starts).
# Run from anywhere, as root.
#
#   tools/web.sh            builds the libraries (once) and the page
#   tools/web.sh --serve    builds, then serves the page on http://127.0.0.1:8080/
#                           (ZEPHYRION_WEB_PORT sets another port)
#
# The libraries are built static, as WebAssembly, from Debian's own source
# packages into a prefix cached outside the clone (one folder per set of
# versions; a finished one is reused as it is); the asset tools run under node.
#
#   ZEPHYRION_WEB_CACHE     where the prefixes, sources and build logs go
#                           (default: ~/.cache/zephyrion-web)
set -e
cd "$(dirname "$0")/.."

serve=""
case "$1" in
    "") ;;
    --serve) serve=yes ;;
    *) echo "usage: tools/web.sh [--serve]" >&2; exit 2 ;;
esac

packages="emscripten nodejs cmake make dpkg-dev zip xz-utils python3 fonts-dejavu-core"
tools/install-packages.sh $packages

# Debian's emcc runs on the machine's node, which may be newer than Debian's:
# its modules are Debian's, and node fetches nothing (emcc's programs read
# their .wasm from the disk, not through fetch).
export NODE_PATH=/usr/share/nodejs
export NODE_OPTIONS=--no-experimental-fetch
node=$(command -v node)

# ---------------------------------------------------------------------------
# Dependencies: zlib, libpng, FreeType, SDL2, Allegro 4.4 with loadpng
# ---------------------------------------------------------------------------
# Upstream versions of Debian 12's source packages and of its Emscripten. The
# prefix is keyed on them and on the recipe number below.
allegro_version=4.4.3.1
zlib_version=1.2.13.dfsg
png_version=1.6.39
freetype_version=2.12.1
sdl_version=2.26.5
emscripten_version=$(dpkg-query -W -f='${Version}' emscripten)
emscripten_version=${emscripten_version%%[-~+]*}
recipe=1   # bump whenever the way a library is built below changes

cache=${ZEPHYRION_WEB_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/zephyrion-web}
mkdir -p "$cache"
cache=$(cd "$cache" && pwd)
key=allegro-$allegro_version.zlib-$zlib_version.png-$png_version.freetype-$freetype_version.sdl-$sdl_version.emscripten-$emscripten_version.r$recipe
deps=$cache/$key            # the prefix: include/, lib/
build=$cache/build/$key     # sources, build trees and one log per library
sources=$cache/sources      # Debian's .orig tarballs, kept across recipes
stamp=$deps/.complete       # written last: its presence means the prefix is whole
me=web.sh
. tools/debian-sources.sh   # quietly, fetch_source, unpack, patch_source, cmake_library

# How cmake_library configures a library for the web: Emscripten's toolchain,
# with CMake's checks that run a program running it under node.
configure_library() {
    emcmake cmake "$@" -DCMAKE_CROSSCOMPILING_EMULATOR="$node" \
        -DCMAKE_PREFIX_PATH="$deps" -DCMAKE_FIND_ROOT_PATH="$deps"
}

if [ -f "$stamp" ]; then
    echo "Web dependencies: up to date in $deps"
else
    echo "Web dependencies: building into $deps (logs in $build)"
    started_all=$(date +%s)
    timings=""
    apt_ready=""
    rm -rf "$deps" "$build"
    mkdir -p "$deps" "$build" "$sources"

    started=$(date +%s)
    fetch_source allegro4.4 $allegro_version
    fetch_source zlib $zlib_version
    fetch_source libpng1.6 $png_version
    fetch_source freetype $freetype_version
    fetch_source libsdl2 $sdl_version
    unpack allegro4.4 $allegro_version allegro
    unpack zlib $zlib_version zlib
    unpack libpng1.6 $png_version libpng
    unpack freetype $freetype_version freetype
    unpack libsdl2 $sdl_version sdl2
    timings="$timings sources $(($(date +%s) - started))s,"

    # zlib's CMake wants a Windows resource file Debian's tarball lacks: its
    # own configure builds the static library alone.
    started=$(date +%s)
    (cd "$build/zlib" &&
        quietly zlib emconfigure ./configure --static --prefix="$deps" &&
        quietly zlib emmake make -j"$(nproc)" libz.a &&
        quietly zlib emmake make install)
    timings="$timings zlib $(($(date +%s) - started))s,"

    cmake_library libpng "$build/libpng" \
        -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_EXECUTABLES=OFF -DPNG_TESTS=OFF \
        -DZLIB_LIBRARY="$deps/lib/libz.a" -DZLIB_INCLUDE_DIR="$deps/include"

    # Only what the game's TrueType font needs: no HarfBuzz, bzip2 or Brotli.
    cmake_library freetype "$build/freetype" \
        -DBUILD_SHARED_LIBS=OFF -DFT_REQUIRE_ZLIB=ON -DFT_REQUIRE_PNG=ON \
        -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON \
        -DZLIB_LIBRARY="$deps/lib/libz.a" -DZLIB_INCLUDE_DIR="$deps/include" \
        -DPNG_LIBRARY="$deps/lib/libpng16.a" -DPNG_PNG_INCLUDE_DIR="$deps/include"

    # SDL is the platform: the canvas through WebGL, the keyboard, the mouse,
    # the browser's gamepads and its sound.
    cmake_library sdl2 "$build/sdl2" \
        -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF -DSDL_TESTS=OFF

    # Allegro only draws: its bitmaps, 3D, text, PNG and configuration, with
    # every platform driver left out.
    cmake_library allegro "$build/allegro" \
        -DSHARED=OFF -DRT_LIBRARY=c -DWANT_MODULES=OFF -DWANT_X11=OFF -DWANT_OSS=OFF -DWANT_ALSA=OFF \
        -DWANT_JACK=OFF -DWANT_SGIAUDIO=OFF -DWANT_LINUX_CONSOLE=OFF -DWANT_ALLEGROGL=OFF \
        -DWANT_LOADPNG=ON -DWANT_LOGG=OFF -DWANT_JPGALLEG=OFF -DWANT_EXAMPLES=OFF -DWANT_TOOLS=OFF \
        -DWANT_TESTS=OFF -DWANT_DOCS=OFF \
        -DZLIB_LIBRARY="$deps/lib/libz.a" -DZLIB_INCLUDE_DIR="$deps/include" \
        -DPNG_LIBRARY="$deps/lib/libpng16.a" -DPNG_PNG_INCLUDE_DIR="$deps/include"
    [ -f "$deps/lib/libloadpng.a" ] || {
        echo "web.sh: Allegro built without loadpng (libpng not found?): see $build/allegro.log" >&2
        exit 1
    }

    # The build trees are big and no longer needed: keep the logs only.
    find "$build" -mindepth 1 -maxdepth 1 -type d -exec rm -rf {} +
    echo "$key" >"$stamp"
    echo "Web dependencies: done in $(($(date +%s) - started_all))s:${timings%,}"
fi

# ===========================================================================
# End of the dependencies stage. From here on, $deps is the absolute path of
# the prefix with the static WebAssembly libraries.
# ===========================================================================

# ---------------------------------------------------------------------------
# The game and its zip
# ---------------------------------------------------------------------------
out=$(pwd)/build-web
emcmake cmake -S . -B "$out" -DCMAKE_CROSSCOMPILING_EMULATOR="$node" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_PREFIX_PATH="$deps" -DCMAKE_FIND_ROOT_PATH="$deps" -DZEPHYRION_TESTS=OFF \
    -U 'ZEPHYRION_LIB_*' -U 'ZEPHYRION_*_INCLUDE' >/dev/null  # found again in the prefix of these versions
cmake --build "$out" -j"$(nproc)"

version=$(sed -n 's/^project(Zephyrion VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
name=zephyrion-$version-web
stage=$out/zip/$name
rm -rf "$out/zip" "$out/$name.zip"
mkdir -p "$stage/licences"
cp web/index.html "$stage/"
cp "$out/runtime/Zephyrion.js" "$out/runtime/Zephyrion.wasm" "$out/runtime/Zephyrion.data" "$stage/"
cp packaging/web/README.txt "$stage/README.txt"
cp LICENSE "$stage/LICENSE.txt"
# The licences of what is built into the program, and of the font.
licence() {  # source package, upstream version, file in its tarball, name in the zip
    tar -xOf "$(orig_tarball "$1" "$2")" --wildcards "$3" >"$stage/licences/$4"
}
licence allegro4.4 "$allegro_version" '*/docs/txt/license.txt' Allegro.txt
licence allegro4.4 "$allegro_version" '*/addons/loadpng/LICENSE.txt' loadpng.txt
licence zlib "$zlib_version" '*/LICENSE' zlib.txt
licence libpng1.6 "$png_version" '*/LICENSE' libpng.txt
licence freetype "$freetype_version" '*/docs/FTL.TXT' FreeType.txt
licence libsdl2 "$sdl_version" '*/LICENSE.txt' SDL2.txt
cp /usr/share/doc/fonts-dejavu-core/copyright "$stage/licences/DejaVu-font.txt"
(cd "$out/zip" && zip -qrX "../$name.zip" "$name")
echo "Web build: $out/$name.zip ($(($(stat -c %s "$stage/Zephyrion.wasm") / 1024)) KiB of WebAssembly)"

if [ -n "$serve" ]; then
    port=${ZEPHYRION_WEB_PORT:-8080}
    echo "Serving Zephyrion on http://127.0.0.1:$port/ (Ctrl+C ends)"
    exec python3 -m http.server "$port" --bind 127.0.0.1 --directory "$stage"
fi
