// Synthesises the game's seventeen samples as 16-bit mono PCM WAV files.
// Usage: MakeSounds <output folder>
// Loops (engine, crash dive, beam on a building, intro loop) are built from
// whole cycles over the loop's length, so they repeat without a click.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

static const int rate = 22050;
static const float pi = 3.14159265f;
static const float twoPi = 2 * pi;

typedef std::vector<float> Wave;

static std::string outDir;
static int failures = 0;

static int samples(float seconds)
{
    return (int)lroundf(seconds * rate);
}

// ---- Building blocks ----

static uint32_t noiseState = 0x2545F491u;

static float noise()
{
    noiseState ^= noiseState << 13;
    noiseState ^= noiseState >> 17;
    noiseState ^= noiseState << 5;
    return (noiseState / 4294967295.0f) * 2 - 1;
}

static void seedNoise(uint32_t seed)
{
    noiseState = seed ? seed : 1;
}

// A harmonic tone: the sum of the first harmonics with 1/n amplitudes (odd ones
// only for a square-like buzz), so it stays clean instead of aliasing.
static float harmonics(float phase, int count, bool oddOnly)
{
    float sum = 0;
    for (int n = 1; n <= count; n++) {
        if (oddOnly && n % 2 == 0)
            continue;
        sum += sinf(phase * n) / n;
    }
    return sum;
}

// A state-variable filter: low, band and high outputs at a cutoff in Hz.
struct Filter {
    float low = 0, band = 0;
    float run(float in, float cutoff, float resonance, int output)
    {
        float f = 2 * sinf(pi * fminf(cutoff, rate * 0.24f) / rate);
        float q = 1 / resonance;
        low += f * band;
        float high = in - low - q * band;
        band += f * high;
        return output == 0 ? low : output == 1 ? band : high;
    }
};

enum { Low, Band, High };

// Noise filtered around a loop twice: the second pass starts in the state the
// first one ended in, so the result is periodic over the wave's length.
static Wave loopedNoise(int length, float cutoff, int output, uint32_t seed)
{
    seedNoise(seed);
    Wave raw(length), out(length);
    for (float &s : raw)
        s = noise();
    Filter filter;
    for (int pass = 0; pass < 2; pass++)
        for (int i = 0; i < length; i++)
            out[i] = filter.run(raw[i], cutoff, 0.7f, output);
    return out;
}

static float decay(float t, float seconds)
{
    return expf(-t / seconds);
}

static float attack(float t, float seconds)
{
    return t >= seconds ? 1 : t / seconds;
}

static void normalise(Wave &wave, float peak)
{
    float most = 0;
    for (float s : wave)
        most = fmaxf(most, fabsf(s));
    if (most > 0)
        for (float &s : wave)
            s *= peak / most;
}

// Short fades at both ends, so one-shot samples start and stop without a click.
static void fadeEnds(Wave &wave, float seconds)
{
    int n = samples(seconds);
    for (int i = 0; i < n && i < (int)wave.size(); i++) {
        float g = (float)i / n;
        wave[i] *= g;
        wave[wave.size() - 1 - i] *= g;
    }
}

static void put16(FILE *f, int v)
{
    fputc(v & 0xFF, f);
    fputc((v >> 8) & 0xFF, f);
}

static void put32(FILE *f, uint32_t v)
{
    put16(f, v & 0xFFFF);
    put16(f, v >> 16);
}

static void writeWav(const char *name, Wave wave, float peak = 0.89f)
{
    normalise(wave, peak);
    std::string path = outDir + "/" + name;
    FILE *f = fopen(path.c_str(), "wb");
    if (!f) {
        fprintf(stderr, "MakeSounds: cannot write %s\n", path.c_str());
        failures++;
        return;
    }
    uint32_t bytes = (uint32_t)wave.size() * 2;
    fputs("RIFF", f);
    put32(f, 36 + bytes);
    fputs("WAVEfmt ", f);
    put32(f, 16);
    put16(f, 1);         // PCM
    put16(f, 1);         // mono
    put32(f, rate);
    put32(f, rate * 2);  // bytes per second
    put16(f, 2);         // bytes per frame
    put16(f, 16);        // bits per sample
    fputs("data", f);
    put32(f, bytes);
    for (float s : wave)
        put16(f, (int)lroundf(fmaxf(-1, fminf(1, s)) * 32767));
    if (fclose(f) != 0)
        failures++;
}

// ---- The samples ----

