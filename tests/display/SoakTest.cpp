// A long game on the real frame loop: city after city cleared, crash after
// crash, buildings shot down on the way; the heap must end where it stood
// after the first rounds.
#include <allegro.h>
#include <gtest/gtest.h>

#include <malloc.h>

#include "GameScreen.h"
#include "Std/3D.h"
#include "Zephyrion/City.h"
#include "Zephyrion/Enemies.h"
#include "Zephyrion/Flight.h"
#include "Zephyrion/Frame.h"
#include "Zephyrion/Game.h"
#include "Zephyrion/GameState.h"
#include "Zephyrion/Graphics.h"
#include "Zephyrion/Shots.h"
#include "Zephyrion/Timers.h"
#include "Zephyrion/Zephyrion.h"

#if defined(__SANITIZE_ADDRESS__)
extern "C" size_t __sanitizer_get_current_allocated_bytes();  // the sanitizer's own count
#endif

namespace {

size_t heapInUse()
{
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();
#else
    return mallinfo2().uordblks;
#endif
}

class Soak : public GameScreen {
  protected:
    void SetUp() override
    {
        GameScreen::SetUp();
        game.settings = Settings();
        game.settings.frameRate = 1000;
        game.settings.numLives = 99;
        ASSERT_TRUE(loadGraphics());
        ASSERT_TRUE(loadSounds());
        installClock();
    }
    void TearDown() override
    {
        stopTimer(FuelTimer);
        freeEnemies();
        freeCity();
        freeSounds();
        freeGraphics();
    }
};

TEST_F(Soak, ThirteenRoundsOfCitiesAndCrashesKeepTheHeapFlat)
{
    const int rounds = 13, crashEvery = 4, settled = 5;  // each city climbs out for 2.2 s
    game.citiesCleared = 0;
    buildCity();
    ASSERT_TRUE(beginGame());
    size_t after = 0;
    int crashes = 0;
    for (int round = 0; round < rounds; round++) {
        startLife();
        game.craft.pitch = 0;  // level, facing the first street's buildings
        startShot();
        for (int i = 0; i < 8; i++)
            drawBeams();
        int result;
        if (round % crashEvery == crashEvery - 1) {
            startCrashing();
            result = runCityFrames();
            EXPECT_EQ(CraftCrashed, result) << round;
            crashes++;
        } else {
            game.enemiesRemaining = 0;
            result = runCityFrames();
            EXPECT_EQ(CityCleared, result) << round;
        }
        endLife(result);
        if (result == CityCleared) {
            ASSERT_TRUE(nextCity());
        }
        stopTimer(FuelTimer);
        if (round == settled)
            after = heapInUse();
    }
    EXPECT_GE(game.citiesCleared, 10);
    EXPECT_GE(crashes, 3);
    size_t end = heapInUse();
    EXPECT_LT(end, after + 64 * 1024) << "grew from " << after << " to " << end;
}

}  // namespace
