#!/bin/sh
# The game's own CPU use over 60 s of play at the default frame rate: under an
# Xvfb of its own (a 1920 x 1080 desktop, where the full screen scales the
# picture to 1440 x 1080), in a scratch copy of the runtime folder, it starts a game
# and sits in the flight after the approach; user and system time from /proc.
# Usage: tools/cpu-play.sh (after a build)
set -e
cd "$(dirname "$0")/.."
scratch=$(mktemp -d)
cp -r build/runtime/. "$scratch"
Xvfb :77 -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -rf "$scratch"' EXIT
sleep 1
export DISPLAY=:77
(cd "$scratch" && exec ./Zephyrion >/dev/null 2>&1) &
game=$!
sleep 21                       # the splash and the intro
xdotool keydown Return sleep 0.1 keyup Return  # full screen takes every key
sleep 7                        # the approach
ticks() { awk '{ print $14 + $15 }' "/proc/$game/stat"; }
hz=$(getconf CLK_TCK)
before=$(ticks)
sleep 60
after=$(ticks)
echo "CPU over 60 s of play: $(( (after - before) * 100 / hz / 60 )).$(( (after - before) * 1000 / hz / 60 % 10 )) % of one core"
kill "$game"