// Engine: a low twin-rotor hum with a slow throb, one second, looped.
static Wave engine()
{
    int n = samples(1.0f);
    Wave w(n);
    Wave rumble = loopedNoise(n, 180, Low, 2);
    for (int i = 0; i < n; i++) {
        float t = (float)i / rate;
        float throb = 0.8f + 0.2f * sinf(twoPi * 6 * t);
        float hum = harmonics(twoPi * 55 * t, 8, false) + 0.5f * harmonics(twoPi * 82 * t, 4, false);
        float whine = 0.06f * sinf(twoPi * 880 * t + 0.4f * sinf(twoPi * 3 * t));
        w[i] = throb * hum * 0.5f + 2.2f * rumble[i] + whine;
    }
    return w;
}

// Crash dive: an endlessly falling whistle (octave-spaced tones gliding down
// one octave per loop, each ending where the next one starts) over a sputter.
static Wave crashDive()
{
    const float loop = 2.0f;
    int n = samples(loop);
    Wave w(n);
    const int voices = 6;
    // Each voice glides from base * 2^k down to half that; a base of a whole
    // number of cycles per loop keeps every voice's phase seamless.
    const float cyclesOfLowest = 320;
    float base = cyclesOfLowest * 2 * logf(2) / loop;
    Wave sputter = loopedNoise(n, 400, Band, 3);
    for (int k = 0; k < voices; k++) {
        float start = base * powf(2, (float)k);
        for (int i = 0; i < n; i++) {
            float t = (float)i / rate;
            float cycles = start * loop / logf(2) * (1 - powf(2, -t / loop));
            float freq = start * powf(2, -t / loop);
            float octave = (log2f(freq / base) + 1) / voices;  // 0..1 from lowest to highest
            float loudness = 0.5f - 0.5f * cosf(twoPi * octave);
            w[i] += loudness * sinf(twoPi * cycles);
        }
    }
    for (int i = 0; i < n; i++) {
        float t = (float)i / rate;
        w[i] += 0.6f * sputter[i] * (0.6f + 0.4f * sinf(twoPi * 11 * t));
    }
    return w;
}

// Crash explosion: a blast, a falling rumble and scattered crackle.
static Wave crashExplosion()
{
    int n = samples(2.6f);
    Wave w(n);
    seedNoise(6);
    Filter blast, rumble;
    float boomPhase = 0;
    for (int i = 0; i < n; i++) {
        float t = (float)i / rate;
        float cutoff = 200 + 3500 * decay(t, 0.25f);
        float body = blast.run(noise(), cutoff, 0.8f, Low) * decay(t, 0.7f);
        float low = rumble.run(noise(), 90, 1.2f, Low) * 3 * decay(t, 1.0f);
        boomPhase += twoPi * (28 + 40 * decay(t, 0.3f)) / rate;
        float boom = sinf(boomPhase) * decay(t, 0.5f) * attack(t, 0.005f);
        float crackle = noise() > 0.995f - 0.02f * decay(t, 0.6f) ? noise() * decay(t, 0.5f) : 0;
        w[i] = body * 1.4f + low + boom * 0.9f + crackle * 0.7f;
    }
    fadeEnds(w, 0.01f);
    return w;
}

// Fire: two slightly detuned laser zaps falling in pitch, one per beam.
static Wave fireBeam()
{
    int n = samples(0.45f);
    Wave w(n);
    float phaseA = 0, phaseB = 0;
    for (int i = 0; i < n; i++) {
        float t = (float)i / rate;
        float freq = 380 + 1900 * decay(t, 0.09f);
        float vibrato = 1 + 0.03f * sinf(twoPi * 32 * t);
        phaseA += twoPi * freq * vibrato / rate;
        phaseB += twoPi * freq * 1.012f * vibrato / rate;
        float tone = harmonics(phaseA, 5, true) + harmonics(phaseB, 5, true);
        w[i] = tone * attack(t, 0.004f) * decay(t, 0.16f);
    }
    fadeEnds(w, 0.005f);
    return w;
}

// Logo entrance: air rushing past, a band of noise swept up and settling.
static Wave logoWhoosh()
{
    int n = samples(0.9f);
    Wave w(n);
    seedNoise(5);
    Filter filter;
    for (int i = 0; i < n; i++) {
        float t = (float)i / rate;
        float sweep = t < 0.45f ? t / 0.45f : 1 - (t - 0.45f) / 0.45f * 0.6f;
        float cutoff = 250 * powf(18, sweep);
        float swell = sinf(pi * fminf(t / 0.9f, 1));
        w[i] = filter.run(noise(), cutoff, 2.5f, Band) * swell * swell;
    }
    fadeEnds(w, 0.01f);
    return w;
}

// Beam on a building: a sizzling crackle over a mains-like buzz, 0.6 s looped.
static Wave beamOnBuilding()
{
    int n = samples(0.6f);
    Wave w(n);
    Wave hiss = loopedNoise(n, 2500, High, 7);
    Wave flutter = loopedNoise(n, 30, Low, 8);
    for (int i = 0; i < n; i++) {
        float t = (float)i / rate;
        float buzz = harmonics(twoPi * 120 * t, 9, false);
        float crackle = 0.5f + 6 * fabsf(flutter[i]);
        w[i] = 0.35f * buzz + hiss[i] * crackle;
    }
    return w;
}

