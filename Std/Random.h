// Random numbers from a generator of the game's own: the same seed gives the
// same numbers on every machine and with every C library. The game keeps one
// generator for its logic and one for what only the picture uses.
#pragma once

#include <cstdint>

struct Random {
    uint64_t state;  // the generator's whole state; a seed sets it
};

void seedRandom(Random &random, uint32_t seed);
int nextRandom(Random &random);  // 0 .. 2^31 - 1, as rand() gives on Linux
