// Ratings and the high-score table's rows.
#include "Zephyrion/HighScores.h"

#include <gtest/gtest.h>

#include <cstring>

#include "Zephyrion/GameState.h"
#include "Zephyrion/Settings.h"

namespace {

class Ratings : public ::testing::Test {
  protected:
    void SetUp() override
    {
        game = GameState();
        resetHighScores();
    }
    void destroyBuildings(int count)
    {
        for (int index = 0; index < count; index++)
            game.city[index % citySlots][index / citySlots].state = BuildingDestroyed;
    }
};

TEST_F(Ratings, ACityIsRatedByItsLostBuildings)
{
    const int lost[] = {0, 4, 5, 9, 10, 19, 20, 39, 40, 120};
    const char *const names[] = {"Hero",    "Hero",      "Sharp Shooter", "Sharp Shooter",
                                 "Gung Ho", "Gung Ho",   "Dangerous",     "Dangerous",
                                 "Catastrophic", "Catastrophic"};
    for (int k = 0; k < 10; k++) {
        game = GameState();
        destroyBuildings(lost[k]);
        EXPECT_STREQ(names[k], ratingName(false)) << lost[k];
    }
}

TEST_F(Ratings, TheGameAveragesItsCitiesAndNoCityIsNone)
{
    EXPECT_STREQ("None", ratingName(true));
    game.citiesCleared = 3, game.ratingSum = 0 + 1 + 3;
    EXPECT_STREQ("Sharp Shooter", ratingName(true));
    game.citiesCleared = 2, game.ratingSum = 4 + 3;
    EXPECT_STREQ("Dangerous", ratingName(true));
}

TEST_F(Ratings, AStoredRatingOutsideTheTableIsNone)
{
    EXPECT_STREQ("None", ratingNameOf(6));
    EXPECT_STREQ("None", ratingNameOf(-1));
    EXPECT_STREQ("None", ratingNameOf(2147483647));
    EXPECT_STREQ("Gung Ho", ratingNameOf(2));
}

TEST_F(Ratings, ScoresTakeTheRowBelowAnEqualOne)
{
    game.score = 50;  // below row 9's 100
    EXPECT_EQ(-1, findHighScoreSlot());
    game.score = 1000;  // equal to row 0
    EXPECT_EQ(1, findHighScoreSlot());
    game.score = 1001;
    EXPECT_EQ(0, findHighScoreSlot());
}

TEST_F(Ratings, OpeningARowMovesTheRestDownAndDropsTheLast)
{
    strcpy(game.highScores[8].name, "EIG");
    insertHighScoreSlot(3);
    EXPECT_EQ(700, game.highScores[4].score);
    EXPECT_EQ(700, game.highScores[3].score);
    EXPECT_STREQ("EIG", game.highScores[9].name);
    EXPECT_EQ(800, game.highScores[2].score);
}

}  // namespace
