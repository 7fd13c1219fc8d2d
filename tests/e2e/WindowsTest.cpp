// The Windows release under Wine on the test's Xvfb: the zip unpacked into a
// scratch folder and started as a player would, its title beside the Linux
// build's, one game at a time, a game by keys, the switch to a window and back,
// the end of the session, and the player's files in the application data of
// a Wine prefix of the test's own.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>

#include <sys/stat.h>
#include <sys/wait.h>

#include "Harness.h"

namespace {

const long white = 0xFFFFFF;
const long grey = 0x8C8C8C;  // unselected menu items
const int pictureW = 800, pictureH = 600;
const int desktopW = 1024, desktopH = 768;  // larger than the picture: a window is not full screen
const std::string fullSize = std::to_string(desktopW) + "x" + std::to_string(desktopH);
const char *const appData = "drive_c/users/*/AppData/Roaming/Zephyrion";

bool exitedWith(const GameRun &run, int status)
{
    return WIFEXITED(run.exitStatus) && WEXITSTATUS(run.exitStatus) == status;
}

// Polls every quarter of a second, for up to timeoutMs, until has() is true.
template <typename Check> bool within(int timeoutMs, Check has)
{
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!has()) {
        if (std::chrono::steady_clock::now() >= until)
            return false;
        run("sleep 0.25");
    }
    return true;
}

std::string visibleGameWindows()
{
    return run("xdotool search --onlyvisible --name '^Zephyrion$' 2>/dev/null | sort");
}

class Wine : public ::testing::Test {
  protected:
    void SetUp() override
    {
        useDesktopOfSize(desktopW, desktopH);
        // A folder whose name is not ASCII, as many players' are.
        std::string unpacked = dir.file("Jeux à jouer");
        ASSERT_EQ("", run("unzip -q -d '" + unpacked + "' " WINDOWS_ZIP " 2>&1"));
        game = run("ls -d '" + unpacked + "'/*/Zephyrion.exe");
        game.erase(game.find_last_not_of('\n') + 1);
        ASSERT_FALSE(game.empty()) << "no Zephyrion.exe in the zip";
        // A prefix of the test's own, without the .NET and HTML runtimes
        // that Wine would offer to download.
        std::ofstream(dir.file("wine.sh"))
            << "#!/bin/sh\nexport WINEPREFIX='" << dir.file("prefix")
            << "' WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='\nexec \"$@\"\n";
        chmod(dir.file("wine.sh").c_str(), 0755);
        std::ofstream(dir.file("start.sh"))
            << "#!/bin/sh\ncd \"$(dirname '" << game << "')\"\nexec '" << dir.file("wine.sh")
            << "' wine Zephyrion.exe\n";
        chmod(dir.file("start.sh").c_str(), 0755);
        run("timeout 120 " + dir.file("wine.sh") + " wineboot -i >/dev/null 2>&1");
    }
    void TearDown() override
    {
        killGame(linux);
        killGame(second);
        killGame(windows);
        run(dir.file("wine.sh") + " wineserver -k >/dev/null 2>&1");
    }

    GameRun startOnWine()
    {
        return startProgram(dir.path, dir.file("start.sh"), {"DISPLAY=" + testDisplay()});
    }

    // The file in the player's folder of the prefix, "" when it is not there.
    std::string playerFile(const std::string &name)
    {
        std::string path = run("ls -d " + dir.file("prefix") + "/" + appData + "/" + name +
                               " 2>/dev/null");
        path.erase(path.find_last_not_of('\n') + 1);
        return path.empty() ? "" : run("cat '" + path + "'");
    }

    Scratch dir;
    std::string game;  // the unpacked Zephyrion.exe
    GameRun linux, windows, second;
};

