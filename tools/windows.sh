#!/bin/sh
# Cross-builds Zephyrion for 64-bit Windows with Debian's MinGW-w64: the
# release, build-win64/zephyrion-<version>-win64.zip, and the Windows tests
# (tools/test.sh runs them under Wine). Run from anywhere, as root.
#
# First the libraries the game links, built static from Debian's own source
# packages into a prefix cached outside the clone (one folder per set of
# versions; a finished one is reused as it is), then the game itself, whose
# asset tools run under Wine, and its zip.
#
#   ZEPHYRION_WIN64_CACHE   where the prefixes, sources and build logs go
#                           (default: ~/.cache/zephyrion-win64)
set -e
cd "$(dirname "$0")/.."

# ---------------------------------------------------------------------------
# Debian packages
# ---------------------------------------------------------------------------
packages="g++-mingw-w64-x86-64 mingw-w64-tools libz-mingw-w64-dev cmake make dpkg-dev libgtest-dev wine wine64 zip xz-utils fonts-dejavu-core"
tools/install-packages.sh $packages

# ---------------------------------------------------------------------------
# Dependencies: libpng, FreeType, SDL2, Allegro 4.4 with loadpng, GoogleTest
# ---------------------------------------------------------------------------
# Upstream versions of Debian 12's source packages. The prefix is keyed on
# them, on the system's GoogleTest and on the recipe number below.
allegro_version=4.4.3.1
png_version=1.6.39
freetype_version=2.12.1
sdl_version=2.26.5
gtest_version=$(dpkg-query -W -f='${Version}' libgtest-dev)
gtest_version=${gtest_version%%-*}
recipe=5   # bump whenever the way a library is built below changes

cache=${ZEPHYRION_WIN64_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/zephyrion-win64}
mkdir -p "$cache"
cache=$(cd "$cache" && pwd)
key=allegro-$allegro_version.png-$png_version.freetype-$freetype_version.sdl-$sdl_version.gtest-$gtest_version.r$recipe
deps=$cache/$key            # the prefix: include/, lib/, lib/cmake/, lib/pkgconfig/
build=$cache/build/$key     # sources, build trees and one log per library
sources=$cache/sources      # Debian's .orig tarballs, kept across recipes
toolchain=$(pwd)/tools/mingw-w64.cmake
stamp=$deps/.complete       # written last: its presence means the prefix is whole
me=windows.sh
. tools/debian-sources.sh   # quietly, fetch_source, unpack, patch_source, cmake_library

# How cmake_library configures a library for Windows: MinGW's toolchain.
configure_library() {
    cmake "$@" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DZEPHYRION_WIN64_DEPS="$deps"
}

if [ -f "$stamp" ]; then
    echo "Windows dependencies: up to date in $deps"
else
    echo "Windows dependencies: building into $deps (logs in $build)"
    started_all=$(date +%s)
    timings=""
    apt_ready=""
    rm -rf "$deps" "$build"
    mkdir -p "$deps" "$build" "$sources"

    started=$(date +%s)
    fetch_source allegro4.4 $allegro_version
    fetch_source libpng1.6 $png_version
    fetch_source freetype $freetype_version
    fetch_source libsdl2 $sdl_version
    unpack allegro4.4 $allegro_version allegro
    unpack libpng1.6 $png_version libpng
    unpack freetype $freetype_version freetype
    unpack libsdl2 $sdl_version sdl2
    timings="$timings sources $(($(date +%s) - started))s,"

    cmake_library libpng "$build/libpng" \
        -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_EXECUTABLES=OFF -DPNG_TESTS=OFF
    # Nothing here is shared, so zlib is a public dependency of libpng: as a
    # private one, pkg-config puts -lz before -lpng16 in FreeType's flags.
    patch_source "$deps/lib/pkgconfig/libpng16.pc" 'Requires.private: zlib' \
        's/^Requires.private: zlib$/Requires: zlib/'

    # Only what the game's TrueType font needs: no HarfBuzz, bzip2 or Brotli.
    cmake_library freetype "$build/freetype" \
        -DBUILD_SHARED_LIBS=OFF -DFT_REQUIRE_ZLIB=ON -DFT_REQUIRE_PNG=ON \
        -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON

    # SDL is the platform: the window and its renderers (Direct3D 11 and 9,
    # OpenGL, software), the input, the gamepads and the sound (WASAPI,
    # DirectSound). No SDL2main: the game defines SDL_MAIN_HANDLED and
    # Allegro's END_OF_MAIN has WinMain.
    cmake_library sdl2 "$build/sdl2" \
        -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF -DSDL_TESTS=OFF -DSDL2_DISABLE_SDL2MAIN=ON \
        -DSDL_OPENGLES=OFF -DSDL_VULKAN=OFF

    # Allegro only draws: its bitmaps, 3D, text, PNG and configuration, as it
    # comes, with none of its Windows drivers started.
    cmake_library allegro "$build/allegro" \
        -DSHARED=OFF -DWANT_EXAMPLES=OFF -DWANT_TOOLS=OFF -DWANT_TESTS=OFF -DWANT_DOCS=OFF \
        -DWANT_ALLEGROGL=OFF -DWANT_LOGG=OFF -DWANT_JPGALLEG=OFF
    [ -f "$deps/lib/libloadpng.a" ] || {
        echo "windows.sh: Allegro built without loadpng (libpng not found?): see $build/allegro.log" >&2
        exit 1
    }
    # Allegro writes allegro.pc and loadpng.pc on Unix only. For a static
    # link: the DirectX and Win32 libraries Allegro calls are in Libs.
    cat >"$deps/lib/pkgconfig/allegro.pc" <<EOF
