// The game's sound mixer. See Sound.h.
#include "Std/Sound.h"

#include <allegro.h>
// Allegro has the program's entry point: SDL must not bring its own.
#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <cstring>
#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

#include "Std/Errors.h"

static const int deviceFrames = 1024;     // frames the device asks for at a time
static const int deviceChannels = 2;      // left and right
static const int unsigned16Centre = 0x8000;  // Allegro keeps samples unsigned: this is silence
static const int unsigned8Centre = 128;
static const int eightToSixteen = 8;      // bits an 8-bit sample is shifted up by
static const int sampleMin = -32768, sampleMax = 32767;

// A voice's place in its sample is a whole frame and a part of one, the part
// counted in steps of 1 / (soundOwnPitch * soundRate) of a frame. Each output
// frame then moves a voice on by exactly freq * rate of those steps, with no
// rounding to drift: a sample played at 550 ends on the very frame it should.
static const int64_t partsPerFrame = (int64_t)soundOwnPitch * soundRate;

// The gain on a voice is its volume times the gain of the side times the
// master volume, each out of 255: the product out of this.
static const int64_t fullGain = (int64_t)soundFullVolume * soundFullVolume * soundFullVolume;

struct Voice {
    const SAMPLE *sample;  // null: the voice is free
    int64_t frame;         // the frame it stands on
    int64_t part;          // and how far on towards the next, 0 .. partsPerFrame - 1
    int64_t step;          // parts it moves on each output frame
    int volume, pan;
    bool loop, held;
};

static Voice voices[soundVoices];
static int masterVolume = soundFullVolume;
static SDL_AudioDeviceID device = 0;  // 0: none open
static bool silent = false;            // the device could not be had: nothing sounds, as if at once over
static char errorText[256] = "";

// ---- The device ----

static void lockVoices()
{
    if (device)
        SDL_LockAudioDevice(device);
}

static void unlockVoices()
{
    if (device)
        SDL_UnlockAudioDevice(device);
}

static void keepError()
{
    strncpy(errorText, SDL_GetError(), sizeof errorText - 1);
    errorText[sizeof errorText - 1] = '\0';
}

// SDL's audio thread asks for len bytes of 16-bit stereo; it holds the
// device's lock while it does, so the voices stand still.
static void fillDevice(void *, Uint8 *stream, int len)
{
    mixSound((int16_t *)stream, len / (deviceChannels * (int)sizeof(int16_t)));
}

#ifdef __EMSCRIPTEN__
// Browsers hold a page's sound back until the player first presses a key or
// clicks on it; SDL starts it then.
EM_JS(int, soundWaitsForPlayer, (), {
    var sdl = Module.SDL2;
    return sdl && sdl.audioContext && sdl.audioContext.state === "suspended" ? 1 : 0;
});

static void sayWhenSoundWaits()
{
    if (soundWaitsForPlayer())
        logError(__LINE__, __FILE__, SevInfo,
                 "The browser holds the sound back until the first key or click");
}
#else
static void sayWhenSoundWaits() {}
#endif

bool openSound()
{
    if (device)
        return true;
    silent = true;  // until the device is had
    SDL_SetMainReady();
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");  // the game's own stay in charge
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        keepError();
        return false;
    }
    SDL_AudioSpec want, have;
    SDL_zero(want);
    want.freq = soundRate;
    want.format = AUDIO_S16SYS;
    want.channels = deviceChannels;
    want.samples = deviceFrames;
    want.callback = fillDevice;
    // No changes allowed: whatever the hardware wants, SDL converts to.
    device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (!device) {
        keepError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    SDL_PauseAudioDevice(device, 0);
    silent = false;
    sayWhenSoundWaits();
    return true;
}

