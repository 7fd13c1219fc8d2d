// The mixer, with no device open: what mixSound makes from samples built in
// memory the way load_sample leaves them (unsigned, 22050 Hz unless said).
#include "Std/Sound.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

const int gameRate = 22050;

// A sample whose every value (each channel of each frame) is value(i).
template <class Value>
SAMPLE *makeSample(int bits, int stereo, int len, Value value, int freq = gameRate)
{
    SAMPLE *sample = create_sample(bits, stereo, freq, len);
    for (int i = 0; i < len * (stereo ? 2 : 1); i++) {
        if (bits == 8)
            ((unsigned char *)sample->data)[i] = (unsigned char)value(i);
        else
            ((unsigned short *)sample->data)[i] = (unsigned short)value(i);
    }
    return sample;
}

SAMPLE *flat(int value, int len = 64, int bits = 16)
{
    return makeSample(bits, 0, len, [value](int) { return value; });
}

void silenceAll()
{
    for (int v = 0; v < soundVoices; v++)
        stopVoice(v);
    setMasterVolume(soundFullVolume);
}

std::vector<int16_t> mix(int frames)
{
    std::vector<int16_t> out(frames * 2);
    mixSound(out.data(), frames);
    return out;
}

// The first frame a voice makes on its own, left then right.
std::pair<int, int> firstFrame(const SAMPLE *sample, int volume, int pan)
{
    silenceAll();
    playSample(sample, volume, pan, soundOwnPitch, false);
    std::vector<int16_t> out = mix(1);
    silenceAll();
    return {out[0], out[1]};
}

}  // namespace

TEST(Sound, UnsignedFramesMixAtTheirOwnLevelPannedAndScaled)
{
    SAMPLE *centre = flat(0x8000), *top = flat(0xFFFF), *top8 = flat(255, 64, 8);
    SAMPLE *stereo = makeSample(16, 1, 64, [](int i) { return i % 2 ? 0x0000 : 0xFFFF; });
    typedef std::pair<int, int> LR;
    EXPECT_EQ(LR(0, 0), firstFrame(centre, soundFullVolume, soundCentre));
    EXPECT_EQ(LR(32767, 32767), firstFrame(top, soundFullVolume, soundCentre));
    EXPECT_EQ(LR(127 << 8, 127 << 8), firstFrame(top8, soundFullVolume, soundCentre));
    EXPECT_EQ(LR(32767, -32768), firstFrame(stereo, soundFullVolume, soundCentre));
    EXPECT_EQ(LR(32767, 0), firstFrame(top, soundFullVolume, 0));
    EXPECT_EQ(LR(0, 32767), firstFrame(top, soundFullVolume, 255));
    LR quarter = firstFrame(top, soundFullVolume, 64);  // the far side falls in a line
    EXPECT_EQ(32767, quarter.first);
    EXPECT_NEAR(32767 / 2, quarter.second, 128);
    LR quieter = firstFrame(top, 128, soundCentre);
    EXPECT_NEAR(32767 * 128 / 255.0, quieter.first, 1);
    EXPECT_EQ(quieter.first, quieter.second);

    // The master volume scales every voice, those already sounding too.
    playSample(top, soundFullVolume, soundCentre, soundOwnPitch, true);
    playSample(top, 128, soundCentre, soundOwnPitch, true);
    setMasterVolume(128);
    std::vector<int16_t> half = mix(1);
    EXPECT_NEAR((32767 + 32767 * 128 / 255.0) * 128 / 255, half[0], 1);
    setMasterVolume(0);
    for (int16_t value : mix(200))
        ASSERT_EQ(0, value);
    setMasterVolume(soundFullVolume);
    EXPECT_EQ(32767, mix(1)[1]);  // two loud voices together clip, never wrap
    silenceAll();
    for (SAMPLE *sample : {centre, top, top8, stereo})
        destroy_sample(sample);
}

