// Playing the game's samples: a sample that did not load is silent.
// Every module that sounds a cue calls it.
#pragma once

#include <allegro.h>

// Once, at full volume, centred, at its own pitch.
inline void playOnce(SAMPLE *sample)
{
    if (sample)
        play_sample(sample, 255, 128, 1000, 0);
}
