// The game on today's desktops, each test on an Xvfb of the desktop's size:
// a full screen that keeps the desktop's mode and scales the picture into it,
// Alt+Enter to a window of a whole multiple, and the volume as heard.
#include <gtest/gtest.h>

#include <string>

#include <unistd.h>

#include "Harness.h"

namespace {

const long black = 0x000000;

// The game's window on the screen now: a switch makes a new one, and without a
// window manager it gets no focus of its own.
std::string visibleWindow()
{
    std::string id = run("xdotool search --onlyvisible --name '^Zephyrion$' | head -n 1");
    return id.substr(0, id.find('\n'));
}

// The classic 4:3 picture, scaled, so that the bars beside it are the display's.
class Desktop : public ::testing::Test {
  protected:
    void SetUp() override
    {
        dir.write("Zephyrion.cfg", "[Display]\nWidescreen = 0\nResolution = 1\n");
    }
    // The next test finds the display of the usual size.
    void TearDown() override
    {
        killGame(game);
        useDesktopOfSize(rootWidth, rootHeight);
    }

    // The splash, matched against its picture once the shot is scaled back;
    // the line of text at its bottom is left out. Where Sharp scaling blends
    // the picture's pixels, each may be off by a quarter of the neighbour's colour.
    int splashDiffers(const Image &picture, int tolerance = 0)
    {
        Image splash = loadImage(dir.file("bitmaps/SplashScreenHigh.png"));
        return differingPixels(picture, 0, 0, splash, 600 - 30, 600 - 14, tolerance);
    }

    void altEnter()
    {
        keyDown("alt");
        keyDown("Return");
        usleep(150 * 1000);
        keyUp("Return");
        keyUp("alt");
        usleep(1000 * 1000);
    }

    Scratch dir;
    GameRun game;
};

TEST_F(Desktop, A1080pFullScreenKeepsTheModeScalesTheSplashAndAltEnterGivesA1xWindow)
{
    useDesktopOfSize(1920, 1080);
    std::string before = rootSize();
    ASSERT_EQ("1920x1080", before);
    game = startGame(dir);
    ASSERT_FALSE(waitForWindow(10000).empty());
    usleep(1500 * 1000);
    Image shot = grabScreen(dir.file("splash-1080.png"));
    EXPECT_EQ(240 * 1080, shot.count(black, 0, 0, 240, 1080)) << "black to the left";
    EXPECT_EQ(240 * 1080, shot.count(black, 1680, 0, 1920, 1080)) << "black to the right";
    EXPECT_EQ(0, shot.count(black, 240, 0, 241, 540)) << "the splash from its first column";
    EXPECT_EQ(0, shot.count(black, 1679, 0, 1680, 540)) << "to its last";
    EXPECT_LT(splashDiffers(gamePicture(shot, 800, 600), 64), 800 * 600 / 200);
    EXPECT_EQ(before, rootSize());

    altEnter();
    EXPECT_EQ("800x600", windowSize()) << "1x: 2x would not leave room for the panels";
    EXPECT_LT(splashDiffers(insideOfWindow(grabScreen(dir.file("window-1080.png")), 800, 600)),
              800 * 600 / 200);
    EXPECT_EQ(before, rootSize());

    usleep(22000 * 1000);  // the intro, then Escape on the title keeps the window
    pressKey(visibleWindow(), "Escape");
    ASSERT_TRUE(waitForExit(game, 15000));
    EXPECT_NE(std::string::npos, dir.read("Zephyrion.cfg").find("FullScreen = 0"));
    EXPECT_EQ(before, rootSize());
}

// A window resized by hand shows the picture refitted to its new inside, on black.
TEST_F(Desktop, On1440pAltEnterGivesA2xWindowThatRefitsWhenResizedAndBackAFullScreen)
{
    useDesktopOfSize(2560, 1440);
    game = startGame(dir);
    ASSERT_FALSE(waitForWindow(10000).empty());
    usleep(1000 * 1000);  // the switches and the resize within the splash's 5 s
    altEnter();
    EXPECT_EQ("1600x1200", windowSize());
    Image window = insideOfWindow(grabScreen(dir.file("window-1440.png")), 1600, 1200);
    EXPECT_LT(splashDiffers(gamePicture(window, 800, 600)), 800 * 600 / 200) << "2x, exact";

    run("xdotool windowsize --sync " + visibleWindow() + " 1400 900");
    usleep(500 * 1000);
    EXPECT_EQ("1400x900", windowSize());
    Image resized = insideOfWindow(grabScreen(dir.file("resized-1440.png")), 1400, 900);
    EXPECT_EQ(100 * 900, resized.count(black, 0, 0, 100, 900)) << "black to the left";
    EXPECT_EQ(100 * 900, resized.count(black, 1300, 0, 1400, 900)) << "and to the right";
    Image refitted;
    refitted.width = 1200, refitted.height = 900;
    for (int y = 0; y < 900; y++)
        for (int x = 100; x < 1300; x++)
            for (int c = 0; c < 3; c++)
                refitted.rgb.push_back(resized.rgb[3 * (y * 1400 + x) + c]);
    EXPECT_LT(splashDiffers(gamePicture(refitted, 800, 600), 64), 800 * 600 / 200);

    run("xdotool windowfocus --sync " + visibleWindow());
    altEnter();
    // The splash or, should it have ended, the intro's stripes: lit to the edges.
    Image full = grabScreen(dir.file("full-1440.png"));
    EXPECT_EQ(320 * 1440, full.count(black, 0, 0, 320, 1440)) << "full screen again";
    EXPECT_EQ(0, full.count(black, 320, 0, 321, 40)) << "the picture from its first column";
    EXPECT_EQ(0, full.count(black, 2239, 0, 2240, 40)) << "to its last";
}

// The intro's stripes, heard a second into their sound at each volume: its
// peak level halves at 50 %, and at 0 nothing is mixed.
TEST_F(Desktop, TheVolumeSetsHowLoudTheGameIsHeard)
{
    int level[3] = {};
    const int volumes[3] = {100, 50, 0};
    for (int i = 0; i < 3; i++) {
        Scratch folder;
        folder.write("Zephyrion.cfg", "[Sound]\nVolume = " + std::to_string(volumes[i]) + "\n");
        GameRun played = startGame(folder, WithSound);
        ASSERT_FALSE(waitForWindow(10000).empty());
        usleep(6500 * 1000);  // the splash, and the stripes begun
        long mark = soundMark(folder);
        usleep(1000 * 1000);
        level[i] = hear(folder, mark).level;
        killGame(played);
    }
    EXPECT_GT(level[0], 2000) << "the stripes at full volume";
    EXPECT_NEAR(0.5, (double)level[1] / level[0], 0.06) << level[1] << " of " << level[0];
    EXPECT_EQ(0, level[2]);
}

}  // namespace
