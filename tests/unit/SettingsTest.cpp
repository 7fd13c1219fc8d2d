// The configuration file: defaults, order, the high-score rows and the guards
// against hand-edited values.
#include "Zephyrion/Settings.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "ScratchDir.h"
#include "Zephyrion/GameState.h"

namespace {

// Each case starts from the built-in values and a file of its own.
class ConfigFile : public ::testing::Test {
  protected:
    void SetUp() override
    {
        game = GameState();
        resetHighScores();
        builtIn = game;
    }
    void TearDown() override { flush_config_file(); }

    void load(const std::string &text)
    {
        writeText("Zephyrion.cfg", text);
        set_config_file("Zephyrion.cfg");
        loadSettings();
    }
    std::string save()
    {
        set_config_file("Zephyrion.cfg");
        saveSettings();
        flush_config_file();
        return readText("Zephyrion.cfg");
    }
    void expectSettingsEqual(const Settings &a, const Settings &b)
    {
        EXPECT_EQ(a.lowSpeedPC, b.lowSpeedPC);
        EXPECT_EQ(a.classic, b.classic);
        EXPECT_EQ(a.numLives, b.numLives);
        EXPECT_EQ(a.difficulty, b.difficulty);
        EXPECT_EQ(a.useMouse, b.useMouse);
        EXPECT_EQ(a.oldSchool, b.oldSchool);
        EXPECT_EQ(a.sensitivity, b.sensitivity);
        EXPECT_EQ(a.showFPS, b.showFPS);
        EXPECT_EQ(a.frameRate, b.frameRate);
        EXPECT_EQ(a.mouseRatio, b.mouseRatio);
        EXPECT_EQ(a.fullScreen, b.fullScreen);
    }

