#!/bin/sh
# Installs those of the Debian packages named that are not installed yet, as
# root or through sudo; reads the package lists first only when one is missing.
# Usage: tools/install-packages.sh PACKAGE...
set -e
missing=""
for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
        missing="$missing $package"
done
[ -n "$missing" ] || exit 0
sudo=""
[ "$(id -u)" = 0 ] || sudo=sudo
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y $missing
