// The real game against what a player's machine may hold: hand-edited or broken
// configuration files, broken assets and a folder it may not write in. Each
// time it must start, play, end cleanly and keep what it can.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "Harness.h"

namespace {

std::string junk()
{
    std::string bytes;
    unsigned seed = 12345;
    for (int i = 0; i < 4096; i++) {
        seed = seed * 1103515245 + 12345;
        bytes += (char)(seed >> 16);
    }
    return "[Settings]\n" + bytes + "\nNumLives = " + bytes.substr(0, 300) + "\n[Keys]\n" + bytes;
}

struct HostileFile {
    const char *name;
    std::string text;
    bool directory = false;
};

std::vector<HostileFile> hostileFiles()
{
    // The values a hand-edited file may hold are the reader's unit tests';
    // these are the files that only the whole game can be tried on.
    return {
        {"BinaryJunk", junk()},
        {"DuplicatedSections", "[Settings]\nNumLives = 4\n[Keys]\nLeft = 30\n[Settings]\n"
                               "NumLives = 5\nNumLives = 1\n[Keys]\nLeft = 31\n[Misc]\n[Misc]\n"},
        {"Directory", "", true},
    };
}

void PrintTo(const HostileFile &file, std::ostream *out)
{
    *out << file.name;
}

class HostileConfig : public ::testing::TestWithParam<HostileFile> {
  protected:
    void TearDown() override { killGame(game); }

    // Until the title shows at either screen size; false after timeoutMs.
    bool waitForTitleMenu(int timeoutMs)
    {
        for (int waited = 0; waited < timeoutMs; waited += 250) {
            Image screen = grabScreen();
            for (int w : {800, 640}) {
                Image shot = gamePicture(screen, w, w * 3 / 4);
                if (shot.count(0xFFFFFF, 0, 240, w, 300) > 1500 &&
                    shot.count(0x8C8C8C, 0, 300, w, 420) > 3000)
                    return true;
            }
            usleep(250 * 1000);
        }
        return false;
    }
    // Initials, should the score have made the table (the title ignores the
    // letters), then Escape until the game has ended.
    bool leave(const std::string &window)
    {
        for (const char *key : {"a", "b", "c"})
            pressKey(window, key);
        usleep(2500 * 1000);  // "High Score recorded"
        for (int tries = 0; tries < 4; tries++) {
            pressKey(window, "Escape");
            if (waitForExit(game, 2500))
                return true;
        }
        return false;
    }
    Scratch dir;
    GameRun game;
};

TEST_P(HostileConfig, StartsPlaysEndsAndReadsBackWhatItWrote)
{
    const HostileFile &file = GetParam();
    if (file.directory)
        std::filesystem::create_directory(dir.file("Zephyrion.cfg"));
    else
        dir.write("Zephyrion.cfg", file.text);

    game = startGame(dir);
    std::string window = waitForWindow(10000);
    ASSERT_FALSE(window.empty());
    ASSERT_TRUE(waitForTitleMenu(60000)) << "no title";
    pressKey(window, "Return");
    usleep(7000 * 1000);  // past the approach, into the flight
    holdKey(window, "Escape", 300);
    usleep(3000 * 1000);  // game over
    ASSERT_TRUE(leave(window));
    EXPECT_TRUE(WIFEXITED(game.exitStatus) && WEXITSTATUS(game.exitStatus) == 0)
        << dir.read("game-output.txt");

    if (file.directory) {
        EXPECT_NE(std::string::npos,
                  dir.read("ErrorLog.txt").find("Unable to save the settings and high scores to "
                                                "Zephyrion.cfg: Is a directory"));
        return;
    }
    EXPECT_FALSE(dir.exists("ErrorLog.txt")) << dir.read("ErrorLog.txt");
    std::string written = dir.read("Zephyrion.cfg");
    for (const char *section : {"[Settings]", "[Keys]", "[HighScore]", "[Misc]"})
        EXPECT_NE(std::string::npos, written.find(section)) << section;

    game = startGame(dir);  // the second run reads back what the first wrote
    window = waitForWindow(10000);
    ASSERT_TRUE(waitForTitleMenu(60000));
    ASSERT_TRUE(leave(window));
    EXPECT_EQ(written, dir.read("Zephyrion.cfg"));
}

INSTANTIATE_TEST_SUITE_P(Files, HostileConfig, ::testing::ValuesIn(hostileFiles()),
                         [](const ::testing::TestParamInfo<HostileFile> &info) {
                             return std::string(info.param.name);
                         });

}  // namespace

