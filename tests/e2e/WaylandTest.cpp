// The game on Wayland, natively: Weston with its X11 backend in the test's
// Xvfb, and the game its client with no X display at all. The title by keys,
// a game, Alt+Enter and Exit Game saving.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "Harness.h"

namespace {

const long white = 0xFFFFFF, grey = 0x8C8C8C;
const char *const socketName = "zephyrion-test";

// A script in dir that runs command with the settings before it.
std::string script(const Scratch &dir, const std::string &name, const std::string &body)
{
    dir.write(name, "#!/bin/sh\n" + body + "\n");
    chmod(dir.file(name).c_str(), 0755);
    return dir.file(name);
}

// Weston's output: its window in the Xvfb, at the top left.
std::string westonWindow()
{
    std::string id = run("xdotool search --class Weston 2>/dev/null | head -n 1");
    return id.substr(0, id.find('\n'));
}

void pressInWeston(const std::string &key)
{
    run("xdotool key --clearmodifiers " + key + "; sleep 0.3");
}

TEST(Wayland, TheGamePlaysOnWestonByKeysSwitchesAndSavesAsItLeaves)
{
    Scratch dir;
    std::string runtime = dir.file("xdg");
    mkdir(runtime.c_str(), 0700);
    GameRun weston = startProgram(
        dir.path,
        script(dir, "weston.sh",
               "exec weston --backend=x11-backend.so --width=800 --height=600 --socket=" +
                   std::string(socketName) + " --idle-time=0"),
        {"DISPLAY=" + testDisplay(), "XDG_RUNTIME_DIR=" + runtime});
    std::string output;
    for (int tries = 0; tries < 100 && output.empty(); tries++) {
        struct stat st;
        if (stat((runtime + "/" + socketName).c_str(), &st) == 0)
            output = westonWindow();
        usleep(100 * 1000);
    }
    ASSERT_FALSE(output.empty()) << dir.read("program-output.txt");
    run("xdotool mousemove --window " + output + " 400 300 windowfocus --sync " + output);

    GameRun game = startProgram(
        dir.path,
        script(dir, "game.sh", "unset DISPLAY\nexec " GAME_BINARY),
        {"XDG_RUNTIME_DIR=" + runtime, "WAYLAND_DISPLAY=" + std::string(socketName),
         "SDL_VIDEODRIVER=wayland", "SDL_AUDIODRIVER=dummy"});
    // The splash, the intro, then the title, full screen on Weston's output.
    Image title = waitForTitle(dir, 800, 600, 60000, true);
    ASSERT_TRUE(titleShown(title, 800, 600, true)) << dir.read("program-output.txt");

    pressInWeston("Return");  // Start Game: the approach, then the HUD
    usleep(7500 * 1000);
    Image flying = grabScreen(dir.file("wayland-flying.png"));
    EXPECT_EQ(0, flying.count(grey, 0, 300, 800, 420)) << "the menu is gone";
    EXPECT_GT(flying.count(white, 5, 5, 120, 25), 20) << "the score";
    run("xdotool keydown Escape; sleep 0.3; xdotool keyup Escape");
    usleep(4000 * 1000);  // game over, then the title
    ASSERT_TRUE(titleShown(waitForTitle(dir, 800, 600, 20000, true), 800, 600, true));

    pressInWeston("alt+Return");  // a window
    pressInWeston("Down");
    pressInWeston("Down");
    pressInWeston("Return");  // Exit Game
    bool ended = waitForExit(game, 15000);
    killGame(game);
    killGame(weston);
    ASSERT_TRUE(ended) << "the game did not leave";
    EXPECT_TRUE(WIFEXITED(game.exitStatus) && WEXITSTATUS(game.exitStatus) == 0)
        << dir.read("program-output.txt");
    EXPECT_NE(std::string::npos, dir.read("Zephyrion.cfg").find("FullScreen = 0"))
        << "the window it left in";
}

}  // namespace
