// A whole game played with a gamepad and no key pressed: SDL's virtual pad,
// plugged into the real game after it has started, works the title menu,
// flies, fires, pauses, is pulled out and plugged in again, ends the game,
// enters the initials and leaves.
#include <gtest/gtest.h>

#include <SDL.h>

#include <string>

#include <sys/wait.h>
#include <unistd.h>

#include "Harness.h"

namespace {

const long white = 0xFFFFFF, grey = 0x8C8C8C;
const int released = -32768, fullTravel = 32767;  // a trigger's ends, a stick's far end

bool titleShown(const Image &shot)
{
    return shot.count(white, 0, 240, 800, 420) > 1500 && shot.count(grey, 0, 240, 800, 420) > 3000;
}

bool waitForTitle(int timeoutMs)
{
    for (int waited = 0; waited < timeoutMs; waited += 250) {
        if (titleShown(grabScreen()))
            return true;
        usleep(250 * 1000);
    }
    return false;
}

// The selected item of the title menu is white: 0 "Start Game", 1 "Game Options".
int selectedItem(const Image &shot)
{
    for (int item = 0; item < 3; item++)
        if (shot.count(white, 0, 240 + 60 * item, 800, 300 + 60 * item) > 1500)
            return item;
    return -1;
}

bool paused(const Image &shot)
{
    return shot.count(white, 200, 180, 600, 240) > 800;  // "Paused", over the frame
}

TEST(Gamepad, AWholeGameWithThePadAloneFromTheTitleToTheHighScores)
{
    Scratch dir;
    std::string table = "[HighScore]\n";  // hopeless scores: this game makes the first row
    for (int row = 0; row < 10; row++)
        table += "0" + std::to_string(row) + " = -99999,0,5,ZZZ\n";
    dir.write("Zephyrion.cfg", table);
    GameRun game = startGame(dir, WithGamepad);
    ASSERT_FALSE(waitForWindow(10000).empty());
    ASSERT_TRUE(waitForTitle(40000));
    TestPad pad(dir);
    pad.plug();  // after start-up: the game picks it up as it runs
    pad.axis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, released);
    pad.axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, released);
    usleep(300 * 1000);

    pad.press(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
    EXPECT_EQ(1, selectedItem(grabScreen(dir.file("pad-title-down.png")))) << "Game Options";
    pad.axis(SDL_CONTROLLER_AXIS_LEFTY, -fullTravel);  // the stick moves as the d-pad does
    usleep(300 * 1000);
    pad.axis(SDL_CONTROLLER_AXIS_LEFTY, 0);
    usleep(200 * 1000);
    EXPECT_EQ(0, selectedItem(grabScreen())) << "Start Game";
    pad.press(SDL_CONTROLLER_BUTTON_A);
    usleep(7500 * 1000);  // the approach
    Image before = grabScreen(dir.file("pad-flying.png"));
    EXPECT_EQ(0, before.count(grey, 0, 300, 800, 420)) << "the menu is gone";

    pad.hold(SDL_CONTROLLER_BUTTON_A);  // held: a shot every 400 ms
    usleep(1500 * 1000);
    Image firing = grabScreen(dir.file("pad-firing.png"));
    pad.release(SDL_CONTROLLER_BUTTON_A);
    EXPECT_GT(firing.count(0xFF0000, 0, 300, 400, 560), 150) << "the beams";
    EXPECT_GT(scoreDifference(before, firing), 0) << "the score changed";

    pad.axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, fullTravel);  // speed up and turn left
    pad.axis(SDL_CONTROLLER_AXIS_LEFTX, -fullTravel);
    usleep(600 * 1000);
    pad.axis(SDL_CONTROLLER_AXIS_LEFTX, 0);
    pad.axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, released);
    usleep(300 * 1000);
    Image turned = grabScreen(dir.file("pad-turned.png"));
    EXPECT_GT(differingPixels(turned, 0, 0, firing), 50000) << "the craft turned";

    pad.press(SDL_CONTROLLER_BUTTON_START);
    Image pausedShot = grabScreen(dir.file("pad-paused.png"));
    EXPECT_TRUE(paused(pausedShot)) << "Start pauses";
    usleep(500 * 1000);
    EXPECT_EQ(0, differingPixels(grabScreen(), 0, 0, pausedShot)) << "nothing moves";
    pad.press(SDL_CONTROLLER_BUTTON_START);
    usleep(300 * 1000);
    EXPECT_FALSE(paused(grabScreen())) << "and Start goes on";

    pad.unplug();
    usleep(400 * 1000);
    EXPECT_TRUE(paused(grabScreen(dir.file("pad-pulled-out.png")))) << "pulled out, it pauses";
    pad.plug();
    usleep(300 * 1000);
    pad.press(SDL_CONTROLLER_BUTTON_START);  // plugged in again, it goes on
    usleep(300 * 1000);
    EXPECT_FALSE(paused(grabScreen()));

    pad.press(SDL_CONTROLLER_BUTTON_BACK);  // the game ends as by Escape
    usleep(3000 * 1000);                    // game over, then the initials
    // Up offers A, A takes it; up to B, taken; B steps back; up to C, taken;
    // down to B, taken: "ACB".
    for (int button : {SDL_CONTROLLER_BUTTON_DPAD_UP, SDL_CONTROLLER_BUTTON_A,
                       SDL_CONTROLLER_BUTTON_DPAD_UP, SDL_CONTROLLER_BUTTON_A,
                       SDL_CONTROLLER_BUTTON_B, SDL_CONTROLLER_BUTTON_DPAD_UP,
                       SDL_CONTROLLER_BUTTON_A})
        pad.press(button);
    Image offered = grabScreen(dir.file("pad-initials.png"));
    EXPECT_GT(offered.count(0x0000FF, 0, 270, 800, 330), 1000) << "Congratulations!";
    EXPECT_GT(offered.count(0xA0A0A0, 0, 370, 800, 480), 1500) << "the initials so far";
    EXPECT_GT(offered.count(white, 0, 370, 800, 480), 500) << "the character offered";
    pad.press(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
    pad.press(SDL_CONTROLLER_BUTTON_A);
    usleep(1000 * 1000);
    std::string cfg = dir.read("Zephyrion.cfg");
    size_t row = cfg.find("00 = ");
    ASSERT_NE(std::string::npos, row) << cfg;
    std::string first = cfg.substr(row, cfg.find('\n', row) - row);
    EXPECT_EQ(first.size() - 4, first.rfind(",ACB")) << first;

    ASSERT_TRUE(waitForTitle(15000));  // a new city, and the High Scores when nothing is pressed
    usleep(11000 * 1000);
    Image scores = grabScreen(dir.file("pad-high-scores.png"));
    EXPECT_GT(scores.count(0xA0A0A0, 0, 140, 800, 180), 800) << "High Scores";
    pad.press(SDL_CONTROLLER_BUTTON_B);  // ends the interlude, and does nothing else
    usleep(500 * 1000);
    EXPECT_TRUE(titleShown(grabScreen()));
    pad.press(SDL_CONTROLLER_BUTTON_B);  // back from the title: the way out
    ASSERT_TRUE(waitForExit(game, 10000));
    EXPECT_TRUE(WIFEXITED(game.exitStatus) && WEXITSTATUS(game.exitStatus) == 0);
    EXPECT_NE(std::string::npos, dir.read("Zephyrion.cfg").find("[Gamepad]\nEnabled = 1\n"));
    EXPECT_FALSE(dir.exists("ErrorLog.txt")) << dir.read("ErrorLog.txt");
    killGame(game);
}

}  // namespace
