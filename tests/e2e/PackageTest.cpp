// The Debian package as a player gets it: built by CPack, unpacked into a
// scratch root, started through its launcher from another folder with a home
// of its own. Settings and high scores live in the player's folder and last;
// a second game at the same time is refused. And as Debian's own checks see
// it: lintian and the AppStream validator find nothing to say.
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

// Builds the package into the scratch folder and unpacks it into root/, where
// the font package it depends on is seen as installed.
std::string buildAndUnpack(Scratch &dir)
{
    std::string packages = dir.file("packages"), root = dir.file("root");
    shell("cpack -G DEB -B " + packages + " --config " BUILD_DIR "/CPackConfig.cmake");
    std::string deb = packages + "/zephyrion_1.0.0_amd64.deb";
    shell("dpkg -x " + deb + " " + root);
    std::filesystem::create_symlink("/usr/share/fonts", root + "/usr/share/fonts");
    return deb;
}

TEST(Package, PassesDebiansOwnChecks)
{
    Scratch dir;
    std::string deb = buildAndUnpack(dir);
    ASSERT_TRUE(std::filesystem::exists(deb));
    std::string lintian = shell("lintian --pedantic --info " + deb + "; echo rc=$?");
    EXPECT_NE(std::string::npos, lintian.find("rc=0")) << lintian;
    for (const char *tag : {"\nE: ", "\nW: ", "\nI: ", "\nP: "})
        EXPECT_EQ(std::string::npos, ("\n" + lintian).find(tag)) << lintian;
    std::string metainfo =
        dir.file("root/usr/share/metainfo/invalid.zephyrion.zephyrion.metainfo.xml");
    std::string appstream = shell("appstreamcli validate --no-net " + metainfo + "; echo rc=$?");
    EXPECT_NE(std::string::npos, appstream.find("rc=0")) << appstream;
    EXPECT_EQ(std::string::npos, appstream.find("W: ")) << appstream;
    for (const char *part : {"<launchable type=\"desktop-id\">zephyrion.desktop</launchable>",
                             "<content_rating type=\"oars-1.1\">", "<screenshot type=\"default\">"})
        EXPECT_NE(std::string::npos, dir.read("root/usr/share/metainfo/"
                                              "invalid.zephyrion.zephyrion.metainfo.xml")
                                         .find(part)) << part;

    std::string depends = shell("dpkg-deb -f " + deb + " Depends");
    for (const char *library : {"liballegro4.4", "libloadpng4.4", "libfreetype6", "fonts-dejavu-core"})
        EXPECT_NE(std::string::npos, depends.find(library)) << depends;
    std::string font = dir.file("root/usr/share/games/zephyrion/bitmaps/chintzy.ttf");
    EXPECT_TRUE(std::filesystem::is_symlink(font)) << "the font is the font package's own file";
    EXPECT_TRUE(std::filesystem::equivalent(font, "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"));
    for (int size : {64, 128, 256}) {
        std::string icon = "root/usr/share/icons/hicolor/" + std::to_string(size) + "x" +
                           std::to_string(size) + "/apps/zephyrion.png";
        std::string sides = std::to_string(size) + " x " + std::to_string(size);
        EXPECT_NE(std::string::npos, shell("file " + dir.file(icon)).find(sides)) << icon;
    }
    EXPECT_NE(std::string::npos,
              shell("file " + dir.file("root/usr/lib/games/zephyrion/Zephyrion")).find(", stripped"));
}

TEST(Package, InstallsStartsFromAnyFolderAndKeepsThePlayersScores)
{
    Scratch dir;
    buildAndUnpack(dir);
    std::string root = dir.file("root");
    for (const char *file : {"usr/games/zephyrion", "usr/lib/games/zephyrion/Zephyrion",
                             "usr/share/games/zephyrion/sounds/017.wav"})
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