TEST(Sound, TheRateSetsHowLongEachFrameSoundsAndAOneShotThenFreesItsVoice)
{
    silenceAll();
    SAMPLE *ramp = makeSample(16, 0, 110, [](int i) { return 0x8000 + 100 * i; });
    int voice = playSample(ramp, soundFullVolume, 0, soundOwnPitch, false);
    ASSERT_LE(0, voice);
    std::vector<int16_t> out = mix(220);
    for (int f = 0; f < 219; f++)
        ASSERT_EQ(f * 50, out[f * 2]) << "frame " << f;  // halfway frames lie between
    EXPECT_EQ(10900 / 2, out[219 * 2]);  // the last leads down to the silence after it
    EXPECT_EQ(nullptr, voiceSample(voice));
    EXPECT_EQ(-1, voicePosition(voice));

    // At 550 the same 110 frames last 110 * 2 / 0.55 = 400 output frames.
    voice = playSample(ramp, soundFullVolume, soundCentre, 550, false);
    mix(200);
    EXPECT_EQ(55, voicePosition(voice));
    mix(199);
    EXPECT_EQ(ramp, voiceSample(voice));
    EXPECT_EQ(109, voicePosition(voice));
    mix(1);
    EXPECT_EQ(nullptr, voiceSample(voice));
    EXPECT_EQ(-1, voicePosition(voice));
    EXPECT_EQ(0, mix(1)[0]);
    destroy_sample(ramp);
}

TEST(Sound, ALoopedVoiceWrapsToItsStart)
{
    silenceAll();
    SAMPLE *ramp = makeSample(16, 0, 50, [](int i) { return 0x8000 + 100 + 100 * i; });
    int voice = playSample(ramp, soundFullVolume, soundCentre, soundOwnPitch, true);
    std::vector<int16_t> out = mix(250);
    EXPECT_EQ(ramp, voiceSample(voice));
    EXPECT_EQ(25, voicePosition(voice));
    EXPECT_EQ((5000 + 100) / 2, out[99 * 2]);  // the last frame leads back to the first
    for (int f = 100; f < 250; f++)
        ASSERT_EQ(out[(f - 100) * 2], out[f * 2]) << "frame " << f;

    // Three times its own pitch, a frame and a half a step: 34 steps pass the
    // end by one frame and come round on frame 1.
    silenceAll();
    voice = playSample(ramp, soundFullVolume, soundCentre, 3 * soundOwnPitch, true);
    mix(34);
    EXPECT_EQ(1, voicePosition(voice));
    silenceAll();
    destroy_sample(ramp);
}

TEST(Sound, StopsAndHoldsTakeTheirOwnVoicesOnly)
{
    silenceAll();
    SAMPLE *top = flat(0xFFFF), *other = flat(0xC000);
    EXPECT_EQ(-1, playSample(nullptr, soundFullVolume, soundCentre, soundOwnPitch, false));
    int a = playSample(top, 100, soundCentre, soundOwnPitch, true);
    int b = playSample(top, 100, soundCentre, soundOwnPitch, true);
    int c = playSample(other, soundFullVolume, soundCentre, soundOwnPitch, true);
    EXPECT_TRUE(a != b && b != c && a != c);
    stopVoice(-1);  // voices out of range are let be
    holdVoice(soundVoices);

    stopVoice(a);
    EXPECT_EQ(nullptr, voiceSample(a));
    EXPECT_EQ(top, voiceSample(b));
    stopSample(top);
    EXPECT_EQ(nullptr, voiceSample(b));
    EXPECT_EQ(0x4000, mix(1)[0]);

    mix(9);  // c now stands on frame 5
    holdVoice(c);
    for (int16_t value : mix(100))
        ASSERT_EQ(0, value);
    EXPECT_EQ(5, voicePosition(c));
    resumeVoice(c);
    EXPECT_EQ(0x4000, mix(2)[0]);
    EXPECT_EQ(6, voicePosition(c));

    // A voice stopped while held is free and whole: every voice sounds again.
    holdVoice(c);
    stopVoice(c);
    for (int v = 0; v < soundVoices; v++)
        ASSERT_LE(0, playSample(other, 8, soundCentre, soundOwnPitch, false));
    EXPECT_EQ(-1, playSample(top, soundFullVolume, soundCentre, soundOwnPitch, false));
    EXPECT_EQ(soundVoices * (0x4000 * 8 / 255), mix(1)[0]);
    silenceAll();
    destroy_sample(top);
    destroy_sample(other);
}