namespace {

class Surroundings : public ::testing::Test {
  protected:
    void TearDown() override { killGame(game); }
    Scratch dir;
    GameRun game;
};

// A folder the game may not write in: it plays, and says on stderr (where the
// error log cannot go) that the settings were not saved.
TEST_F(Surroundings, AReadOnlyFolderPlaysAndSaysWhatItCouldNotSave)
{
    game = startGame(dir, ReadOnlyFolder);
    std::string window = waitForWindow(10000);
    ASSERT_FALSE(window.empty());
    usleep(21000 * 1000);  // the splash and the intro
    Image title = grabScreen();
    EXPECT_GT(title.count(0xFFFFFF, 0, 240, 800, 300), 1500) << "the title";
    pressKey(window, "Escape");
    ASSERT_TRUE(waitForExit(game, 15000));
    EXPECT_TRUE(WIFEXITED(game.exitStatus) && WEXITSTATUS(game.exitStatus) == 0);
    EXPECT_FALSE(dir.exists("Zephyrion.cfg"));
    EXPECT_FALSE(dir.exists("ErrorLog.txt"));
    EXPECT_NE(std::string::npos,
              dir.read("game-output.txt")
                  .find("ERR:0545:Zephyrion.cpp - Unable to save the settings and high scores to "
                        "Zephyrion.cfg: Permission denied"))
        << dir.read("game-output.txt");
}

// F12 on the title with a "screenshots" folder the game may not write in: the
// log says why, and the game runs on; once the folder may be written, F12
// saves the picture as the player sees it, at its own size.
TEST_F(Surroundings, AScreenshotThatCannotBeWrittenIsLoggedAndTheGameRunsOn)
{
    ASSERT_EQ(0, mkdir(dir.file("screenshots").c_str(), 0555));
    game = startGame(dir, NotTheOwner);
    std::string window = waitForWindow(10000);
    ASSERT_FALSE(window.empty());
    usleep(21000 * 1000);  // the splash and the intro
    pressKey(window, "F12");
    usleep(1000 * 1000);
    EXPECT_NE(std::string::npos,
              dir.read("ErrorLog.txt").find("No screenshot: cannot write screenshots/zephyrion-"))
        << dir.read("ErrorLog.txt");
    EXPECT_EQ(0, kill(game.pid, 0)) << "still running";
    ASSERT_EQ(0, chmod(dir.file("screenshots").c_str(), 0777));
    pressKey(window, "F12");
    usleep(1000 * 1000);
    std::string shots = run("ls '" + dir.file("screenshots") + "'");
    ASSERT_EQ(0u, shots.find("zephyrion-")) << shots;
    Image shot = loadImage(dir.file("screenshots/" + shots.substr(0, shots.find('\n'))));
    EXPECT_EQ(800, shot.width);
    EXPECT_EQ(600, shot.height);
    EXPECT_GT(shot.count(0xFFFFFF, 0, 240, 800, 300), 1500) << "the title's menu";
    pressKey(window, "Escape");
    ASSERT_TRUE(waitForExit(game, 15000));
}

}  // namespace

namespace {

// The ways out that are not Exit Game: each ends the program as Exit Game
// does, and saves what the table and the settings hold.
class WaysOut : public ::testing::Test {
  protected:
    void TearDown() override { killGame(game); }
    void expectSaved(const std::string &line)
    {
        ASSERT_TRUE(waitForExit(game, 20000)) << "still running";
        EXPECT_TRUE(WIFEXITED(game.exitStatus) && WEXITSTATUS(game.exitStatus) == 0)
            << dir.read("game-output.txt");
        std::string cfg = dir.read("Zephyrion.cfg");
        for (const std::string &kept : {std::string("# the player's own"), line,
                                        std::string("00 = 777,2,1,ZED"), std::string("[Keys]")})
            EXPECT_NE(std::string::npos, cfg.find(kept)) << kept << " in\n" << cfg;
        EXPECT_FALSE(dir.exists("ErrorLog.txt")) << dir.read("ErrorLog.txt");
    }
    // The game on its title, started over a file of the player's with one
    // section of its own; its window.
    std::string startOnTheTitle(const std::string &section)
    {
        dir.write("Zephyrion.cfg", "# the player's own\n" + section +
                                       "\n[HighScore]\n00 = 777,2,1,ZED\n");
        game = startGame(dir);
        std::string window = waitForWindow(10000);
        usleep(21000 * 1000);  // the splash and the intro
        return window;
    }
    Scratch dir;
    GameRun game;
};

TEST_F(WaysOut, SigtermInFlightEndsTheGameAndSaves)
{
    std::string window = startOnTheTitle("[Settings]\nNumLives = 4\n");
    ASSERT_FALSE(window.empty());
    pressKey(window, "Return");
    usleep(7500 * 1000);  // in flight
    kill(game.pid, SIGTERM);
    expectSaved("NumLives = 4");
}

TEST_F(WaysOut, TheWindowsCloseButtonOnTheTitleEndsTheProgramAndSaves)
{
    std::string window = startOnTheTitle("[Display]\nFullScreen = 0\n");
    ASSERT_FALSE(window.empty());
    run(std::string(CLOSE_WINDOW) + " " + window);
    expectSaved("FullScreen = 0");
}

}  // namespace
