// The real game under Xvfb: what it shows, and what it writes to its folder.
#include <gtest/gtest.h>

#include <filesystem>

#include <sys/wait.h>

#include "Harness.h"

namespace {

const long white = 0xFFFFFF;

bool endedCleanly(const GameRun &game)
{
    return WIFEXITED(game.exitStatus) && WEXITSTATUS(game.exitStatus) == 0;
}

class Game : public ::testing::Test {
  protected:
    void TearDown() override { killGame(game); }
    Scratch dir;
    GameRun game;
};

TEST_F(Game, ShowsItsTitleInTheGameFontAndSavesTheSettingsOnAKey)
{
    game = startGame(dir);
    std::string window = waitForWindow(10000);
    ASSERT_FALSE(window.empty());
    usleep(800 * 1000);
    Image shot = grabScreen(dir.file("screen.png"));
    ASSERT_GE(shot.width, 800);
    EXPECT_GT(shot.count(white, 0, 40, 800, 150), 500);  // "Zephyrion" at 62 px
    EXPECT_EQ(0, shot.count(white, 0, 150, 800, 560));
    EXPECT_FALSE(dir.exists("Zephyrion.cfg"));  // nothing is written before the end

    pressKey(window, "Return");
    ASSERT_TRUE(waitForExit(game, 10000));
    EXPECT_TRUE(endedCleanly(game));
    std::string cfg = dir.read("Zephyrion.cfg");
    for (const char *line : {"[Settings]", "[Keys]", "[HighScore]", "[Misc]", "OldSchool = 0",
                             "Fire = 75", "00 = 1000,0,", "FrameRate = 30"})
        EXPECT_NE(std::string::npos, cfg.find(line)) << line;
    EXPECT_FALSE(dir.exists("ErrorLog.txt"));
    EXPECT_FALSE(dir.exists("Trace.txt"));
}

TEST_F(Game, MendsAHandEditedFileAndKeepsWhatItDoesNotKnow)
{
    dir.write("Zephyrion.cfg", "# my notes\n[Keys]\nFire = 67\n[Settings]\nNumLives = 99999\n"
                               "[HighScore]\n00 = 5000,4,17,ABCDEFG\n[Misc]\nFrameRate = 0\n"
                               "MouseRatio = -5\n");
    game = startGame(dir);
    std::string window = waitForWindow(10000);
    ASSERT_FALSE(window.empty());
    pressKey(window, "space");
    ASSERT_TRUE(waitForExit(game, 10000));
    EXPECT_TRUE(endedCleanly(game));
    std::string cfg = dir.read("Zephyrion.cfg");
    for (const char *line : {"# my notes", "Fire = 67", "NumLives = 99", "00 = 5000,4,5,ABC",
                             "FrameRate = 30", "MouseRatio = 24", "Left = 82"})
        EXPECT_NE(std::string::npos, cfg.find(line)) << line << "\n" << cfg;
}

TEST_F(Game, WithoutADisplayItSaysSoAndEnds)
{
    game = startGame(dir, false);
    ASSERT_TRUE(waitForExit(game, 10000));
    EXPECT_TRUE(endedCleanly(game));
    std::string log = dir.read("ErrorLog.txt");
    EXPECT_NE(std::string::npos, log.find("\n-----------  New log\nERR:0520:Zephyrion.cpp - "))
        << log;
    EXPECT_NE(std::string::npos, dir.read("game-output.txt").find("no X display"));
    EXPECT_FALSE(dir.exists("Zephyrion.cfg"));
}

TEST_F(Game, WithoutItsFontItLogsAndEndsWithoutSaving)
{
    std::filesystem::remove(dir.file("bitmaps/chintzy.ttf"));
    game = startGame(dir);
    ASSERT_TRUE(waitForExit(game, 10000));
    EXPECT_TRUE(endedCleanly(game));
    EXPECT_NE(std::string::npos, dir.read("ErrorLog.txt").find("ERR:0688:Zephyrion.cpp - "));
    EXPECT_FALSE(dir.exists("Zephyrion.cfg"));
}

}  // namespace
