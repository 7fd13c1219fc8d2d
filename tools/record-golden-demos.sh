#!/bin/sh
# Re-records the golden demos: the pilot plays each game through the tick
# command's door and keeps its demo in tests/golden. Run after a change of the
# game's rules that changes their results, then update the results in
# tests/display/DemoTest.cpp. Usage: tools/record-golden-demos.sh (after a build)
set -e
cd "$(dirname "$0")/.."
out=$(pwd)/tests/golden
scratch=$(mktemp -d)
cp -r build/runtime/bitmaps build/runtime/sounds "$scratch"
printf '[Display]\nFullScreen = 0\n' > "$scratch/Zephyrion.cfg"
Xvfb :78 -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -rf "$scratch"' EXIT
sleep 1
game=$(pwd)/build/tests/golden_pilot
cd "$scratch" && DISPLAY=:78 "$game" "$out"
