// Start-up's loaders on a real screen under Xvfb: what they load, that they can
// run again around a mode change, and the assets' shapes the HUD relies on.
#include <allegro.h>
#include <gtest/gtest.h>
#include <loadpng.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

#include "GameScreen.h"
#include "Std/Errors.h"
#include "Std/Platform.h"
#include "Zephyrion/GameState.h"
#include "Zephyrion/Graphics.h"
#include "Zephyrion/Pause.h"
#include "Zephyrion/Zephyrion.h"
#include "text/Ttf.h"

namespace {

BITMAP *const Bitmaps::*const allBitmaps[] = {
    &Bitmaps::radar,     &Bitmaps::radarDir, &Bitmaps::speedo,   &Bitmaps::pitch,
    &Bitmaps::torque,    &Bitmaps::altimeter, &Bitmaps::crosshair, &Bitmaps::damage,
    &Bitmaps::fuel,      &Bitmaps::hudBar,   &Bitmaps::lifeInd,  &Bitmaps::enemyInd,
    &Bitmaps::fuelDir,   &Bitmaps::logo,
};

class Startup : public GameScreen {
  protected:
    void TearDown() override
    {
        freeSounds();
        freeGraphics();
        closeLogs();
    }
};

TEST_F(Startup, GraphicsLoadFreeAndLoadAgainAroundAModeChange)
{
    for (int round = 0; round < 3; round++) {
        int w = round == 1 ? 640 : 800, h = round == 1 ? 480 : 600;
        ASSERT_TRUE(openGameScreen(round == 1));
        ASSERT_TRUE(loadGraphics());
        ASSERT_NE(nullptr, game.backBuffer);
        EXPECT_EQ(w, game.backBuffer->w);
        EXPECT_EQ(h, game.backBuffer->h);
        ASSERT_NE(nullptr, game.gameFont);
        EXPECT_EQ(12, game.gameFont->height);
        for (auto slot : allBitmaps)
            EXPECT_NE(nullptr, game.bitmaps.*slot);
        EXPECT_GT(ttf_text_width(game.gameFont, "Score 0"), 0);
        freeGraphics();
        EXPECT_EQ(nullptr, game.backBuffer);
        EXPECT_EQ(nullptr, game.gameFont);
        for (auto slot : allBitmaps)
            EXPECT_EQ(nullptr, game.bitmaps.*slot);
        freeGraphics();  // a second release after a failed mode change is harmless
    }
    EXPECT_FALSE(std::filesystem::exists("ErrorLog.txt"));
}

// Making a full screen grabs the keyboard, and X reports the focus leaving
// the window for the grab: no reason to pause, in flight or at any later
// moment. Another window taking the focus from the game's window is one.
TEST_F(Startup, OnlyAFocusTakenByAnotherWindowPausesTheGame)
{
    stopDisplay();
    ASSERT_TRUE(startDisplay());
    ASSERT_TRUE(openGameScreen(false));  // the full screen made anew
    restServingInput(200);
    EXPECT_FALSE(pauseWanted()) << "the full screen's own grab";

    ASSERT_TRUE(changeDisplay({false, 1}));
    std::string other = run("xlogo -geometry 100x100+0+0 >/dev/null 2>&1 & echo $!");
    run("xdotool search --sync --class xlogo windowfocus --sync");
    restServingInput(200);
    EXPECT_TRUE(pauseWanted()) << "another window has the keys";
    EXPECT_FALSE(pauseWanted()) << "once for each loss";
    run("kill " + other);
    ASSERT_TRUE(changeDisplay({true, 0}));
}

TEST_F(Startup, SpritesStandOnTheMaskColour)
{
    ASSERT_TRUE(loadGraphics());
    const Bitmaps &b = game.bitmaps;
    for (BITMAP *sprite : {b.radar, b.radarDir, b.speedo, b.pitch, b.torque, b.altimeter,
                           b.crosshair, b.lifeInd, b.enemyInd, b.fuelDir, b.logo}) {
        int mask = bitmap_mask_color(sprite), shown = 0;
        EXPECT_EQ(mask, getpixel(sprite, 0, 0));
        EXPECT_EQ(mask, getpixel(sprite, sprite->w - 1, sprite->h - 1));
        for (int y = 0; y < sprite->h; y++)
            for (int x = 0; x < sprite->w; x++)
                shown += getpixel(sprite, x, y) != mask;
        EXPECT_GT(shown, sprite->w * sprite->h / 100);
    }
}

TEST_F(Startup, InstrumentRowFitsTheScreen)
{
    ASSERT_TRUE(loadGraphics());
    const Bitmaps &b = game.bitmaps;
    // The row runs right from the radar frame's centre: speedometer, pitch, damage, fuel.
    // Even on the 640 x 480 screen every instrument is wholly on it.
    int right = 320 + b.radarDir->w / 2 + b.speedo->w + b.pitch->w + b.damage->w + b.fuel->w;
    int left = 320 - b.radarDir->w / 2 - b.altimeter->w - 3 * b.lifeInd->w;
    EXPECT_LE(right, 640);
    EXPECT_GE(left, 0);
    EXPECT_GE(480 - b.radarDir->h, 480 / 2 + b.crosshair->h / 2);  // the row stays below the sights
    EXPECT_EQ(b.pitch->w, b.torque->w);
    EXPECT_GT(b.radarDir->w, b.radar->w);  // the frame shows round the disc
    // Bar gauges tall enough for their markers to move a row per unit.
    EXPECT_GE(b.damage->h / 50, 2);
    EXPECT_GE(b.fuel->h / 100, 1);
    EXPECT_GE(b.hudBar->w, 800);
}

TEST_F(Startup, PitchNeedlePivotsThirtyPixelsInAndTheFuelArrowPointsUp)
{
    ASSERT_TRUE(loadGraphics());
    BITMAP *pitch = game.bitmaps.pitch;
    // The pivot cap sits on the row's centre, 30 pixels from the left edge.
    int cap = getpixel(pitch, 30, pitch->h / 2);
    EXPECT_EQ(cap, getpixel(pitch, 29, pitch->h / 2));
    EXPECT_EQ(cap, getpixel(pitch, 31, pitch->h / 2));
    EXPECT_NE(cap, getpixel(pitch, 36, pitch->h / 2 - 4));
    BITMAP *arrow = game.bitmaps.fuelDir;
    for (int y = 0; y < arrow->h; y++)
        for (int x = 0; x < arrow->w; x++)
            if (getpixel(arrow, x, y) != bitmap_mask_color(arrow)) {
                EXPECT_LT(y, arrow->h / 4);
                EXPECT_NEAR(x, arrow->w / 2, arrow->w / 8);
            }
}

TEST_F(Startup, SoundsLoadInOrderAndStopAtTheFirstMissing)
{
    ASSERT_TRUE(loadSounds());
    for (SAMPLE *s : {game.samples.engine, game.samples.refuel, game.samples.briefing}) {
        ASSERT_NE(nullptr, s);
        EXPECT_EQ(16, s->bits);
        EXPECT_FALSE(s->stereo);
    }
    freeSounds();
    EXPECT_EQ(nullptr, game.samples.engine);
    std::filesystem::remove("sounds/008.wav");
    EXPECT_FALSE(loadSounds());
    EXPECT_NE(nullptr, game.samples.buildingDestroyed);  // loaded before the failure
    EXPECT_EQ(nullptr, game.samples.enemyHit);
    EXPECT_EQ(nullptr, game.samples.refuel);
    EXPECT_EQ("\n\n-----------  New log\nERR:0760:Zephyrion.cpp - Unable to load sounds/008.wav\n",
              dir.read("ErrorLog.txt"));
}

// A loop ends where it starts: the step across the seam is no bigger than the
// steps inside the sample.
TEST_F(Startup, LoopedSamplesJoinWithoutAClick)
{
    for (const char *path : {"sounds/002.wav", "sounds/003.wav", "sounds/007.wav", "sounds/016.wav"}) {
        SAMPLE *s = load_sample(path);
        ASSERT_NE(nullptr, s) << path;
        const unsigned short *data = (const unsigned short *)s->data;
        int largestStep = 0;
        for (unsigned long i = 1; i < s->len; i++)
            largestStep = std::max(largestStep, abs((int)data[i] - (int)data[i - 1]));
        int seam = abs((int)data[0] - (int)data[s->len - 1]);
        EXPECT_LE(seam, largestStep) << path;
        destroy_sample(s);
    }
}

}  // namespace
