#!/bin/sh
# Builds the game and its Debian package, build/zephyrion_1.0.0_amd64.deb.
# Run from anywhere, as root; install the package with
#   apt-get install ./build/zephyrion_1.0.0_amd64.deb
set -e
cd "$(dirname "$0")/.."
tools/setup.sh
missing=""
for package in dpkg-dev file; do  # dpkg-shlibdeps works out the package's dependencies
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
        missing="$missing $package"
done
if [ -n "$missing" ]; then
    sudo=""
    [ "$(id -u)" = 0 ] || sudo=sudo
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y $missing
fi
cd build && cpack -G DEB
