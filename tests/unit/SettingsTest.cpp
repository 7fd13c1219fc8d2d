// The configuration file: defaults, order, the high-score rows and the guards
// against hand-edited values.
#include "Zephyrion/Settings.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include <climits>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <set>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "ScratchDir.h"
#include "Std/Display.h"
#include "Std/Errors.h"
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
    void load(const std::string &text)
    {
        writeText("Zephyrion.cfg", text);
        selectSettingsFile("Zephyrion.cfg");
        loadSettings();
    }
    std::string save()
    {
        selectSettingsFile("Zephyrion.cfg");
        EXPECT_TRUE(writeSettingsFile());
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
        EXPECT_EQ(a.windowScale, b.windowScale);
        EXPECT_EQ(a.pauseWhenUnfocused, b.pauseWhenUnfocused);
        EXPECT_EQ(a.smoothMotion, b.smoothMotion);
        EXPECT_EQ(a.vsync, b.vsync);
        EXPECT_EQ(a.scaling, b.scaling);
        EXPECT_EQ(a.widescreen, b.widescreen);
        EXPECT_EQ(a.resolution, b.resolution);
        EXPECT_EQ(a.soundVolume, b.soundVolume);
        EXPECT_EQ(a.useGamepad, b.useGamepad);
        EXPECT_EQ(a.gamepadDeadZone, b.gamepadDeadZone);
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
    expected += "\n[HighScoreDemo]\n";
    for (int i = 0; i < highScoreRows; i++)
        expected += "0" + std::to_string(i) + " = 0\n";
    expected += "\n[Misc]\nShowFPS = 0\nFrameRate = 30\nMouseRatio = 24\n\n[Display]\nFullScreen = 1\n"
                "WindowSize = 0\nPauseWhenUnfocused = 1\nSmoothMotion = -1\nVSync = 1\nScaling = 0\nWidescreen = 1\nResolution = 0\n\n[Sound]\nVolume = 100\n\n"
                "[Gamepad]\nEnabled = 1\nDeadZone = 25\n";
    EXPECT_EQ(expected, text);
}

