#!/bin/sh
# Re-records the attract mode's demos: the attract pilot plays each game
# through the tick command's door and keeps its demo in attract/, from where
# the build ships them. Run after a change of the game's rules that puts them
# out of step, then update their results in tests/display/DemoTest.cpp.
# Usage: tools/record-attract-demos.sh [DEMO [SEED]] (after a build; one demo
# and another city's seed to try one, into the scratch folder it names)
set -e
cd "$(dirname "$0")/.."
out=$(pwd)/attract
scratch=$(mktemp -d)
cp -r build/runtime/bitmaps build/runtime/sounds "$scratch"
printf '[Display]\nFullScreen = 0\n' > "$scratch/Zephyrion.cfg"
if [ -n "$2" ]; then
    out=$scratch/out
    echo "Trying seed $2: the demo goes to $out"
fi
mkdir -p "$out"
display=${ATTRACT_DISPLAY:-:79}
Xvfb "$display" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
if [ -n "$2" ]; then
    trap 'kill $xvfb 2>/dev/null' EXIT
else
    trap 'kill $xvfb 2>/dev/null; rm -rf "$scratch"' EXIT
fi
sleep 1
pilot=$(pwd)/build/tests/attract_pilot
cd "$scratch" && DISPLAY=$display SDL_AUDIODRIVER=dummy "$pilot" "$out" "$@"
