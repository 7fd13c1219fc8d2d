// Random numbers of the game's own. See Random.h.
#include "Std/Random.h"

// Knuth's 64-bit linear congruential generator; its high bits are the good ones.
static const uint64_t multiplier = 6364136223846793005ull;
static const uint64_t increment = 1442695040888963407ull;

void seedRandom(Random &random, uint32_t seed)
{
    random.state = seed;
    nextRandom(random);  // so that seeds close together part at once
}

int nextRandom(Random &random)
{
    random.state = random.state * multiplier + increment;
    return (int)(random.state >> 33);
}
