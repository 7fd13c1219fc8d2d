#!/bin/sh
# Builds the game and its Debian package, build/zephyrion_1.0.0_amd64.deb.
# Run from anywhere, as root; install the package with
#   apt-get install ./build/zephyrion_1.0.0_amd64.deb
set -e
cd "$(dirname "$0")/.."
tools/setup.sh
tools/install-packages.sh dpkg-dev file  # dpkg-shlibdeps works out the package's dependencies
cd build && cpack -G DEB