void closeSound()
{
    silent = false;
    if (!device)
        return;
    SDL_CloseAudioDevice(device);
    device = 0;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

const char *soundError()
{
    return errorText;
}

// ---- Voices ----

static int clampInt(int value, int low, int high)
{
    return value < low ? low : value > high ? high : value;
}

static bool validVoice(int voice)
{
    return voice >= 0 && voice < soundVoices;
}

int playSample(const SAMPLE *sample, int volume, int pan, int rate, bool loop)
{
    if (!sample || sample->len == 0 || silent)
        return -1;
    lockVoices();
    int found = -1;
    for (int v = 0; v < soundVoices && found < 0; v++)
        if (!voices[v].sample)
            found = v;
    if (found >= 0) {
        Voice &voice = voices[found];
        voice.sample = sample;
        voice.frame = 0;
        voice.part = 0;
        // At least one part a frame, so that even a voice at rate 0 ends.
        voice.step = (int64_t)sample->freq * (rate < 1 ? 1 : rate);
        if (voice.step < 1)
            voice.step = 1;
        voice.volume = clampInt(volume, 0, soundFullVolume);
        voice.pan = clampInt(pan, 0, soundFullVolume);
        voice.loop = loop;
        voice.held = false;
    }
    unlockVoices();
    return found;
}

void stopSample(const SAMPLE *sample)
{
    if (!sample)
        return;
    lockVoices();
    for (Voice &voice : voices)
        if (voice.sample == sample)
            voice.sample = nullptr;
    unlockVoices();
}

void stopVoice(int voice)
{
    if (!validVoice(voice))
        return;
    lockVoices();
    voices[voice].sample = nullptr;
    unlockVoices();
}

const SAMPLE *voiceSample(int voice)
{
    if (!validVoice(voice))
        return nullptr;
    lockVoices();
    const SAMPLE *sample = voices[voice].sample;
    unlockVoices();
    return sample;
}

int voicePosition(int voice)
{
    if (!validVoice(voice))
        return -1;
    lockVoices();
    int position = voices[voice].sample ? (int)voices[voice].frame : -1;
    unlockVoices();
    return position;
}

static void setHeld(int voice, bool held)
{
    if (!validVoice(voice))
        return;
    lockVoices();
    voices[voice].held = held;
    unlockVoices();
}

void holdVoice(int voice)
{
    setHeld(voice, true);
}

void resumeVoice(int voice)
{
    setHeld(voice, false);
}

void setMasterVolume(int volume)
{
    lockVoices();
    masterVolume = clampInt(volume, 0, soundFullVolume);
    unlockVoices();
}

// ---- Mixing ----

// One channel of one frame of a sample, signed 16-bit: 0 is silence.
static int frameValue(const SAMPLE *sample, int64_t frame, int channel)
{
    int64_t index = frame * (sample->stereo ? 2 : 1) + (sample->stereo ? channel : 0);
    if (sample->bits == 8)
        return ((int)((const uint8_t *)sample->data)[index] - unsigned8Centre) << eightToSixteen;
    return (int)((const uint16_t *)sample->data)[index] - unsigned16Centre;
}

// A channel of a voice where it stands, on a line between its frame and the
// next: after the last frame a looped voice goes on to its first, a one-shot
// to silence.
static int voiceValue(const Voice &voice, int channel)
{
    const SAMPLE *sample = voice.sample;
    int64_t next = voice.frame + 1;
    int here = frameValue(sample, voice.frame, channel);
    int there = 0;
    if (next < (int64_t)sample->len)
        there = frameValue(sample, next, channel);
    else if (voice.loop)
        there = frameValue(sample, 0, channel);
    return here + (int)((int64_t)(there - here) * voice.part / partsPerFrame);
}

// The pan's gain on each side, out of 255: the near side keeps full gain and
// the far one falls in a straight line to nothing at the other end, so the
// centre (128) gives both sides the voice's whole volume, 0 only the left
// and 255 only the right.
static int leftGain(int pan)
{
    return pan <= soundCentre ? soundFullVolume
                              : soundFullVolume * (soundFullVolume - pan) / (soundFullVolume - soundCentre);
}

static int rightGain(int pan)
{
    return pan >= soundCentre ? soundFullVolume : soundFullVolume * pan / soundCentre;
}

static void moveOn(Voice &voice)
{
    voice.part += voice.step;
    voice.frame += voice.part / partsPerFrame;
    voice.part %= partsPerFrame;
    int64_t len = (int64_t)voice.sample->len;
    if (voice.frame >= len) {
        if (voice.loop)
            voice.frame %= len;
        else
            voice.sample = nullptr;  // ended: the voice is free
    }
}

static int16_t clampSample(int64_t value)
{
    return (int16_t)(value < sampleMin ? sampleMin : value > sampleMax ? sampleMax : value);
}

void mixSound(int16_t *out, int frames)
{
    // Each voice's gain on each side, taken once for the whole call.
    int64_t gainLeft[soundVoices], gainRight[soundVoices];
    for (int v = 0; v < soundVoices; v++) {
        int64_t gain = (int64_t)voices[v].volume * masterVolume;
        gainLeft[v] = gain * leftGain(voices[v].pan);
        gainRight[v] = gain * rightGain(voices[v].pan);
    }
    for (int f = 0; f < frames; f++) {
        int64_t left = 0, right = 0;
        for (int v = 0; v < soundVoices; v++) {
            Voice &voice = voices[v];
            if (!voice.sample || voice.held)
                continue;
            left += voiceValue(voice, 0) * gainLeft[v] / fullGain;
            right += voiceValue(voice, 1) * gainRight[v] / fullGain;
            moveOn(voice);
        }
        out[f * deviceChannels] = clampSample(left);
        out[f * deviceChannels + 1] = clampSample(right);
    }
}
