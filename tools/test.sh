#!/bin/sh
# Builds the game and its tests and runs every test, unit and end-to-end.
set -e
cd "$(dirname "$0")/.."
tools/setup.sh tests
ctest --test-dir build --output-on-failure -j"$(nproc)"
