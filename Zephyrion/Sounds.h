// Playing the game's samples: a sample that did not load is silent.
// Every module that sounds a cue calls it.
#pragma once

#include <allegro.h>

#include "Zephyrion/GameState.h"

// Once, at full volume, centred, at its own pitch; counted in cuesSounded.
inline void playOnce(SAMPLE *sample)
{
    if (!sample)
        return;
    play_sample(sample, 255, 128, 1000, 0);
    game.samples.cuesSounded = game.samples.cuesSounded + 1;
}