// Building destroyed: a sharp crack, then masonry rumbling and falling bits.
static Wave buildingDestroyed()
{
    int n = samples(1.7f);
    Wave w(n);
    seedNoise(10);
    Filter rumble, debris;
    for (int i = 0; i < n; i++) {
        float t = (float)i / rate;
        float crack = noise() * decay(t, 0.03f);
        float body = rumble.run(noise(), 160 + 500 * decay(t, 0.3f), 1.0f, Low) * 2.5f *
                     attack(t, 0.02f) * decay(t, 0.6f) * (0.7f + 0.3f * sinf(twoPi * 9 * t));
        float bits = noise() > 0.992f ? 1.0f : 0.0f;
        float clatter = debris.run(bits * noise(), 1800, 3, Band) * 4 * decay(t, 0.7f);
        w[i] = crack + body + clatter;
    }
    fadeEnds(w, 0.005f);
    return w;
}

// Enemy hit: a metallic clang (inharmonic partials) over a falling zap.
static Wave enemyHit()
{
    int n = samples(0.7f);
    Wave w(n);
    seedNoise(8);
    const float partials[][2] = {{420, 1.0f}, {1131, 0.7f}, {1873, 0.5f}, {2651, 0.35f}};
    float zap = 0;
    for (int i = 0; i < n; i++) {
        float t = (float)i / rate;
        float clang = 0;
        for (const auto &p : partials)
            clang += p[1] * sinf(twoPi * p[0] * t) * decay(t, 0.22f / (p[0] / 420));
        zap += twoPi * (200 + 1400 * decay(t, 0.05f)) / rate;
        w[i] = clang * 0.8f + harmonics(zap, 4, true) * 0.5f * decay(t, 0.12f) +
               noise() * decay(t, 0.015f);
    }
    fadeEnds(w, 0.004f);
    return w;
}

// End of an explosion: the pieces rushing back together, then a small pop.
static Wave explosionEnd()
{
    int n = samples(0.5f);
    Wave w(n);
    seedNoise(9);
    Filter filter;
    float phase = 0;
    for (int i = 0; i < n; i++) {
        float t = (float)i / rate;
        float rush = t < 0.35f ? filter.run(noise(), 300 + 4000 * t / 0.35f, 3, Band) * t / 0.35f : 0;
        float popT = t - 0.35f;
        float pop = 0;
        if (popT >= 0) {
            phase += twoPi * (300 + 900 * (1 - decay(popT, 0.02f))) / rate;
            pop = sinf(phase) * decay(popT, 0.04f);
        }
        w[i] = rush * 0.8f + pop;
    }
    fadeEnds(w, 0.004f);
    return w;
}

// Refusal: a short, rough two-tone buzz.
static Wave refusal()
{
    int n = samples(0.3f);
    Wave w(n);
    for (int i = 0; i < n; i++) {
        float t = (float)i / rate;
        w[i] = (harmonics(twoPi * 110 * t, 15, true) + harmonics(twoPi * 117 * t, 15, true)) *
               attack(t, 0.005f) * (t > 0.26f ? (0.3f - t) / 0.04f : 1);
    }
    return w;
}

// Ram: a heavy thud with a clank of the hull.
static Wave ram()
{
    int n = samples(0.5f);
    Wave w(n);
    seedNoise(12);
    Filter filter;
    float phase = 0;
    for (int i = 0; i < n; i++) {
        float t = (float)i / rate;
        phase += twoPi * (40 + 60 * decay(t, 0.05f)) / rate;
        float thud = sinf(phase) * decay(t, 0.13f);
        float hit = filter.run(noise(), 900, 1, Low) * decay(t, 0.03f) * 3;
        float clank = (sinf(twoPi * 310 * t) + 0.6f * sinf(twoPi * 787 * t)) * decay(t, 0.09f) * 0.3f;
        w[i] = thud + hit + clank;
    }
    fadeEnds(w, 0.003f);
    return w;
}

// Low fuel: one clean warning beep.
static Wave lowFuel()
{
    int n = samples(0.18f);
    Wave w(n);
    for (int i = 0; i < n; i++) {
        float t = (float)i / rate;
        float gate = attack(t, 0.006f) * (t > 0.15f ? (0.18f - t) / 0.03f : 1);
        w[i] = (sinf(twoPi * 1100 * t) + 0.25f * sinf(twoPi * 2200 * t)) * gate;
    }
    return w;
}

