#!/bin/sh
# The game's own CPU use over 60 s of play, at "Smooth Motion" Off (one frame
# a tick) and at 60 fps, one after the other: under an Xvfb of its own (a
# 1920 x 1080 desktop, where the full screen scales the picture to 1440 x 1080),
# in a scratch copy of the runtime folder; user and system time from /proc.
# Without an argument it starts a game and sits in the flight after the
# approach (a new city each run); with a demo it plays that back (--play), the
# same city and flight for both settings, from 10 s in.
# With --resolution first, both runs are at 60 fps, one at "Resolution"
# Classic and one at Screen (the desktop's own pixels), Widescreen On.
# Usage: tools/cpu-play.sh [--resolution] [demo] (after a build)
#   ZEPHYRION_SCREEN    the desktop's size (default 1920x1080)
#   ZEPHYRION_RUNTIME   the runtime folder to play (default build/runtime), as
#                       another build's, to compare two side by side
# SDL's own variables pass through: SDL_RENDER_DRIVER=opengl measures GL's path.
set -e
cd "$(dirname "$0")/.."
runs="1:Smooth_Motion_0:0 1:Smooth_Motion_60:60"  # resolution:what is measured:smooth motion
if [ "$1" = --resolution ]; then
    runs="1:Resolution_Classic:60 0:Resolution_Screen:60"
    shift
fi
demo=""
[ -z "$1" ] || demo=$(realpath "$1")
runtime=$(realpath "${ZEPHYRION_RUNTIME:-build/runtime}")
scratch=$(mktemp -d)
Xvfb :77 -screen 0 "${ZEPHYRION_SCREEN:-1920x1080}x24" -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -rf "$scratch"' EXIT
sleep 1
export DISPLAY=:77
hz=$(getconf CLK_TCK)
for run in $runs; do
    resolution=$(echo "$run" | cut -d: -f1)
    name=$(echo "$run" | cut -d: -f2 | tr _ ' ')
    smooth=$(echo "$run" | cut -d: -f3)
    rm -rf "$scratch/run"
    cp -r "$runtime" "$scratch/run"
    printf '[Display]\nSmoothMotion = %s\nResolution = %s\n' "$smooth" "$resolution" \
        >"$scratch/run/Zephyrion.cfg"
    if [ -n "$demo" ]; then
        (cd "$scratch/run" && exec ./Zephyrion --play "$demo" >/dev/null 2>&1) &
        game=$!
        sleep 10                   # the approach
    else
        (cd "$scratch/run" && exec ./Zephyrion >/dev/null 2>&1) &
        game=$!
        sleep 21                   # the splash and the intro
        xdotool keydown Return sleep 0.1 keyup Return  # full screen takes every key
        sleep 7                    # the approach
    fi
    before=$(awk '{ print $14 + $15 }' "/proc/$game/stat")
    sleep 60
    after=$(awk '{ print $14 + $15 }' "/proc/$game/stat")
    echo "$name: CPU over 60 s of play $(( (after - before) * 100 / hz / 60 )).$(( (after - before) * 1000 / hz / 60 % 10 )) % of one core"
    kill "$game"                   # it saves and leaves, within a few seconds
    for second in 1 2 3 4 5 6 7 8 9 10; do
        kill -0 "$game" 2>/dev/null || break
        sleep 1
    done
    kill -9 "$game" 2>/dev/null || true
    wait "$game" 2>/dev/null || true
done
