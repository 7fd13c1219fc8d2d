#!/bin/sh
# How evenly the frames are shown: a golden demo played back in real time
# (--play, in a window on an Xvfb of its own) at "Smooth Motion" Off and at
# 60 fps; the game prints the mean interval between presents, its standard
# deviation and the worst gap.
# Usage: tools/pacing.sh [demo] (after a build; the default: the Old School golden demo)
set -e
cd "$(dirname "$0")/.."
demo=$(realpath "${1:-tests/golden/old-school-refuel-and-crash.zdemo}")
scratch=$(mktemp -d)
Xvfb :78 -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -rf "$scratch"' EXIT
sleep 1
for smooth in 0 60; do
    rm -rf "$scratch/run"
    cp -r build/runtime "$scratch/run"
    printf '[Display]\nFullScreen = 0\nSmoothMotion = %s\n' "$smooth" >"$scratch/run/Zephyrion.cfg"
    printf 'Smooth Motion %s: ' "$smooth"
    (cd "$scratch/run" && DISPLAY=:78 timeout 600 ./Zephyrion --play "$demo" 2>/dev/null)
done
