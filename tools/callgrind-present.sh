#!/bin/sh
# The game's work to hand a frame to SDL's renderer (the texture updated, the
# picture drawn to the window and the present asked for: presentBitmap),
# counted by callgrind per frame of play, on a full screen of the size given,
# through SDL's opengl renderer. The GL's drawing of the screen runs on the
# driver's own threads (a GPU's work; here Mesa's software GL), not counted.
# Usage: tools/callgrind-present.sh [WxH] (after a build; default 1920x1080)
set -e
cd "$(dirname "$0")/.."
size=${1:-1920x1080}
Xvfb :76 -screen 0 "${size}x24" -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null' EXIT
sleep 1
count() {
    out=$(mktemp)
    DISPLAY=:76 SDL_RENDER_DRIVER=opengl SDL_AUDIODRIVER=dummy \
        valgrind --tool=callgrind --callgrind-out-file=/dev/null --collect-atstart=no \
        --toggle-collect='presentBitmap*' build/CityView shown 32 "$1" 2>"$out" >/dev/null
    sed -n 's/.*Collected : *\([0-9]*\).*/\1/p' "$out" | tail -1  # the game's, after any child's
    rm -f "$out"
}
one=$(count 1)
eleven=$(count 11)
echo "$size, SDL's opengl renderer: $(( (eleven - one) / 10 )) instructions per frame handed over"
