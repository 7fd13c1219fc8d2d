#!/bin/sh
# Instructions per composed city frame, counted by callgrind: the difference
# between 11 frames and 1 frame, over 10. Stable from run to run on a busy machine.
# Usage: tools/callgrind-frame.sh [title|street|play|between|scaled] [bits per pixel] [WxH]
# (the picture's size, 800x600 when left out)
set -e
cd "$(dirname "$0")/.."
view=${1:-title}
depth=${2:-32}
size=${3:-800x600}
count() {
    out=$(mktemp)
    valgrind --tool=callgrind --callgrind-out-file=/dev/null build/CityView "$view" "$depth" "$1" "$size" \
        2>"$out" >/dev/null
    sed -n 's/.*Collected : *\([0-9]*\).*/\1/p' "$out"
    rm -f "$out"
}
one=$(count 1)
eleven=$(count 11)
echo "$view view, $depth bpp, $size: $(( (eleven - one) / 10 )) instructions per frame"
