// The game's sound: a small mixer of its own that plays Allegro's samples
// (loaded with load_sample) on SDL's audio device. Start-up opens it; every
// module that sounds a cue, the pause and the intro play, stop and ask after voices.
#pragma once

#include <cstdint>

struct SAMPLE;

const int soundVoices = 32;        // voices that can sound at once; more are not started
const int soundRate = 44100;       // frames a second of what the mixer makes, stereo
const int soundFullVolume = 255;   // a voice's volume and the master volume at full
const int soundCentre = 128;       // a voice's pan: 0 left .. 255 right
const int soundOwnPitch = 1000;    // a voice's rate: 1000 the sample's own, 550 a little over half

// Opens the system's sound device; false, with SDL's reason in soundError,
// when there is none: the game is then silent, and no voice plays until
// closeSound. Before any device is asked for, the mixer runs for tests (mixSound).
bool openSound();
void closeSound();
const char *soundError();

// Starts sample at a volume 0..255, a pan 0..255 and a rate (1000 its own
// pitch), once or looped; returns its voice, -1 when no voice is free or the
// sample is null.
int playSample(const SAMPLE *sample, int volume, int pan, int rate, bool loop);
void stopSample(const SAMPLE *sample);  // every voice that plays it
void stopVoice(int voice);

// The sample a voice plays, null once it has ended or been stopped.
const SAMPLE *voiceSample(int voice);
// Where a voice stands in its sample, in the sample's frames; -1 once it has ended.
int voicePosition(int voice);

// A voice held keeps its place and sounds nothing until it resumes.
void holdVoice(int voice);
void resumeVoice(int voice);

// The volume over every voice, playing or to come: 0 silent .. 255.
void setMasterVolume(int volume);

// Mixes the next frames of every voice into out (16-bit signed, left and
// right), as the device does: tests call it with no device open.
void mixSound(int16_t *out, int frames);
