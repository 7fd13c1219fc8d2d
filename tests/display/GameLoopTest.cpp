// The title menu's keys, the frame loop's Escape and the timers, on the
// game's real window under Xvfb, with keys handed to its input.
#include <allegro.h>
#include <gtest/gtest.h>
#include <loadpng.h>

#include <unistd.h>

#include <algorithm>

#include "GameScreen.h"
#include "Std/3D.h"
#include "Std/Platform.h"
#include "Zephyrion/City.h"
#include "Zephyrion/Enemies.h"
#include "Zephyrion/Frame.h"
#include "Zephyrion/Game.h"
#include "Zephyrion/GameState.h"
#include "Zephyrion/Graphics.h"
#include "Zephyrion/HighScores.h"
#include "Zephyrion/Sequences.h"
#include "Zephyrion/Shots.h"
#include "Zephyrion/Timers.h"
#include "Zephyrion/Title.h"
#include "Zephyrion/Zephyrion.h"
#include "text/Ttf.h"

namespace {

class GameLoop : public GameScreen {
  protected:
    void SetUp() override
    {
        GameScreen::SetUp();
        ASSERT_TRUE(loadGraphics());
        ASSERT_TRUE(loadSounds());
        installClock();
        game.citiesCleared = 0;
        buildCity();
        clearKeys();
    }
    void TearDown() override
    {
        holdKey(KEY_ESC, false);
        stopGameTimers();
        freeEnemies();
        freeCity();
        freeSounds();
        freeGraphics();
    }
    static int press(int scancode, int &selection)
    {
        pressKey(scancode, 0);
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
    game.craft.x = 0, game.craft.y = -250, game.craft.z = -20;
    holdKey(KEY_ESC, true);
    uint32_t before = game.frameCount;
    EXPECT_EQ(EscapePressed, runCityFrames());
    EXPECT_EQ(before, (uint32_t)game.frameCount) << "read right after the last frame shown";
    game.craftState = Crashing;
    EXPECT_EQ(EscapePressed, runCityFrames());
    EXPECT_EQ(Crashing, game.craftState);
}

// The last enemy, standing in the beam's way beside the city, dies in the
// first pass, and that pass is the last.
TEST_F(GameLoop, ThePassThatKillsTheLastEnemyEndsTheFrames)
{
    ASSERT_TRUE(setupEnemies());
    const CityBounds &b = game.cityBounds;
    game.craft.x = b.minX, game.craft.y = -250, game.craft.z = b.minZ;  // west of every building
    game.craft.yaw = 0, game.craft.pitch = 0, game.craft.speed = 0;
    for (int n = 1; n < game.enemyCount; n++)
        game.enemies[n].state = EnemyGone;
    Enemy &last = game.enemies[0];
    last.speed = 0;
    for (Quad *cube : last.cubes)
        cube->transform.x = b.minX, cube->transform.y = -250, cube->transform.z = b.minZ + 30,
        cube->transform.scale = 2;
    game.enemiesRemaining = 1;
    game.craftState = Flying;
    startShot();
    int before = game.frameCount;
    EXPECT_EQ(CityCleared, runCityFrames());
    EXPECT_EQ(before + 1, game.frameCount);
    EXPECT_EQ(EnemyExploding, last.state);
}

TEST_F(GameLoop, TheClockKeepsRealTimeInMilliseconds)
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
    game.settings.smoothMotion = smoothMotionOff;  // one frame a tick, each resting 10 ms
    ASSERT_TRUE(setupEnemies());
    game.firstApproach = false;
    game.craft.pitch = 30, game.craft.yaw = 0;
    setViewDistance(1500);
    uint32_t start = game.msTicks;
    approachCity();
    EXPECT_GE(game.msTicks - start, 160u * 10);  // 160 frames of at least 10 ms
    EXPECT_EQ(-20, game.craft.y);
    EXPECT_EQ(0, game.craft.pitch);  // levelled out a degree a frame
    EXPECT_EQ(Flying, game.craftState);
    EXPECT_EQ(1500, getViewDistance());
}

// At 22 frames a second the descent lasts over 7 s, time for four steps of
// the briefing 1.6 s apart: its three lines sound once each and no more.
// Every other cue is silenced (enemies may ram or bring a building down), so
// that only the briefing counts.
TEST_F(GameLoop, OnlyTheFirstApproachBriefsAndItsSoundPlaysThreeTimes)
{
    ASSERT_TRUE(setupEnemies());
    Samples loaded = game.samples;
    game.samples = Samples();
    game.samples.briefing = loaded.briefing;
    game.firstApproach = true;
    game.settings.frameRate = 22;
    uint32_t start = game.msTicks;
    approachCity();
    ASSERT_GT(game.msTicks - start, 4 * 1600u);
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
    game.settings.smoothMotion = smoothMotionOff;  // one frame a tick, each resting 10 ms
    ASSERT_TRUE(setupEnemies());
    for (float yaw : {190.0f, 170.0f}) {
        game.craft.yaw = yaw, game.craft.pitch = 0, game.craft.y = -20, game.craft.z = 300;
        game.score = 40;
        setViewDistance(1500);
        uint32_t start = game.msTicks;
        exitCity(0);
        EXPECT_GE(game.msTicks - start, 220u * 10) << yaw;  // 220 frames of at least 10 ms
        EXPECT_LE(game.craft.y, -2000) << yaw;
        EXPECT_EQ(0, game.craft.yaw) << yaw;
        EXPECT_EQ(30, game.craft.pitch) << yaw;
        EXPECT_EQ(540, game.score) << yaw;
        EXPECT_EQ(Autopilot, game.craftState);
        EXPECT_EQ(1500, getViewDistance());
    }
}

// The grey pixels of the rating line ("Rating - Hero") in the back buffer,
// and how wide they spread.
static int ratingLineWidth()
{
    int grey = makecol(160, 160, 160), left = game.backBuffer->w, right = -1;
    for (int y = 230; y < 252; y++)
        for (int x = 0; x < game.backBuffer->w; x++)
            if (getpixel(game.backBuffer, x, y) == grey)
                left = std::min(left, x), right = std::max(right, x);
    return right - left + 1;
}

// Four buildings down and five falling when the last enemy goes: the city is
// rated "Hero", though nine are down before the climb ends.
TEST_F(GameLoop, AClearedCityIsRatedAsItWasWhenTheLastEnemyWent)
{
    game.settings.frameRate = 1000;
    ASSERT_TRUE(setupEnemies());
    resetGameTime(33);
    startCollapseTimer();
    for (int n = 0; n < 9; n++) {
        CityCell &c = game.city[n][3];
        c.state = n < 4 ? BuildingDestroyed : BuildingExploding;
        c.blastScale = 0.025f;  // three collapse ticks from its end
    }
    game.craft.y = -20, game.craft.z = 300, game.craft.yaw = 0;
    game.ratingSum = 0;
    EXPECT_TRUE(nextCity());
    EXPECT_EQ(0, game.ratingSum);
    ttf_set_height(game.gameFont, 18);
    EXPECT_NEAR(ttf_text_width(game.gameFont, "Rating - Hero"), ratingLineWidth(), 4);
    stopGameTimers();
}

// The next city's enemies cannot be made: the game still ends through game
// over (here with a table it does not reach).
TEST_F(GameLoop, AGameThatCannotGoOnStillEndsThroughGameOver)
{
    static int enemyArrays;
    enemyArrays = 0;
    allocatePrimitive = [](size_t size) -> void * {
        if (size == sizeof(Enemy) * 6 && ++enemyArrays == 2)
            return nullptr;  // the second city's enemies
        return malloc(size);
    };
    game.settings = Settings();
    game.settings.frameRate = 1000;
    for (HighScoreEntry &row : game.highScores)
        row.score = 1000000;
    holdKey(KEY_F1, true);  // the developers' key clears the first city at once
    holdKey(KEY_LSHIFT, true);
    EXPECT_FALSE(runGame());
    holdKey(KEY_F1, false);
    holdKey(KEY_LSHIFT, false);
    allocatePrimitive = malloc;
    EXPECT_EQ(2, enemyArrays);
    EXPECT_EQ(1, game.citiesCleared);
    EXPECT_EQ(0, game.ratingSum) << "Hero: nothing was lost in a city cleared at once";
    int red = makecol(220, 0, 0), shown = 0;
    for (int y = 60; y < 110; y++)
        for (int x = 0; x < game.backBuffer->w; x++)
            shown += getpixel(game.backBuffer, x, y) == red;
    EXPECT_GT(shown, 500) << "Game Over";
}

}  // namespace