    ScratchDir dir;
    GameState builtIn;
};

TEST_F(ConfigFile, BuiltInHighScoresRunFrom1000DownTo100)
{
    for (int i = 0; i < highScoreRows; i++) {
        EXPECT_EQ((10 - i) * 100, game.highScores[i].score);
        EXPECT_STREQ("KVZ", game.highScores[i].name);
        EXPECT_EQ(0, game.highScores[i].cities);
        EXPECT_GE(game.highScores[i].rating, 0);
        EXPECT_LE(game.highScores[i].rating, 5);
    }
}

TEST_F(ConfigFile, WrittenFromNothingInItsOrder)
{
    std::remove("Zephyrion.cfg");
    std::string text = save();
    std::string expected = "[Settings]\nLowSpeedPC = 0\nOldSchool = 0\nClassic = 0\nNumLives = 3\n"
                           "Difficulty = 2\nUseMouse = 0\nSensitivity = 3\n\n"
                           "[Keys]\nLeft = 82\nRight = 83\nPitchForward = 84\nPitchBack = 85\n"
                           "TorqueIncrease = 85\nTorqueDecrease = 84\nAccelerate = 80\n"
                           "Deccelerate = 81\nStop = 79\nFire = 75\n\n[HighScore]\n";
    for (int i = 0; i < highScoreRows; i++)
        expected += "0" + std::to_string(i) + " = " + std::to_string((10 - i) * 100) + ",0," +
                    std::to_string(game.highScores[i].rating) + ",KVZ\n";
    expected += "\n[Misc]\nShowFPS = 0\nFrameRate = 30\nMouseRatio = 24\n\n[Display]\nFullScreen = 1\n";
    EXPECT_EQ(expected, text);
}

TEST_F(ConfigFile, MissingFileKeepsEveryBuiltInValue)
{
    set_config_file("Zephyrion.cfg");
    loadSettings();
    expectSettingsEqual(builtIn.settings, game.settings);
    EXPECT_EQ(0, memcmp(builtIn.keyBindings, game.keyBindings, sizeof game.keyBindings));
    EXPECT_EQ(0, memcmp(builtIn.highScores, game.highScores, sizeof game.highScores));
}

TEST_F(ConfigFile, OnlyTheFireKeyChangesAndEveryKeyIsWrittenBack)
{
    load("[Keys]\nFire = 67\n");
    GameState expected = builtIn;
    expected.keyBindings[BindFire] = 67;
    EXPECT_EQ(0, memcmp(expected.keyBindings, game.keyBindings, sizeof game.keyBindings));
    expectSettingsEqual(builtIn.settings, game.settings);
    std::string text = save();
    for (const char *key : {"Left = 82", "Right = 83", "PitchForward = 84", "PitchBack = 85",
                            "TorqueIncrease = 85", "TorqueDecrease = 84", "Accelerate = 80",
                            "Deccelerate = 81", "Stop = 79", "Fire = 67", "LowSpeedPC = 0",
                            "MouseRatio = 24", "09 = 100,0,"})
        EXPECT_NE(std::string::npos, text.find(key)) << key;
    EXPECT_EQ(std::string::npos, text.find("Fire = 75"));
}

TEST_F(ConfigFile, BooleansReadAsOnWhenNonZeroAndAreWrittenAsOne)
{
    load("[Settings]\nUseMouse = 5\nClassic = -1\nOldSchool = 0\n[Misc]\nShowFPS = 2\n");
    EXPECT_TRUE(game.settings.useMouse);
    EXPECT_TRUE(game.settings.classic);
    EXPECT_FALSE(game.settings.oldSchool);
    EXPECT_TRUE(game.settings.showFPS);
    std::string text = save();
    EXPECT_NE(std::string::npos, text.find("UseMouse = 1\n"));
    EXPECT_NE(std::string::npos, text.find("Classic = 1\n"));
    EXPECT_NE(std::string::npos, text.find("ShowFPS = 1\n"));
}

TEST_F(ConfigFile, WrittenFileReadsBackToTheSameValues)
{
    Settings &s = game.settings;
    s.lowSpeedPC = true;
    s.classic = true;
    s.numLives = 5;
    s.difficulty = 3;
    s.useMouse = true;
    s.oldSchool = true;
    s.sensitivity = 6;
    s.showFPS = true;
    s.frameRate = 60;
    s.mouseRatio = 12;
    game.keyBindings[BindStop] = KEY_S;
    game.highScores[3] = HighScoreEntry{-250, "A1", 7, 2};
    GameState written = game;
    save();
    game = GameState();
    resetHighScores();
    set_config_file("Zephyrion.cfg");
    loadSettings();
    expectSettingsEqual(written.settings, game.settings);
    EXPECT_EQ(0, memcmp(written.keyBindings, game.keyBindings, sizeof game.keyBindings));
    for (int i = 0; i < highScoreRows; i++) {
        EXPECT_EQ(written.highScores[i].score, game.highScores[i].score);
        EXPECT_STREQ(written.highScores[i].name, game.highScores[i].name);
        EXPECT_EQ(written.highScores[i].cities, game.highScores[i].cities);
        EXPECT_EQ(written.highScores[i].rating, game.highScores[i].rating);
    }
}

TEST_F(ConfigFile, HighScoreRowFillsEveryField)
{
    load("[HighScore]\n04 = 1200,3,1,ABC\n");
    const HighScoreEntry &row = game.highScores[4];
    EXPECT_EQ(1200, row.score);
    EXPECT_EQ(3, row.cities);
    EXPECT_EQ(1, row.rating);
    EXPECT_STREQ("ABC", row.name);
}

class HighScoreRow : public ::testing::Test {
  protected:
    HighScoreEntry row{600, "KVZ", 0, 4};
};

TEST_F(HighScoreRow, EmptyNameKeepsTheBuiltInName)
{
    parseHighScoreRow("1200,3,1,", &row);
    EXPECT_EQ(1200, row.score);
    EXPECT_EQ(1, row.rating);
    EXPECT_STREQ("KVZ", row.name);
}

TEST_F(HighScoreRow, NameEndsAtABlank)
{
    parseHighScoreRow("1200,3,1,A B", &row);
    EXPECT_STREQ("A", row.name);
}

TEST_F(HighScoreRow, ParsingStopsAtTheFirstFieldThatDoesNotMatch)
{
    parseHighScoreRow("1200;3,1,ABC", &row);
    EXPECT_EQ(1200, row.score);
    EXPECT_EQ(0, row.cities);
    EXPECT_EQ(4, row.rating);
    EXPECT_STREQ("KVZ", row.name);
    parseHighScoreRow("900,x,1,ABC", &row);
    EXPECT_EQ(900, row.score);
    EXPECT_EQ(0, row.cities);
    EXPECT_STREQ("KVZ", row.name);
    parseHighScoreRow("", &row);
    EXPECT_EQ(900, row.score);
}

TEST_F(HighScoreRow, LongNameIsCutToThreeCharacters)
{
    parseHighScoreRow("1,2,3,ABCDEFGHIJKLMNOPQRSTUVWXYZ", &row);
    EXPECT_STREQ("ABC", row.name);
    EXPECT_EQ(3, row.rating);  // the fields beside the name are untouched
}

TEST_F(HighScoreRow, NumbersBeyondTheIntRangeSaturate)
{
    parseHighScoreRow("99999999999999999999,-99999999999999999999,1,ZZ", &row);
    EXPECT_EQ(INT_MAX, row.score);
    EXPECT_EQ(INT_MIN, row.cities);
    EXPECT_STREQ("ZZ", row.name);
}

// The guards chosen for values the game could not play with safely.
TEST_F(ConfigFile, RatingOutsideTheTableReadsAsNone)
{
    load("[HighScore]\n00 = 5000,2,6,AAA\n01 = 4000,2,-1,BBB\n02 = 3000,2,5,CCC\n03 = 2000,2,0,DDD\n");
    EXPECT_EQ(5, game.highScores[0].rating);
    EXPECT_EQ(5, game.highScores[1].rating);
    EXPECT_EQ(5, game.highScores[2].rating);
    EXPECT_EQ(0, game.highScores[3].rating);
}

TEST_F(ConfigFile, FrameRateAndMouseRatioBelowOneFallBackToTheirDefaults)
{
    load("[Misc]\nFrameRate = 0\nMouseRatio = -3\n");
    EXPECT_EQ(30, game.settings.frameRate);
    EXPECT_EQ(24, game.settings.mouseRatio);
    load("[Misc]\nFrameRate = -7\nMouseRatio = 0\n");
    EXPECT_EQ(30, game.settings.frameRate);
    EXPECT_EQ(24, game.settings.mouseRatio);
    load("[Misc]\nFrameRate = 1000\nMouseRatio = 1\n");
    EXPECT_EQ(1000, game.settings.frameRate);
    EXPECT_EQ(1, game.settings.mouseRatio);
}

TEST_F(ConfigFile, LivesAreHeldBetweenNoneAndNinetyNine)
{
    load("[Settings]\nNumLives = 2147483647\n");
    EXPECT_EQ(99, game.settings.numLives);
    load("[Settings]\nNumLives = -2147483648\n");
    EXPECT_EQ(0, game.settings.numLives);
    load("[Settings]\nNumLives = 7\n");
    EXPECT_EQ(7, game.settings.numLives);
    load("[Settings]\nNumLives = 1\n");
    EXPECT_EQ(1, game.settings.numLives);
}

TEST_F(ConfigFile, DifficultyIsKeptAsReadForTheGameToPlayAsNormal)
{
    load("[Settings]\nDifficulty = 9\n");
    EXPECT_EQ(9, game.settings.difficulty);
    load("[Settings]\nDifficulty = 0\n");
    EXPECT_EQ(0, game.settings.difficulty);
}

TEST_F(ConfigFile, SensitivityOutsideOneToNinetyFallsBackToNormal)
{
    load("[Settings]\nSensitivity = 2\n");
    EXPECT_EQ(2, game.settings.sensitivity);  // shown as Normal by the Controls screen
    load("[Settings]\nSensitivity = 0\n");
    EXPECT_EQ(3, game.settings.sensitivity);
    load("[Settings]\nSensitivity = 100000\n");
    EXPECT_EQ(3, game.settings.sensitivity);
    load("[Settings]\nSensitivity = 90\n");
    EXPECT_EQ(90, game.settings.sensitivity);
}

TEST_F(ConfigFile, KeyOutsideTheKeyTableKeepsItsBinding)
{
    load("[Keys]\nFire = 9999\nLeft = 0\nRight = -4\nStop = 126\n");
    EXPECT_EQ(KEY_SPACE, game.keyBindings[BindFire]);
    EXPECT_EQ(KEY_LEFT, game.keyBindings[BindLeft]);
    EXPECT_EQ(KEY_RIGHT, game.keyBindings[BindRight]);
    EXPECT_EQ(126, game.keyBindings[BindStop]);
}

TEST_F(ConfigFile, GarbageValuesLeaveASafeGame)
{
    load("[Settings]\nNumLives = lots\nDifficulty = \nSensitivity = 1e99\n"
         "[Misc]\nFrameRate = fast\nMouseRatio = 99999999999999999999\n"
         "[HighScore]\n00 = ,,,\n01 = garbage\n02 = 1,2\n");
    EXPECT_EQ(0, game.settings.numLives);    // a word reads as 0
    EXPECT_EQ(30, game.settings.frameRate);
    EXPECT_GE(game.settings.mouseRatio, 1);
    EXPECT_GE(game.settings.sensitivity, 1);
    EXPECT_EQ(1000, game.highScores[0].score);
    EXPECT_EQ(900, game.highScores[1].score);
    EXPECT_EQ(1, game.highScores[2].score);
    EXPECT_EQ(2, game.highScores[2].cities);
    EXPECT_STREQ("KVZ", game.highScores[2].name);
}

// Binary junk would throw Allegro's UTF-8 reader out of step: the lines around
// it keep their values, and the file written back is text that reads back the same.
TEST_F(ConfigFile, LinesThatAreNotTextAreLeftOutAndTheFileWrittenWithoutThem)
{
    std::string junk = "\xF0[Keys]\x01\x00\xFF\xC0\xAF";
    writeText("Zephyrion.cfg", "# kept\n[Settings]\nNumLives = 5\n" + junk +
                                   "\nDifficulty = 3\r\n[Keys]\nLeft = 30\nh\xC3\xA9 = caf\xC3\xA9\n");
    selectSettingsFile("Zephyrion.cfg");
    loadSettings();
    EXPECT_EQ(5, game.settings.numLives);
    EXPECT_EQ(3, game.settings.difficulty);
    EXPECT_EQ(30, game.keyBindings[BindLeft]);
    writeSettingsFile();
    std::string written = readText("Zephyrion.cfg");
    EXPECT_EQ(0u, written.find("# kept\n[Settings]\n"));
    EXPECT_EQ(std::string::npos, written.find('\x01'));
    EXPECT_NE(std::string::npos, written.find("h\xC3\xA9 = caf\xC3\xA9")) << "UTF-8 is text";

    game = GameState();
    selectSettingsFile("Zephyrion.cfg");
    loadSettings();
    EXPECT_EQ(5, game.settings.numLives);
    writeSettingsFile();
    EXPECT_EQ(written, readText("Zephyrion.cfg"));
}

// Without a blank line before [Keys], Allegro would add Settings' new keys under
// [Keys], where the next run could not find them: the choice would be lost.
TEST_F(ConfigFile, ASettingAddedToASectionWithoutABlankLineAfterItIsReadBack)
{
    writeText("Zephyrion.cfg", "[Settings]\nNumLives = 5\n[Keys]\nLeft = 30\n");
    selectSettingsFile("Zephyrion.cfg");
    loadSettings();
    game.settings.lowSpeedPC = true;
    writeSettingsFile();
    std::string written = readText("Zephyrion.cfg");
    game = GameState();
    selectSettingsFile("Zephyrion.cfg");
    loadSettings();
    EXPECT_TRUE(game.settings.lowSpeedPC) << written;
    EXPECT_EQ(5, game.settings.numLives);
    writeSettingsFile();
    EXPECT_EQ(written, readText("Zephyrion.cfg"));
}

TEST_F(ConfigFile, OnlyAFileOrAFreshNameInAWritableFolderCanBeSaved)
{
    EXPECT_TRUE(settingsFileWritable("Zephyrion.cfg"));  // none yet
    writeText("Zephyrion.cfg", "");
    EXPECT_TRUE(settingsFileWritable("Zephyrion.cfg"));
    remove("Zephyrion.cfg");
    mkdir("Zephyrion.cfg", 0755);
    EXPECT_FALSE(settingsFileWritable("Zephyrion.cfg"));
    EXPECT_EQ(EISDIR, errno);
    rmdir("Zephyrion.cfg");
}

}  // namespace
