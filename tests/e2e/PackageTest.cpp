// The Debian package as a player gets it: built by CPack, unpacked into a
// scratch root, started through its launcher from another folder with a home
// of its own. Settings and high scores live in the player's folder and last;
// a second game at the same time is refused.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

#include "Harness.h"

namespace {

std::string shell(const std::string &command)
{
    return run(command + " 2>&1");
}

bool titleShown()
{
    Image shot = grabScreen();
    return shot.count(0xFFFFFF, 0, 240, 800, 300) > 1500 &&
           shot.count(0x8C8C8C, 0, 300, 800, 420) > 3000;
}

bool waitForTitle(int timeoutMs)
{
    for (int waited = 0; waited < timeoutMs; waited += 250) {
        if (titleShown())
            return true;
        usleep(250 * 1000);
    }
    return false;
}

bool endedCleanly(const GameRun &game)
{
    return WIFEXITED(game.exitStatus) && WEXITSTATUS(game.exitStatus) == 0;
}

TEST(Package, InstallsStartsFromAnyFolderAndKeepsThePlayersScores)
{
    Scratch dir;
    std::string packages = dir.file("packages"), root = dir.file("root");
    shell("cpack -G DEB -B " + packages + " --config " BUILD_DIR "/CPackConfig.cmake");
    std::string deb = packages + "/zephyrion_1.0.0_amd64.deb";
    ASSERT_TRUE(std::filesystem::exists(deb));
    std::string depends = shell("dpkg-deb -f " + deb + " Depends");
    for (const char *library : {"liballegro4.4", "libloadpng4.4", "libfreetype6", "util-linux"})
        EXPECT_NE(std::string::npos, depends.find(library)) << depends;
    shell("dpkg -x " + deb + " " + root);
    for (const char *file : {"usr/games/zephyrion", "usr/lib/games/zephyrion/Zephyrion",
                             "usr/share/games/zephyrion/bitmaps/chintzy.ttf",
                             "usr/share/games/zephyrion/sounds/017.wav",
                             "usr/share/icons/hicolor/64x64/apps/zephyrion.png",
                             "usr/share/man/man6/zephyrion.6"})
        EXPECT_TRUE(std::filesystem::exists(root + "/" + file)) << file;
    std::string desktop = dir.read("root/usr/share/applications/zephyrion.desktop");
    EXPECT_NE(std::string::npos, desktop.find("\nExec=zephyrion\n"));
    EXPECT_NE(std::string::npos, desktop.find("\nIcon=zephyrion\n"));

    std::string launcher = root + "/usr/games/zephyrion";
    std::filesystem::create_directory(dir.file("home"));
    std::filesystem::create_directory(dir.file("elsewhere"));
    // A home of its own; an empty XDG_DATA_HOME counts as none.
    const std::vector<std::string> player = {"HOME=" + dir.file("home"), "XDG_DATA_HOME="};
    std::string folder = dir.file("home/.local/share/zephyrion");

    GameRun first = startProgram(dir.file("elsewhere"), launcher, player);
    std::string window = waitForWindow(10000);
    ASSERT_FALSE(window.empty());
    ASSERT_TRUE(waitForTitle(40000));
    EXPECT_TRUE(std::filesystem::is_symlink(folder + "/bitmaps"));
    EXPECT_TRUE(std::filesystem::exists(folder + "/sounds/001.wav"));

    GameRun second = startProgram(dir.file("elsewhere"), launcher, player);
    ASSERT_TRUE(waitForExit(second, 5000)) << "a second game at once must not start";
    EXPECT_EQ(1, WEXITSTATUS(second.exitStatus));
    EXPECT_NE(std::string::npos,
              dir.read("elsewhere/program-output.txt").find("already running for this player"));

    pressKey(window, "Escape");
    ASSERT_TRUE(waitForExit(first, 15000));
    EXPECT_TRUE(endedCleanly(first));
    EXPECT_FALSE(dir.exists("elsewhere/Zephyrion.cfg")) << "the game runs in the player's folder";
    std::string cfg = dir.read("home/.local/share/zephyrion/Zephyrion.cfg");
    size_t row = cfg.find("00 = ");
    ASSERT_NE(std::string::npos, row);
    cfg.replace(row, cfg.find('\n', row) - row, "00 = 4242,7,1,ACE");
    dir.write("home/.local/share/zephyrion/Zephyrion.cfg", cfg);

    GameRun again = startProgram(dir.file("elsewhere"), launcher, player);
    window = waitForWindow(10000);
    ASSERT_TRUE(waitForTitle(40000));
    pressKey(window, "Escape");
    ASSERT_TRUE(waitForExit(again, 15000));
    EXPECT_TRUE(endedCleanly(again));
    EXPECT_NE(std::string::npos,
              dir.read("home/.local/share/zephyrion/Zephyrion.cfg").find("00 = 4242,7,1,ACE"))
        << "the score kept from run to run";
}

}  // namespace
