// The settings' cycles and names as the option screens step and show them.
#include "Zephyrion/Options.h"

#include <allegro.h>

#include <gtest/gtest.h>


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

// A hand-edited 35 % steps on to 40 %, and a full volume round to silence.
TEST(OptionCycles, WindowSizeAndVolumeWrapRound)
{
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
