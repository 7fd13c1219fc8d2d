// The settings' cycles and names as the option screens step and show them.
#include "Zephyrion/Options.h"

#include <allegro.h>

#include <gtest/gtest.h>

#include <string>

#include "Zephyrion/GameState.h"

namespace {

TEST(OptionCycles, NumberOfLivesCyclesAndDifficultyAndSensitivityRestartFromTheirFirst)
{
    EXPECT_EQ(4, nextLives(3));
    EXPECT_EQ(5, nextLives(4));
    EXPECT_EQ(3, nextLives(5));
    EXPECT_EQ(2, nextLives(1));
    EXPECT_EQ(3, nextLives(7));
    for (int odd : {0, 9}) {
        EXPECT_STREQ("Normal", difficultyName(odd));
        EXPECT_EQ(1, nextDifficulty(odd));
    }
    EXPECT_EQ(2, nextDifficulty(1));
    EXPECT_EQ(3, nextDifficulty(2));
    EXPECT_EQ(1, nextDifficulty(3));
    EXPECT_STREQ("Normal", sensitivityName(2));
    EXPECT_EQ(1, nextSensitivity(2));
    EXPECT_EQ(3, nextSensitivity(1));
    EXPECT_EQ(6, nextSensitivity(3));
    EXPECT_EQ(1, nextSensitivity(6));
    EXPECT_STREQ("Coarse", sensitivityName(6));
}

// A hand-edited 35 % steps on to 40 %, and a full volume round to silence;
// a hand-set 75 fps steps on to 120, and anything above 144 to Display.
TEST(OptionCycles, WindowSizeVolumeAndSmoothMotionWrapRound)
{
    int rate = smoothMotionOff;
    std::string shown;
    for (int step = 0; step < 5; step++, rate = nextSmoothMotion(rate))
        shown += std::string(smoothMotionName(rate)) + ";";
    EXPECT_EQ("Off;60 fps;120 fps;144 fps;Display;", shown);
    EXPECT_EQ(smoothMotionOff, rate);
    EXPECT_EQ(120, nextSmoothMotion(75));
    EXPECT_EQ(smoothMotionDisplay, nextSmoothMotion(240));
    EXPECT_EQ(1, nextWindowScale(0));
    EXPECT_EQ(3, nextWindowScale(2));
    EXPECT_EQ(0, nextWindowScale(3));
    EXPECT_EQ(0, nextWindowScale(7));
    EXPECT_EQ(10, nextVolume(0));
    EXPECT_EQ(40, nextVolume(35));
    EXPECT_EQ(100, nextVolume(90));
    EXPECT_EQ(0, nextVolume(100));
}

}  // namespace
