#!/bin/sh
# Installs the Debian packages the game (and, with "tests", its tests) needs,
# then configures and builds into build/. Run from anywhere, as root.
set -e
cd "$(dirname "$0")/.."

game_packages="cmake make g++ pkg-config liballegro4-dev libloadpng4-dev libfreetype-dev libsdl2-dev fonts-dejavu-core"
test_packages="chromium nodejs gdb libx11-dev weston libgtest-dev libbenchmark-dev python3-fonttools python3-numpy xvfb xdotool x11-apps x11-xserver-utils imagemagick clang libclang-rt-14-dev valgrind dpkg-dev file lintian appstream"

packages=$game_packages
tests=OFF
if [ "$1" = "tests" ]; then
    packages="$packages $test_packages"
    tests=ON
fi

tools/install-packages.sh $packages

cmake -S . -B build -DZEPHYRION_TESTS=$tests
cmake --build build -j"$(nproc)"
