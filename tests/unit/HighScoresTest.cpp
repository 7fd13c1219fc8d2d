// Ratings and the high-score table's rows.
#include "Zephyrion/HighScores.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "ScratchDir.h"
#include "Zephyrion/Demo.h"
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

// The initials, typed key by key as readkey() reports them.
class Initials : public ::testing::Test {
  protected:
    void SetUp() override
    {
        game = GameState();
        refusal = create_sample(16, 0, 22050, 64);
        game.samples.refusal = refusal;
    }
    void TearDown() override
    {
        game.samples.refusal = nullptr;
        destroy_sample(refusal);
    }
    static int ascii(char c, int scancode) { return scancode << 8 | (unsigned char)c; }
    InitialsKey type(int key) { return initialsKey(name, length, key); }
    char name[initialsLength + 1] = {};
    int length = 0;
    SAMPLE *refusal = nullptr;
};

TEST_F(Initials, BackspaceTakesBackTheLastLetter)
{
    EXPECT_EQ(InitialAdded, type(ascii('A', KEY_A)));
    EXPECT_EQ(InitialErased, type(ascii('\b', KEY_BACKSPACE)));
    EXPECT_EQ(0, length);
    EXPECT_EQ(InitialAdded, type(ascii('B', KEY_B)));
    EXPECT_EQ(InitialAdded, type(ascii('C', KEY_C)));
    EXPECT_EQ(InitialAdded, type(ascii('D', KEY_D)));
    EXPECT_EQ(3, length);
    EXPECT_STREQ("BCD", name);
}

TEST_F(Initials, BackspaceFirstStaysAtTheFirstLetter)
{
    EXPECT_EQ(InitialIgnored, type(ascii('\b', KEY_BACKSPACE)));
    EXPECT_EQ(0, length);
    EXPECT_EQ(InitialAdded, type(ascii('x', KEY_X)));
    EXPECT_STREQ("x", name);
    EXPECT_EQ(0u, (uint32_t)game.samples.cuesSounded);
}

TEST_F(Initials, BracesTildeAndFunctionKeysAreRefusedWithTheSound)
{
    const int refused[] = {ascii('{', KEY_OPENBRACE), ascii('}', KEY_CLOSEBRACE),
                           ascii('~', KEY_TILDE), ascii('|', KEY_BACKSLASH), KEY_F1 << 8,
                           KEY_F12 << 8, KEY_UP << 8, ascii('\t', KEY_TAB)};
    int n = 0;
    for (int key : refused) {
        EXPECT_EQ(InitialRefused, type(key)) << key;
        EXPECT_EQ(0, length);
        EXPECT_EQ(uint32_t(++n), (uint32_t)game.samples.cuesSounded);
    }
    for (char c : {' ', '0', 'z'})
        EXPECT_EQ(InitialAdded, type(ascii(c, KEY_SPACE)));
    EXPECT_STREQ(" 0z", name);
}

// The arrows and the d-pad step from A through Z and the digits to a blank
// and round; Enter takes what is offered, and is refused while nothing is.
TEST_F(Initials, TheArrowsOfferACharacterAndEnterTakesIt)
{
    int offered = -1;
    EXPECT_EQ(ascii('\r', KEY_ENTER), offerCharacter(offered, ascii('\r', KEY_ENTER)));
    EXPECT_EQ(0, offerCharacter(offered, KEY_DOWN << 8));
    EXPECT_EQ('A', offerCharacter(offered, ascii('\r', KEY_ENTER))) << "the first step offers A";
    for (int step = 0; step < 2; step++)
        offerCharacter(offered, KEY_DOWN << 8);
    EXPECT_EQ('9', offerCharacter(offered, ascii('\r', KEY_ENTER_PAD))) << "back past the blank";
    for (int step = 0; step < 2; step++)
        offerCharacter(offered, KEY_RIGHT << 8);
    EXPECT_EQ('A', offerCharacter(offered, ascii('\r', KEY_ENTER))) << "and on round";
    EXPECT_EQ(InitialAdded, type(offerCharacter(offered, ascii('\r', KEY_ENTER))));
    EXPECT_EQ(ascii('q', KEY_Q), offerCharacter(offered, ascii('q', KEY_Q))) << "typing still types";
    EXPECT_EQ(InitialAdded, type(ascii('q', KEY_Q)));
    EXPECT_STREQ("Aq", name);
}

TEST_F(Initials, EscapeLeavesWhatWasTyped)
{
    type(ascii('Q', KEY_Q));
    EXPECT_EQ(InitialsCancelled, type(ascii(27, KEY_ESC)));
    EXPECT_STREQ("Q", name);
}

}  // namespace

namespace {

// A row's demo is written before the table names it, and the demo of the row
// pushed out is removed only once the table is written: the new one must not
// take the old one's file, or removing that would lose it.
TEST_F(Ratings, ANewRowNeverTakesTheDemoFileOfTheRowItPushesOut)
{
    ScratchDir dir;
    for (int i = 0; i < highScoreRows; i++)
        game.highScores[i].demo = i + 1;  // top-1 .. top-10
    int dropped = game.highScores[highScoreRows - 1].demo;
    insertHighScoreSlot(3);
    game.highScores[3].demo = keepGameDemo(dropped);
    EXPECT_EQ(11, game.highScores[3].demo) << "1 to 9 are in the table, 10 is still on disk";
    dropRowDemo(dropped);
    EXPECT_TRUE(std::filesystem::exists("demos/top-11.zdemo"));
    EXPECT_FALSE(std::filesystem::exists("demos/top-10.zdemo"));
    EXPECT_EQ(4, game.highScores[4].demo) << "the rows below moved down with their demos";
}

}  // namespace
