// The real game played long: twenty cities and more, each cleared with
// Shift+F1 as soon as the craft is the player's again. The game must end
// cleanly (a checked build looks for leaks then) and hold no more memory at the
// end than after its first cities.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

#include "Harness.h"

namespace {

const long grey = 0x8C8C8C;

#if defined(__SANITIZE_ADDRESS__)
const bool checkedBuild = true;
#else
const bool checkedBuild = false;
#endif

// The game's resident memory, kB, from /proc.
long residentKb(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

bool cityClearedShown(const Image &shot)
{
    return shot.count(grey, 0, 150, 800, 200) > 1000;
}

TEST(Soak, TwentyCitiesInOneGameEndCleanlyAndHoldNoMoreMemory)
{
    const int cities = 21, settled = 5;
    Scratch dir;
    std::string cfg = "[Misc]\nFrameRate = 1000\n\n[HighScore]\n";
    for (int row = 0; row < 10; row++)
        cfg += "0" + std::to_string(row) + " = -99999,0,5,ZZZ\n";
    dir.write("Zephyrion.cfg", cfg);
    GameRun game = startGame(dir);
    std::string window = waitForWindow(10000);
    ASSERT_FALSE(window.empty());
    bool title = false;  // after the splash and a quick intro
    for (int tries = 0; !title && tries < 240; tries++) {
        usleep(250 * 1000);
        Image shot = grabScreen();
        title = shot.count(0xFFFFFF, 0, 240, 800, 300) > 1500 &&
                shot.count(grey, 0, 300, 800, 420) > 3000;
    }
    ASSERT_TRUE(title) << "no title";
    usleep(500 * 1000);
    pressKey(window, "Return");

    int cleared = 0;
    long settledKb = 0;
    bool shown = false;
    for (int tries = 0; cleared < cities && tries < 2000; tries++) {
        holdKey(window, "shift+F1", 150);
        bool now = cityClearedShown(grabScreen());
        if (now && !shown && ++cleared == settled)
            settledKb = residentKb(game.pid);
        shown = now;
    }
    ASSERT_EQ(cities, cleared);
    long endKb = residentKb(game.pid);
    bool over = false;  // Escape counts once the climb and the next approach are done
    for (int tries = 0; !over && tries < 120; tries++) {
        holdKey(window, "Escape", 200);
        over = grabScreen().count(0xDC0000, 0, 60, 800, 110) > 500;
    }
    ASSERT_TRUE(over) << "no Game Over";
    usleep(2500 * 1000);
    for (const char *key : {"a", "b", "c"})
        pressKey(window, key);
    usleep(3000 * 1000);
    pressKey(window, "Escape");
    ASSERT_TRUE(waitForExit(game, 30000));
    EXPECT_TRUE(WIFEXITED(game.exitStatus) && WEXITSTATUS(game.exitStatus) == 0)
        << dir.read("game-output.txt");
    std::string written = dir.read("Zephyrion.cfg");
    EXPECT_NE(std::string::npos, written.find("00 = " )) << written;
    EXPECT_NE(std::string::npos, written.find("," + std::to_string(cities) + ",")) << written;
    if (!checkedBuild) {  // its quarantine holds freed memory on purpose
        EXPECT_LT(endKb, settledKb + 4096) << "from " << settledKb << " kB to " << endKb << " kB";
    }
    killGame(game);
}

}  // namespace