TEST_F(Wine, TheZipPlaysAsOnLinuxOneGameAtATimeAndKeepsThePlayersFilesInAppData)
{
    // The Linux build's title, full screen on the same desktop.
    linux = startGame(dir);
    ASSERT_FALSE(waitForWindow(10000).empty());
    TitleLook expected = lookAtTitle(waitForTitle(dir, pictureW, pictureH), pictureW, pictureH);
    holdKey(waitForWindow(1000), "Escape", 300);
    ASSERT_TRUE(waitForExit(linux, 10000));
    ASSERT_GT(expected.startGame, 1500) << "no title on Linux";

    // The same from the zip: full screen is a borderless window over the desktop.
    windows = startOnWine();
    std::string window = waitForWindow(60000);
    ASSERT_FALSE(window.empty()) << run("cat " + dir.file("program-output.txt"));
    Image title = waitForTitle(dir, pictureW, pictureH, 90000);
    TitleLook look = lookAtTitle(title, pictureW, pictureH);
    EXPECT_NEAR(expected.startGame, look.startGame, expected.startGame / 50) << "Start Game";
    EXPECT_NEAR(expected.otherItems, look.otherItems, expected.otherItems / 50) << "the menu";
    EXPECT_NEAR(expected.logo, look.logo, expected.logo / 50) << "the logo";
    EXPECT_EQ(0, look.whiteBelow);
    EXPECT_EQ(fullSize, windowSize());

    // A second start says so and leaves, and the first plays on.
    std::string before = visibleGameWindows();
    second = startOnWine();
    ASSERT_TRUE(within(30000, [&] {
        return run("cat " + dir.file("program-output.txt")).find("already running") !=
               std::string::npos;
    })) << "the second start said nothing";
    std::string box;
    ASSERT_TRUE(within(10000, [&] {
        std::string now = visibleGameWindows();
        for (size_t at = 0; at < now.size();) {
            size_t end = now.find('\n', at);
            std::string id = now.substr(at, end - at);
            if (!id.empty() && before.find(id) == std::string::npos)
                box = id;
            at = end == std::string::npos ? now.size() : end + 1;
        }
        return !box.empty();
    })) << "no message for the player";
    pressKey(box, "Return");
    ASSERT_TRUE(waitForExit(second, 10000));
    EXPECT_TRUE(exitedWith(second, 1));
    // The player comes back to the game: Wine hands it the keyboard again
    // a moment after the focus, and a key pressed sooner goes nowhere.
    run("xdotool windowfocus --sync " + window + " 2>/dev/null; sleep 1");

    // A game by keys: the approach, then the HUD; Escape ends it.
    pressKey(window, "Return");
    run("sleep 7");
    Image flying = gamePicture(grabScreen(dir.file("flying.png")), pictureW, pictureH);
    EXPECT_EQ(0, flying.count(grey, 0, 300, pictureW, 420)) << "the menu is gone";
    // The score's white letters, smoothed by the scaling to 1024 x 768.
    int light = 0;
    for (int y = 5; y < 25; y++)
        for (int x = 5; x < 120; x++)
            light += (flying.at(x, y) & 0xC0C0C0) == 0xC0C0C0;
    EXPECT_GT(light, 20) << "the score";
    holdKey(window, "Escape", 300);
    run("sleep 1");
    Image over = gamePicture(grabScreen(dir.file("game-over.png")), pictureW, pictureH);
    EXPECT_GT(over.count(0xDC0000, 0, 60, pictureW, 110), 500) << "Game Over";

    // Back at the title, F11 makes it a window, which the settings keep.
    ASSERT_TRUE(within(15000, [&] {
        return titleShown(grabScreen(), pictureW, pictureH);
    })) << "no title after the game";
    pressKey(window, "F11");
    ASSERT_TRUE(within(10000, [&] {
        std::string size = windowSize();
        return !size.empty() && size != fullSize;
    })) << "still " << windowSize();
    grabScreen(dir.file("window.png"));
    pressKey(window, "Escape");
    ASSERT_TRUE(waitForExit(windows, 15000)) << "the game did not leave";
    EXPECT_TRUE(exitedWith(windows, 0));

    std::string settings = playerFile("Zephyrion.cfg");
    EXPECT_NE(std::string::npos, settings.find("FullScreen = 0")) << settings;
    EXPECT_NE(std::string::npos, settings.find("[HighScore]")) << settings;
    // Logging off ends it as Exit Game does: F11 back to full screen, and the
    // end of the session finds that saved.
    windows = startOnWine();
    window = waitForWindow(60000);
    ASSERT_FALSE(window.empty());
    ASSERT_TRUE(within(60000, [&] {
        return titleShown(insideOfWindow(grabScreen(), pictureW, pictureH), pictureW, pictureH, true);
    })) << "no title in the window";
    pressKey(window, "F11");
    ASSERT_TRUE(within(10000, [&] { return windowSize() == fullSize; }));
    run(dir.file("wine.sh") + " wineboot --end-session");
    ASSERT_TRUE(waitForExit(windows, 10000)) << "the game outlived the session";
    settings = playerFile("Zephyrion.cfg");
    EXPECT_NE(std::string::npos, settings.find("FullScreen = 1")) << settings;

    // Wine on Xvfb has no sound device: that is the log's one line, if any.
    std::string log = playerFile("ErrorLog.txt");
    std::string rest = log;
    size_t warning = rest.find("WRN:");
    if (warning != std::string::npos && rest.find("No sound: ", warning) != std::string::npos)
        rest.erase(warning, rest.find('\n', warning) - warning + 1);
    EXPECT_EQ(std::string::npos, rest.find(':')) << log;
}

}  // namespace
