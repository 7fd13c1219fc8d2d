// Playing the game's samples: a sample that did not load is silent.
// Every module that sounds a cue calls it.
#pragma once

#include "Std/Sound.h"
#include "Zephyrion/GameState.h"

// Once, centred, at its own pitch and at full volume unless told; counted in
// cuesSounded.
inline void playOnce(SAMPLE *sample, int volume = 255)
{
    if (!sample)
        return;
    playSample(sample, volume, soundCentre, soundOwnPitch, false);
    game.samples.cuesSounded = game.samples.cuesSounded + 1;
}

const int fullVolumePercent = 100;

// The Sound Volume setting over every voice, playing or to come; 0 mixes nothing.
inline void applySoundVolume()
{
    setMasterVolume(game.settings.soundVolume * soundFullVolume / fullVolumePercent);
}