prefix=$deps
libdir=\${prefix}/lib
includedir=\${prefix}/include

Name: allegro
Description: Allegro game programming library (static, Windows)
Version: $allegro_version
Libs: -L\${libdir} -lalleg -lddraw -ldinput -ldsound -ldxguid -lwinmm -lole32 -lgdi32
Cflags: -I\${includedir} -DALLEGRO_STATICLINK
EOF
    cat >"$deps/lib/pkgconfig/loadpng.pc" <<EOF
prefix=$deps
libdir=\${prefix}/lib
includedir=\${prefix}/include

Name: loadpng
Description: PNG images for Allegro (static, Windows)
Version: $allegro_version
Requires: allegro libpng
Libs: -L\${libdir} -lloadpng
Cflags: -I\${includedir}
EOF

    cmake_library googletest /usr/src/googletest \
        -DBUILD_SHARED_LIBS=OFF -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON -Dgtest_disable_pthreads=OFF

    # The build trees are big and no longer needed: keep the logs only.
    find "$build" -mindepth 1 -maxdepth 1 -type d -exec rm -rf {} +
    echo "$key" >"$stamp"
    echo "Windows dependencies: done in $(($(date +%s) - started_all))s:${timings%,}"
fi

# ===========================================================================
# End of the dependencies stage. From here on:
#   $deps       absolute path of the prefix with the static Windows libraries
#   $toolchain  absolute path of tools/mingw-w64.cmake (pass -DZEPHYRION_WIN64_DEPS="$deps")
# ===========================================================================

# ---------------------------------------------------------------------------
# The game, its Windows tests and the zip
# ---------------------------------------------------------------------------
# The asset generators and the tests are Windows programs too: CMake runs
# them under Wine, in a prefix of this build's own.
out=$(pwd)/build-win64
export WINEPREFIX="$out/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# The prefix is made once, before two of them can start at the same time.
mkdir -p "$out"
[ -d "$WINEPREFIX/drive_c" ] || wineboot -i >/dev/null 2>&1 || {
    echo "windows.sh: Wine could not make its prefix in $WINEPREFIX" >&2
    exit 1
}
cmake -S . -B "$out" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DZEPHYRION_WIN64_DEPS="$deps" \
    -DCMAKE_BUILD_TYPE=Release -DZEPHYRION_TESTS=ON -U 'ZEPHYRION_LIB_*' -U 'ZEPHYRION_*_INCLUDE' \
    -U GTest_DIR >/dev/null  # found again in the prefix of these versions
cmake --build "$out" -j"$(nproc)"

version=$(sed -n 's/^project(Zephyrion VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
name=zephyrion-$version-win64
stage=$out/zip/$name
rm -rf "$out/zip" "$out/$name.zip"
mkdir -p "$stage/licences"
cp "$out/runtime/Zephyrion.exe" "$stage/"
x86_64-w64-mingw32-strip "$stage/Zephyrion.exe"
cp -r "$out/runtime/bitmaps" "$out/runtime/sounds" "$out/runtime/attract" "$stage/"
rm -f "$stage"/bitmaps/Icon*.png "$stage"/bitmaps/*.ico  # the program carries its icon
cp packaging/windows/README.txt "$stage/README.txt"
cp LICENSE "$stage/LICENSE.txt"
# The licences of what is built into the program, and of the font.
licence() {  # source package, upstream version, file in its tarball, name in the zip
    tar -xOf "$(orig_tarball "$1" "$2")" --wildcards "$3" >"$stage/licences/$4"
}
licence allegro4.4 "$allegro_version" '*/docs/txt/license.txt' Allegro.txt
licence allegro4.4 "$allegro_version" '*/addons/loadpng/LICENSE.txt' loadpng.txt
licence libpng1.6 "$png_version" '*/LICENSE' libpng.txt
licence freetype "$freetype_version" '*/docs/FTL.TXT' FreeType.txt
licence libsdl2 "$sdl_version" '*/LICENSE.txt' SDL2.txt
cp /usr/share/doc/libz-mingw-w64-dev/copyright "$stage/licences/zlib.txt"
cp /usr/share/doc/fonts-dejavu-core/copyright "$stage/licences/DejaVu-font.txt"
for text in "$stage"/*.txt "$stage"/licences/*.txt; do  # Notepad's line ends
    sed -i 's/\r*$/\r/' "$text"
done
(cd "$out/zip" && zip -qrX "../$name.zip" "$name")
echo "Windows build: $out/$name.zip"