// Briefing line: a two-note computer blip.
static Wave briefing()
{
    int n = samples(0.22f);
    Wave w(n);
    for (int i = 0; i < n; i++) {
        float t = (float)i / rate;
        float freq = t < 0.07f ? 1320 : 1760;
        float local = t < 0.07f ? t : t - 0.08f;
        float gate = (t > 0.07f && t < 0.08f) ? 0 : attack(local, 0.003f) * decay(local, 0.06f);
        w[i] = harmonics(twoPi * freq * t, 3, true) * gate;
    }
    fadeEnds(w, 0.003f);
    return w;
}

// Refuel: a rising three-note bell chime.
static Wave refuel()
{
    int n = samples(1.0f);
    Wave w(n);
    const float notes[] = {1047, 1319, 1568};
    for (int k = 0; k < 3; k++) {
        float start = 0.11f * k;
        for (int i = samples(start); i < n; i++) {
            float t = (float)i / rate - start;
            float bell = sinf(twoPi * notes[k] * t) + 0.3f * sinf(twoPi * notes[k] * 2.76f * t) *
                                                          decay(t, 0.1f);
            w[i] += bell * attack(t, 0.002f) * decay(t, 0.35f);
        }
    }
    fadeEnds(w, 0.01f);
    return w;
}

// One data chirp of the intro: a square-ish blip at a pitch of the sequence.
static void chirp(Wave &w, int at, float freq, float seconds)
{
    int n = samples(seconds);
    for (int i = 0; i < n; i++) {
        float t = (float)i / rate;
        float gate = attack(t, 0.002f) * (t > seconds - 0.006f ? (seconds - t) / 0.006f : 1);
        int j = (at + i) % (int)w.size();  // wraps round, so a loop keeps its last chirp's tail
        w[j] += harmonics(twoPi * freq * t, 7, true) * gate * 0.4f;
    }
}

static const float chirpPitches[] = {880, 1175, 1320, 1568, 1760, 2093, 2349, 1047};

// The intro's data stream: chirps sixteen to the second over a soft hum.
static Wave dataStream(float seconds, uint32_t seed, bool looped)
{
    int n = samples(seconds);
    Wave w(n);
    for (int i = 0; i < n; i++) {
        float t = (float)i / rate;
        w[i] = 0.15f * harmonics(twoPi * 60 * t, 5, false);
    }
    seedNoise(seed);
    const float step = 1.0f / 16;
    for (float t = 0; t + (looped ? 0 : step) < seconds; t += step) {
        int pick = (int)((noise() + 1) * 4) % 8;
        if (noise() > -0.6f)
            chirp(w, samples(t), chirpPitches[pick], step * 0.7f);
    }
    return w;
}

// Intro start: a rising sweep into a bright chord as the title spins away.
static Wave introStart()
{
    int n = samples(2.8f);
    Wave w(n);
    seedNoise(1);
    Filter sweep, chordFilter;
    const float chord[] = {131, 196, 262, 330, 392, 523};
    for (int i = 0; i < n; i++) {
        float t = (float)i / rate;
        float rise = sweep.run(noise(), 200 + 5000 * fminf(t / 0.6f, 1), 4, Band) *
                     (t < 0.6f ? t / 0.6f : decay(t - 0.6f, 0.2f));
        float pad = 0;
        for (float f : chord)
            pad += harmonics(twoPi * f * t, 6, false) + harmonics(twoPi * f * 1.004f * t, 6, false);
        float open = 300 + 3000 * fminf(fmaxf(t - 0.5f, 0) / 0.8f, 1);
        float swell = t < 0.55f ? 0 : attack(t - 0.55f, 0.05f) * decay(t - 0.55f, 0.9f);
        w[i] = rise * 0.9f + chordFilter.run(pad, open, 0.9f, Low) * swell * 0.25f;
    }
    fadeEnds(w, 0.02f);
    return w;
}

int main(int argc, char **argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: MakeSounds <output folder>\n");
        return 2;
    }
    outDir = argv[1];
    writeWav("001.wav", introStart());
    writeWav("002.wav", engine(), 0.8f);
    writeWav("003.wav", crashDive(), 0.8f);
    writeWav("004.wav", fireBeam());
    writeWav("005.wav", logoWhoosh());
    writeWav("006.wav", crashExplosion());
    writeWav("007.wav", beamOnBuilding(), 0.7f);
    writeWav("008.wav", enemyHit());
    writeWav("009.wav", explosionEnd());
    writeWav("010.wav", buildingDestroyed());
    writeWav("011.wav", refusal(), 0.7f);
    writeWav("012.wav", ram());
    writeWav("013.wav", lowFuel(), 0.7f);
    writeWav("014.wav", briefing(), 0.7f);
    writeWav("015.wav", dataStream(4.0f, 15, false), 0.6f);
    writeWav("016.wav", dataStream(2.0f, 16, true), 0.6f);
    writeWav("017.wav", refuel());
    return failures ? 1 : 0;
}
