// The title menu's keys, the frame loop's Escape and the timers, on a real
// Allegro screen with its keyboard and timer thread under Xvfb.
#include <allegro.h>
#include <gtest/gtest.h>
#include <loadpng.h>

#include <unistd.h>

#include "AllegroScreen.h"
#include "Std/Platform.h"
#include "Zephyrion/City.h"
#include "Zephyrion/Enemies.h"
#include "Zephyrion/Frame.h"
#include "Zephyrion/Sequences.h"
#include "Zephyrion/GameState.h"
#include "Zephyrion/Shots.h"
#include "Zephyrion/Timers.h"
#include "Zephyrion/Title.h"
#include "Zephyrion/Zephyrion.h"

namespace {

class GameLoop : public AllegroScreen {
  protected:
    void SetUp() override
    {
        AllegroScreen::SetUp();
        ASSERT_TRUE(loadGraphics());
        ASSERT_TRUE(loadSounds());
        installClock();
        game.citiesCleared = 0;
        buildCity();
        clear_keybuf();
    }
    void TearDown() override
    {
        key[KEY_ESC] = 0;
        stopGameTimers();
        freeEnemies();
        freeCity();
        freeSounds();
        freeGraphics();
    }
    static int press(int scancode, int &selection)
    {
        simulate_keypress(scancode << 8);
        return titleMenuKey(selection);
    }
};

TEST_F(GameLoop, TitleMenuKeysWrapChooseAndLeave)
{
    int selection = 0;
    EXPECT_EQ(-1, press(KEY_UP, selection));
    EXPECT_EQ(2, selection);
    EXPECT_EQ(-1, press(KEY_DOWN, selection));
    EXPECT_EQ(0, selection);
    EXPECT_EQ(-1, press(KEY_DOWN, selection));
    EXPECT_EQ(1, press(KEY_ENTER, selection));
    EXPECT_EQ(1, press(KEY_ENTER_PAD, selection));
    EXPECT_EQ(1, press(KEY_SPACE, selection));
    EXPECT_EQ(-1, press(KEY_A, selection));
    EXPECT_EQ(1, selection);
    EXPECT_EQ(2, press(KEY_ESC, selection));
    EXPECT_EQ(2, selection);
}

TEST_F(GameLoop, EscapeEndsTheFramesAfterThePassAlsoWhileFalling)
{
    ASSERT_TRUE(setupEnemies());
    game.craftState = Flying;
    camera->x = 0, camera->y = -250, camera->z = -20;
    key[KEY_ESC] = -1;
    uint32_t before = game.frameCount;
    EXPECT_EQ(EscapePressed, runCityFrames());
    EXPECT_EQ(before + 1, (uint32_t)game.frameCount);
    game.craftState = Crashing;
    EXPECT_EQ(EscapePressed, runCityFrames());
    EXPECT_EQ(Crashing, game.craftState);
}

TEST_F(GameLoop, ACityWithoutEnemiesLeftIsCleared)
{
    ASSERT_TRUE(setupEnemies());
    game.craftState = Flying;
    game.enemiesRemaining = 0;
    EXPECT_EQ(CityCleared, runCityFrames());
}

TEST_F(GameLoop, TheClockTicksEveryMillisecond)
{
    uint32_t start = game.msTicks;
    usleep(200 * 1000);
    uint32_t passed = game.msTicks - start;
    EXPECT_GE(passed, 150u);
    EXPECT_LE(passed, 260u);
}

// The sequences at FrameRate 1000: only the 10 ms rest paces them. (The
// frame counter restarts every second, so the frames show in the clock.)
TEST_F(GameLoop, TheApproachDescendsIn160FramesAndHandsOver)
{
    game.settings.frameRate = 1000;
    ASSERT_TRUE(setupEnemies());
    game.firstApproach = false;
    camera->pitch = 30, camera->yaw = 0;
    setViewDistance(1500);
    uint32_t start = game.msTicks;
    approachCity();
    EXPECT_GE(game.msTicks - start, 160u * 10);  // 160 frames of at least 10 ms
    EXPECT_EQ(-20, camera->y);
    EXPECT_EQ(0, camera->pitch);  // levelled out a degree a frame
    EXPECT_EQ(Flying, game.craftState);
    EXPECT_EQ(1500, getViewDistance());
}

// At the game's own 30 frames a second the descent lasts over 5 s, time for
// all three briefing lines 1.6 s apart. Every other cue is silenced (enemies
// may ram or bring a building down), so that only the briefing counts.
TEST_F(GameLoop, OnlyTheFirstApproachBriefsAndItsSoundPlaysThreeTimes)
{
    ASSERT_TRUE(setupEnemies());
    Samples loaded = game.samples;
    game.samples = Samples();
    game.samples.briefing = loaded.briefing;
    game.firstApproach = true;
    game.settings.frameRate = 30;
    approachCity();
    EXPECT_EQ(3u, (uint32_t)game.samples.cuesSounded);

    game.firstApproach = false;
    game.frameTime = frameTimeFor(1000);  // 1.6 s: one briefing line's time
    game.samples.cuesSounded = 0;
    approachCity();
    EXPECT_EQ(0u, (uint32_t)game.samples.cuesSounded);
    game.samples = loaded;
}

TEST_F(GameLoop, TheExitTurnsTheShorterWayClimbsAndPaysOnce)
{
    game.settings.frameRate = 1000;
    ASSERT_TRUE(setupEnemies());
    for (float yaw : {190.0f, 170.0f}) {
        camera->yaw = yaw, camera->pitch = 0, camera->y = -20, camera->z = 300;
        game.score = 40;
        setViewDistance(1500);
        uint32_t start = game.msTicks;
        exitCity();
        EXPECT_GE(game.msTicks - start, 220u * 10) << yaw;  // 220 frames of at least 10 ms
        EXPECT_LE(camera->y, -2000) << yaw;
        EXPECT_EQ(0, camera->yaw) << yaw;
        EXPECT_EQ(30, camera->pitch) << yaw;
        EXPECT_EQ(540, game.score) << yaw;
        EXPECT_EQ(Autopilot, game.craftState);
        EXPECT_EQ(1500, getViewDistance());
    }
}

}  // namespace
