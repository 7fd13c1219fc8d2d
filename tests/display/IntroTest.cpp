// The intro on a real screen: its phases, its pictures at both sizes, its
// samples and what a missing file does. At FrameRate 1000 only drawing paces it.
#include <allegro.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "GameScreen.h"
#include "Std/Errors.h"
#include "Zephyrion/GameState.h"
#include "Zephyrion/Graphics.h"
#include "Zephyrion/Intro.h"
#include "Zephyrion/Zephyrion.h"

namespace {

class Intro : public GameScreen {
  protected:
    void SetUp() override
    {
        GameScreen::SetUp();
        game.settings = Settings();
        game.settings.resolution = ResolutionClassic;
        game.settings.frameRate = 1000;
        ASSERT_TRUE(loadGraphics());
    }
    void TearDown() override
    {
        freeGraphics();
        closeLogs();
    }
    IntroRun run;
};

TEST_F(Intro, SpinsOutInFiftyFramesOfEighteenSteps)
{
    ASSERT_TRUE(playIntro(run));
    EXPECT_EQ(300, run.stripeFrames);
    EXPECT_EQ(50, run.spinFrames);
    EXPECT_FLOAT_EQ(18, run.spinTurn);
    EXPECT_EQ(720, run.pictureW);
    EXPECT_EQ(520, run.pictureH);
    // With no sound card the stripes' sound is over at once: the loop starts
    // on the first frame, and only once.
    EXPECT_EQ(1, run.loopStarts);
    EXPECT_EQ(0, run.loopStartFrame);
    EXPECT_FALSE(dir.exists("ErrorLog.txt"));
}

TEST_F(Intro, OnALowSpeedPcItSpinsAHundredFramesOfTwelveSteps)
{
    game.settings.lowSpeedPC = true;
    ASSERT_TRUE(playIntro(run));
    EXPECT_EQ(100, run.spinFrames);
    EXPECT_FLOAT_EQ(12, run.spinTurn);
}

TEST_F(Intro, TheStripesFrameAPictureOf560By400At640By480)
{
    freeGraphics();
    ASSERT_TRUE(openGameScreen(true));
    ASSERT_TRUE(loadGraphics());
    ASSERT_TRUE(playIntro(run));
    EXPECT_EQ(560, run.pictureW);
    EXPECT_EQ(400, run.pictureH);
}

TEST_F(Intro, AMissingTitlePictureLeavesTheStillAndTheSpinBlack)
{
    std::filesystem::remove(dir.file("bitmaps/Intro.png"));
    ASSERT_TRUE(playIntro(run)) << "a missing picture is left out";
    EXPECT_EQ(50, run.spinFrames);
    int black = makecol(0, 0, 0), lit = 0;
    for (int y = 0; y < game.screenHeight; y += 4)
        for (int x = 0; x < game.screenWidth; x += 4)
            lit += getpixel(displayPicture(), x, y) != black;
    EXPECT_EQ(0, lit) << "no title picture to spin";
}

TEST_F(Intro, WithoutEitherPictureTheStripesStillRun)
{
    std::filesystem::remove(dir.file("bitmaps/Intro.png"));
    std::filesystem::remove(dir.file("bitmaps/LoadScreen.png"));
    ASSERT_TRUE(playIntro(run));
    EXPECT_EQ(300, run.stripeFrames);
}

TEST_F(Intro, AMissingSampleEndsItWithItsOwnLine)
{
    const struct {
        const char *file;
        const char *line;
    } cases[] = {{"sounds/001.wav", "ERR:0994:Zephyrion.cpp - Unable to load sounds/001.wav\n"},
                 {"sounds/015.wav", "ERR:0995:Zephyrion.cpp - Unable to load sounds/015.wav\n"},
                 {"sounds/016.wav", "ERR:0996:Zephyrion.cpp - Unable to load sounds/016.wav\n"}};
    for (const auto &c : cases) {
        std::string saved = dir.file(c.file) + ".kept";
        std::filesystem::rename(dir.file(c.file), saved);
        errorLogFresh = true;
        IntroRun failed;
        EXPECT_FALSE(playIntro(failed)) << c.file;
        EXPECT_EQ(0, failed.stripeFrames) << c.file;
        closeLogs();
        EXPECT_EQ("\n\n-----------  New log\n" + std::string(c.line), dir.read("ErrorLog.txt"));
        std::filesystem::rename(saved, dir.file(c.file));
    }
}

}  // namespace
