// The real game played long, as a timed demo: twenty cities and more, each
// cleared with Shift+F1 as soon as the craft is the player's again. The game
// must end cleanly (a checked build looks for leaks then), in step, and hold
// no more memory at the end than after its first cities.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "Harness.h"
#include "Zephyrion/DemoFile.h"

namespace {

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

// A game that clears every city the moment the craft is the player's again
// (the developers' Shift+F1 held throughout), then ends with Escape in the
// next one. Each city takes 381 ticks: the approach's 160, the tick that
// clears it and the climb out's 220.
Demo clearingCities(int cities)
{
    const uint32_t approach = 160, perCity = approach + 1 + 220;
    Demo d = {};
    d.header = {777, 30, 2, 0, 3, 0, 0, 24, 3, 25, 1, 0};
    TickCommand clear = {}, escape = {};
    clear.buttons = CmdClearCity;
    escape.buttons = CmdEscape;
    for (uint32_t tick = 0; tick < perCity * cities + approach; tick++)
        recordCommand(d, clear);
    recordCommand(d, escape);
    d.result = {500 * cities, cities, 0, 3, d.ticks};  // each city rated Hero
    return d;
}

// Twenty-one cities timed: the game replays them as fast as it can draw.
TEST(Soak, TwentyCitiesInOneGameEndCleanlyAndHoldNoMoreMemory)
{
    const int cities = 21;
    Scratch dir;
    ASSERT_TRUE(saveDemo(dir.file("cities.zdemo").c_str(), clearingCities(cities)));
    dir.write("Zephyrion.cfg", "[Display]\nFullScreen = 0\n");
    dir.write("timedemo.sh", "#!/bin/sh\nexec " GAME_BINARY " --timedemo cities.zdemo\n");
    chmod(dir.file("timedemo.sh").c_str(), 0755);
    GameRun game = startProgram(dir.path, dir.file("timedemo.sh"), {"DISPLAY=" + testDisplay()});
    std::vector<long> kb;  // its memory, every tenth of a second
    for (int tries = 0; tries < 1800 && !waitForExit(game, 100); tries++) {
        long now = residentKb(game.pid);
        if (now > 0)
            kb.push_back(now);
    }
    ASSERT_NE(-1, game.exitStatus) << "still running";
    std::string out = dir.read("program-output.txt");
    EXPECT_TRUE(WIFEXITED(game.exitStatus) && WEXITSTATUS(game.exitStatus) == 0) << out;
    EXPECT_NE(std::string::npos, out.find("Score 10500, cities 21, ticks 8162\n")) << out;
    EXPECT_EQ(std::string::npos, out.find("out of step")) << out;
    ASSERT_GE(kb.size(), 20u) << out;
    long settledKb = kb[kb.size() / 4], endKb = kb.back();  // from the sixth city on
    if (!checkedBuild) {  // its quarantine holds freed memory on purpose
        EXPECT_LT(endKb, settledKb + 4096) << "from " << settledKb << " kB to " << endKb << " kB";
    }
}

}  // namespace
