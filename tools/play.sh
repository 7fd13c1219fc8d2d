#!/bin/sh
# Builds the game and starts it in its runtime folder, build/runtime.
set -e
cd "$(dirname "$0")/.."
tools/setup.sh
cd build/runtime
exec ./Zephyrion
