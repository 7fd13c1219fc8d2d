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

// Twenty-one cities, each cleared by the pilot with Shift+F1 the moment the
// craft is its own again (a golden demo), timed: the game replays them as fast
// as it can draw.
TEST(Soak, TwentyCitiesInOneGameEndCleanlyAndHoldNoMoreMemory)
{
    Scratch dir;
    dir.write("Zephyrion.cfg", "[Display]\nFullScreen = 0\nSmoothMotion = 0\n");
    dir.write("timedemo.sh", "#!/bin/sh\nexec " GAME_BINARY " --timedemo " GOLDEN_DIR
                             "/twenty-one-cities.zdemo\n");
    chmod(dir.file("timedemo.sh").c_str(), 0755);
    GameRun game = startProgram(dir.path, dir.file("timedemo.sh"), {"DISPLAY=" + testDisplay()});
    std::vector<long> kb;  // its memory, every tenth of a second
    for (int tries = 0; tries < 6000 && !waitForExit(game, 100); tries++) {
        long now = residentKb(game.pid);
        if (now > 0)
            kb.push_back(now);
    }
    ASSERT_NE(-1, game.exitStatus) << "still running";
    std::string out = dir.read("program-output.txt");
    EXPECT_TRUE(WIFEXITED(game.exitStatus) && WEXITSTATUS(game.exitStatus) == 0) << out;
    EXPECT_NE(std::string::npos, out.find(", cities 21, ticks ")) << out;
    EXPECT_EQ(std::string::npos, out.find("out of step")) << out;
    ASSERT_GE(kb.size(), 20u) << out;
    long settledKb = kb[kb.size() / 4], endKb = kb.back();  // from the sixth city on
    if (!checkedBuild) {  // its quarantine holds freed memory on purpose
        EXPECT_LT(endKb, settledKb + 4096) << "from " << settledKb << " kB to " << endKb << " kB";
    }
}

}  // namespace
