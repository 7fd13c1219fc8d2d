// Playing the game's samples: a sample that did not load is silent.
// Every module that sounds a cue calls it.
#pragma once

#include <allegro.h>

#include "Zephyrion/GameState.h"

// Once, centred, at its own pitch and at full volume unless told; counted in
// cuesSounded.
inline void playOnce(SAMPLE *sample, int volume = 255)
{
    if (!sample)
        return;
    play_sample(sample, volume, 128, 1000, 0);
    game.samples.cuesSounded = game.samples.cuesSounded + 1;
}

const int fullVolumePercent = 100;
const int allegroFullVolume = 255;

// The Sound Volume setting over every voice, playing or to come; 0 mixes nothing.
inline void applySoundVolume()
{
    set_volume(game.settings.soundVolume * allegroFullVolume / fullVolumePercent, -1);
}