TEST_F(ConfigFile, MissingFileKeepsEveryBuiltInValue)
{
    selectSettingsFile("Zephyrion.cfg");
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
    s.fullScreen = false;
    s.windowScale = 2;
    s.pauseWhenUnfocused = false;
    s.smoothMotion = 144;
    s.vsync = false;
    s.scaling = ScaleSmooth;
    s.widescreen = false;
    s.resolution = ResolutionDouble;
    s.soundVolume = 40;
    s.useGamepad = false;
    s.gamepadDeadZone = 40;
    game.keyBindings[BindStop] = KEY_S;
    game.highScores[3] = HighScoreEntry{-250, "A1", 7, 2, 12};
    GameState written = game;
    save();
    game = GameState();
    resetHighScores();
    selectSettingsFile("Zephyrion.cfg");
    loadSettings();
    expectSettingsEqual(written.settings, game.settings);
    EXPECT_EQ(0, memcmp(written.keyBindings, game.keyBindings, sizeof game.keyBindings));
    for (int i = 0; i < highScoreRows; i++) {
        EXPECT_EQ(written.highScores[i].score, game.highScores[i].score);
        EXPECT_STREQ(written.highScores[i].name, game.highScores[i].name);
        EXPECT_EQ(written.highScores[i].cities, game.highScores[i].cities);
        EXPECT_EQ(written.highScores[i].rating, game.highScores[i].rating);
        EXPECT_EQ(written.highScores[i].demo, game.highScores[i].demo);
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
    HighScoreEntry row{600, "KVZ", 0, 4, 0};
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
    EXPECT_EQ(INT_MAX, game.settings.mouseRatio);  // past the int range: the nearest int
    EXPECT_EQ(1, game.settings.sensitivity);       // read up to the "e"
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

// ---- Hand-edited files ----

// Every key of every section given the same value.
std::string everyKey(const std::string &value)
{
    std::string text = "[Settings]\n";
    for (const char *key : {"LowSpeedPC", "OldSchool", "Classic", "NumLives", "Difficulty",
                            "UseMouse", "Sensitivity"})
        text += std::string(key) + " = " + value + "\n";
    text += "[Keys]\n";
    for (const char *key : {"Left", "Right", "PitchForward", "PitchBack", "TorqueIncrease",
                            "TorqueDecrease", "Accelerate", "Deccelerate", "Stop", "Fire"})
        text += std::string(key) + " = " + value + "\n";
    text += "[HighScore]\n";
    for (int row = 0; row < 10; row++)
        text += "0" + std::to_string(row) + " = " + value + "\n";
    text += "[Misc]\n";
    for (const char *key : {"ShowFPS", "FrameRate", "MouseRatio"})
        text += std::string(key) + " = " + value + "\n";
    text += "[Display]\n";
    for (const char *key : {"FullScreen", "WindowSize", "PauseWhenUnfocused", "SmoothMotion",
                            "VSync", "Scaling", "Widescreen", "Resolution"})
        text += std::string(key) + " = " + value + "\n";
    text += "[Sound]\nVolume = " + value + "\n";
    text += "[Gamepad]\nEnabled = " + value + "\nDeadZone = " + value + "\n";
    return text;
}

// What each value reads as, the guards applied, and that the file written
// from it reads back to the same bytes. No key code among them is one.
TEST_F(ConfigFile, EveryKeyWithTheSameHostileValueReadsAsTheGuardsSay)
{
    const std::string huge(10000, '7');
    const struct {
        std::string value;
        bool on;
        int lives, difficulty, sensitivity, frameRate, mouseRatio, score, volume, deadZone;
    } cases[] = {
        {"0", false, 0, 0, 3, 30, 24, 0, 0, 0},
        {"-7", true, 0, -7, 3, 30, 24, -7, 0, 25},
        {"-2147483648", true, 0, INT_MIN, 3, 30, 24, INT_MIN, 0, 25},
        {"2147483647", true, 99, INT_MAX, 3, INT_MAX, INT_MAX, INT_MAX, 100, 25},
        {"99999999999999999999", true, 99, INT_MAX, 3, INT_MAX, INT_MAX, INT_MAX, 100, 25},
        {"4294967299", true, 99, INT_MAX, 3, INT_MAX, INT_MAX, INT_MAX, 100, 25},
        {huge, true, 99, INT_MAX, 3, INT_MAX, INT_MAX, INT_MAX, 100, 25},
        {"twelve", false, 0, 0, 3, 30, 24, -1, 0, 0},  // -1: the rows keep their scores
    };
    for (const auto &c : cases) {
        std::string what = c.value.substr(0, 24);
        game = builtIn;
        load(everyKey(c.value));
        const Settings &s = game.settings;
        for (bool flag : {s.lowSpeedPC, s.oldSchool, s.classic, s.useMouse, s.showFPS,
                          s.fullScreen, s.pauseWhenUnfocused, s.vsync, s.widescreen, s.useGamepad})
            EXPECT_EQ(c.on, flag) << what;
        EXPECT_EQ(0, s.windowScale) << what << ": none of them is 1x, 2x or 3x";
        EXPECT_EQ(0, s.scaling) << what << ": none of them is Pixel Perfect or Smooth, so Sharp";
        bool readsAsZero = c.value == "0" || c.value == "twelve";
        EXPECT_EQ(readsAsZero ? (int)ResolutionScreen : builtIn.settings.resolution, s.resolution)
            << what << ": Screen, Classic or Double, else the default";
        EXPECT_EQ(readsAsZero ? smoothMotionOff : smoothMotionDisplay, s.smoothMotion)
            << what << ": Off, a rate up to 1000 or Display, else Display";
        EXPECT_EQ(c.volume, s.soundVolume) << what;
        EXPECT_EQ(c.deadZone, s.gamepadDeadZone) << what << ": 0..90, else 25";
        EXPECT_EQ(c.lives, s.numLives) << what;
        EXPECT_EQ(c.difficulty, s.difficulty) << what;
        EXPECT_EQ(c.sensitivity, s.sensitivity) << what;
        EXPECT_EQ(c.frameRate, s.frameRate) << what;
        EXPECT_EQ(c.mouseRatio, s.mouseRatio) << what;
        EXPECT_EQ(0, memcmp(builtIn.keyBindings, game.keyBindings, sizeof game.keyBindings)) << what;
        for (int i = 0; i < highScoreRows; i++)
            EXPECT_EQ(c.score == -1 ? builtIn.highScores[i].score : c.score, game.highScores[i].score)
                << what << " row " << i;
        std::string written = save();
        load(written);
        EXPECT_EQ(written, save()) << what;
    }
}

// A byte-order mark, lines ended by CR or CRLF, and Latin-1 are read as the
// player meant them; the file is written back as UTF-8 with LF, comments kept.
TEST_F(ConfigFile, AByteOrderMarkAnyLineEndAndLatin1AreReadAndKept)
{
    for (std::string body : {"\xEF\xBB\xBF# mine\n[Settings]\nNumLives = 5\n\n[Keys]\nLeft = 30\n",
                             "# mine\r[Settings]\rNumLives = 5\r\r[Keys]\rLeft = 30\r",
                             "# mine\r\n[Settings]\r\nNumLives = 5\r\n\r\n[Keys]\r\nLeft = 30\r\n"}) {
        game = builtIn;
        load(body);
        EXPECT_EQ(5, game.settings.numLives) << body;
        EXPECT_EQ(30, game.keyBindings[BindLeft]) << body;
        game.settings.lowSpeedPC = true;  // a key [Settings] does not have yet
        std::string written = save();
        EXPECT_EQ(0u, written.find("# mine\n[Settings]\n")) << written;
        EXPECT_EQ(std::string::npos, written.find('\r'));
        EXPECT_EQ(written.find("[Settings]"), written.rfind("[Settings]")) << written;
        game = builtIn;
        load(written);
        EXPECT_TRUE(game.settings.lowSpeedPC) << written;
        EXPECT_EQ(5, game.settings.numLives) << written;
    }
    game = builtIn;  // a long line of wide characters: kept, and the keys after it read
    std::string accents;
    for (int i = 0; i < 300; i++)
        accents += "\xC3\xA9";
    load("[Settings]\n# " + accents + "\nNumLives = 5\n");
    EXPECT_EQ(5, game.settings.numLives);
    EXPECT_NE(std::string::npos, save().find("# " + accents + "\n"));
    game = builtIn;
    load("# caf\xE9 au lait\n[HighScore]\n00 = 5000,1,0,\xC9ve\n");
    EXPECT_EQ(5000, game.highScores[0].score);
    EXPECT_STREQ("\xC3\x89v", game.highScores[0].name);  // "\xC9ve" is "Eve" with an accent
    EXPECT_EQ(0u, save().find("# caf\xC3\xA9 au lait\n"));
}

// ---- Saving ----

// The disk fills in the middle of the save (a file size limit stands in for
// it): the old file stays as it was, nothing else is left behind, and the
// reason is logged.
TEST_F(ConfigFile, ADiskThatFillsDuringTheSaveLeavesTheOldFileWhole)
{
    const std::string old = "# the player's own\n[Settings]\nNumLives = 5\n";
    writeText("Zephyrion.cfg", old);
    pid_t child = fork();
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = {300, 300};  // room for the log's line, not for the table
        setrlimit(RLIMIT_FSIZE, &limit);
        errorLogFresh = true;
        selectSettingsFile("Zephyrion.cfg");
        loadSettings();
        game.settings.numLives = 4;
        bool saved = writeSettingsFile();
        closeLogs();
        _exit(saved ? 1 : 0);
    }
    int status = -1;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the save said it failed";
    EXPECT_EQ(old, readText("Zephyrion.cfg"));
    EXPECT_EQ("\n\n-----------  New log\nERR:0545:Zephyrion.cpp - Unable to save the settings and "
              "high scores to Zephyrion.cfg: File too large\n",
              readText("ErrorLog.txt"));
    int files = 0;
    for (const auto &entry : std::filesystem::directory_iterator("."))
        files += entry.is_regular_file();
    EXPECT_EQ(2, files) << "no half-written file left";
}

// A game killed at any moment of its save leaves the old table or the new
// one, whole: a child saves two tables in turn until it is killed.
TEST_F(ConfigFile, KilledWhileSavingTheFileHoldsTheOldTableOrTheNew)
{
    std::string tables[2];
    for (int t = 0; t < 2; t++) {
        for (int i = 0; i < highScoreRows; i++)
            game.highScores[i].score = (10 - i) * 100 + t;
        tables[t] = save();
    }
    srand(3);
    for (int round = 0; round < 300; round++) {
        pid_t child = fork();
        if (child == 0) {
            selectSettingsFile("Zephyrion.cfg");
            for (int t = 0;; t = 1 - t) {
                for (int i = 0; i < highScoreRows; i++)
                    game.highScores[i].score = (10 - i) * 100 + t;
                writeSettingsFile();
            }
        }
        usleep(rand() % 3000);
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        std::string text = readText("Zephyrion.cfg");
        ASSERT_TRUE(text == tables[0] || text == tables[1]) << "round " << round << ":\n" << text;
    }
    writeText("Zephyrion.cfg.saving-Ab12Cd", "half a table");  // as a kill leaves one
    writeText("Zephyrion.cfg.backup", "the player's own");
    selectSettingsFile("Zephyrion.cfg");  // the next start: unfinished saves are taken away
    std::set<std::string> left;
    for (const auto &entry : std::filesystem::directory_iterator("."))
        left.insert(entry.path().filename().string());
    EXPECT_EQ((std::set<std::string>{"Zephyrion.cfg", "Zephyrion.cfg.backup"}), left);
}

}  // namespace
