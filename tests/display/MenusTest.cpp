// The Game Options, Controls and Define Keys screens, driven by scripted keys
// on a real screen.
#include <allegro.h>
#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "GameScreen.h"
#include "Std/3D.h"
#include "Std/Errors.h"
#include "Std/Platform.h"
#include "Zephyrion/City.h"
#include "Zephyrion/DefineKeys.h"
#include "Zephyrion/GameState.h"
#include "Zephyrion/Graphics.h"
#include "Zephyrion/Menu.h"
#include "Zephyrion/Options.h"
#include "Zephyrion/Zephyrion.h"

namespace {

// The keys a screen will read, in order, and what the settings were each time
// it asked; past the end of the script it reads Escape.
struct Script {
    std::vector<int> keys;
    size_t next = 0;
    std::vector<Settings> seen;
};
Script script;

int scripted()
{
    script.seen.push_back(game.settings);
    return script.next < script.keys.size() ? script.keys[script.next++] : KEY_ESC;
}

class Menus : public GameScreen {
  protected:
    void SetUp() override
    {
        GameScreen::SetUp();
        ASSERT_TRUE(loadGraphics());
        ASSERT_TRUE(loadSounds());
        game.citiesCleared = 0;
        buildCity();
        resetTitleCamera();
        script = Script();
        game.settings = Settings();
        game.settings.resolution = ResolutionClassic;
        game.settings.lowSpeedPC = false;
        const int defaults[keyBindingCount] = {KEY_LEFT, KEY_RIGHT, KEY_UP,  KEY_DOWN, KEY_DOWN,
                                               KEY_UP,   KEY_PGUP,  KEY_PGDN, KEY_END, KEY_SPACE};
        for (int i = 0; i < keyBindingCount; i++)
            game.keyBindings[i] = defaults[i];
    }
    void TearDown() override
    {
        freeCity();
        freeSounds();
        freeGraphics();
    }
    static void play(std::vector<int> keys) { script.keys = keys; }
};

TEST_F(Menus, TheLivesRowStepsThroughThreeFourFiveAndWrapsTheSelection)
{
    // Down twice to "Number of Lives", three presses, then Up three times
    // wraps round from the first row to "Back".
    play({KEY_DOWN, KEY_DOWN, KEY_ENTER, KEY_SPACE, KEY_ENTER_PAD, KEY_UP, KEY_UP, KEY_UP,
          KEY_ENTER});
    EXPECT_TRUE(gameOptions(scripted));
    ASSERT_EQ(9u, script.seen.size()) << "Back leaves without another key";
    EXPECT_EQ(4, script.seen[3].numLives);
    EXPECT_EQ(5, script.seen[4].numLives);
    EXPECT_EQ(3, script.seen[5].numLives);
}

TEST_F(Menus, EscapeOnControlsComesBackToGameOptions)
{
    game.settings.difficulty = 9;
    game.settings.sensitivity = 2;
    // Controls: its first row toggles the mouse, the second the gamepad, the
    // fourth steps the sensitivity.
    play({KEY_DOWN, KEY_DOWN, KEY_DOWN, KEY_DOWN, KEY_ENTER, KEY_ENTER, KEY_DOWN, KEY_ENTER,
          KEY_DOWN, KEY_DOWN, KEY_ENTER, KEY_ESC, KEY_UP, KEY_ENTER, KEY_ESC});
    EXPECT_TRUE(gameOptions(scripted));
    EXPECT_TRUE(game.settings.useMouse);
    EXPECT_FALSE(game.settings.useGamepad);
    EXPECT_EQ(1, game.settings.sensitivity);  // "Normal" for 2, then "Fine"
    EXPECT_EQ(1, game.settings.difficulty);   // back on Game Options, row 4 then up to 3
    EXPECT_EQ(script.keys.size(), script.seen.size()) << "the last Escape leaves";
}

TEST_F(Menus, TogglingSystemTwiceReloadsEverythingAtEachSize)
{
    play({KEY_ENTER});
    EXPECT_TRUE(gameOptions(scripted));
    EXPECT_TRUE(game.settings.lowSpeedPC);
    EXPECT_EQ(640, displayPicture()->w);
    EXPECT_EQ(480, displayPicture()->h);
    ASSERT_NE(nullptr, game.backBuffer);
    EXPECT_EQ(640, game.backBuffer->w);
    EXPECT_NE(nullptr, game.gameFont);
    EXPECT_NE(nullptr, game.bitmaps.radar);
    EXPECT_NE(nullptr, game.bitmaps.logo);
    EXPECT_EQ(-500, game.craft.y);  // back at the title camera

    script = Script();
    game.craft.y = -20;
    play({KEY_ENTER});
    EXPECT_TRUE(gameOptions(scripted));
    EXPECT_FALSE(game.settings.lowSpeedPC);
    EXPECT_EQ(800, displayPicture()->w);
    EXPECT_EQ(800, game.backBuffer->w);
    EXPECT_NE(nullptr, game.bitmaps.hudBar);
    EXPECT_EQ(-500, game.craft.y);
}

// A colour depth no mode has makes both the new mode and the way back fail:
// the screen says the program must end, with both failures logged and the
// graphics released once.
TEST_F(Menus, ADisplayModeThatCannotBeSetNorUndoneEndsTheProgram)
{
    errorLogFresh = true;
    set_color_depth(12);
    play({KEY_ENTER});
    EXPECT_FALSE(gameOptions(scripted));
    set_color_depth(32);
    EXPECT_EQ(1u, script.seen.size()) << "left at once";
    EXPECT_EQ(nullptr, game.backBuffer);
    EXPECT_EQ(nullptr, game.gameFont);
    EXPECT_FALSE(game.settings.lowSpeedPC) << "the mode that worked is the one saved";
    freeGraphics();  // shutdown releases again: nothing twice
    closeLogs();
    std::string log = dir.read("ErrorLog.txt");
    size_t first = log.find("ERR:"), second = log.find("ERR:", first + 1);
    EXPECT_NE(std::string::npos, first) << log;
    EXPECT_NE(std::string::npos, second) << log;
    EXPECT_NE(std::string::npos, log.find("Options.cpp")) << log;
    ASSERT_TRUE(openGameScreen(false));
    ASSERT_TRUE(loadGraphics());
}

// ---- Define Keys ----

// A taken key is refused, and so are the pause keys, which no action may
// have, and codes that the settings file would not take back.
TEST_F(Menus, TheSameKeyForLeftAndRightIsRefusedAndRightStillWaits)
{
    uint32_t cues = game.samples.cuesSounded;
    play({KEY_P, 0, KEY_A, KEY_A, KEY_PAUSE, KEY_MAX, KEY_B, KEY_ESC});
    defineKeys(scripted);
    EXPECT_EQ(5u, game.samples.cuesSounded - cues);
    EXPECT_EQ(KEY_A, game.keyBindings[BindLeft]);
    EXPECT_EQ(KEY_B, game.keyBindings[BindRight]);
    EXPECT_EQ(KEY_UP, game.keyBindings[BindPitchForward]) << "abandoned before row 3";
}

TEST_F(Menus, OnlyKeysOfThisPassAreTakenAndEscapeAloneCannotBeBound)
{
    // Up is Pitch Forward's before the pass, yet Left may have it; Enter, Space
    // and the function keys are keys like any other.
    play({KEY_UP, KEY_ENTER, KEY_SPACE, KEY_F1, KEY_F12, KEY_ENTER_PAD, KEY_TAB, KEY_F5});
    auto start = std::chrono::steady_clock::now();
    defineKeys(scripted);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2000))
        << "the pause after Keys Selected";
    const int expected[] = {KEY_UP, KEY_ENTER, KEY_SPACE, KEY_F1,
                            KEY_F12, KEY_ENTER_PAD, KEY_TAB, KEY_F5};
    const int actions[] = {BindLeft,       BindRight,      BindPitchForward, BindPitchBack,
                           BindAccelerate, BindDeccelerate, BindStop,        BindFire};
    for (int i = 0; i < definedActions; i++)
        EXPECT_EQ(expected[i], game.keyBindings[actions[i]]) << i;
    // "Keys Selected", white, centred at y 450.
    int white = makecol(255, 255, 255), found = 0;
    for (int y = 450; y < 480; y++)
        for (int x = 250; x < 550; x++)
            found += getpixel(displayPicture(), x, y) == white;
    EXPECT_GT(found, 200);
}

TEST_F(Menus, AModernPassCouplesTheTorquePairToTheNewPitchKeys)
{
    play({KEY_LEFT, KEY_RIGHT, KEY_UP, KEY_DOWN, KEY_PGUP, KEY_PGDN, KEY_END, KEY_SPACE});
    defineKeys(scripted);
    EXPECT_EQ(KEY_UP, game.keyBindings[BindTorqueIncrease]);  // the defaults pair Up with Decrease
    EXPECT_EQ(KEY_DOWN, game.keyBindings[BindTorqueDecrease]);
}

TEST_F(Menus, AnOldSchoolPassBindsTorqueAndThePitchPairFollows)
{
    game.settings.oldSchool = true;
    play({KEY_A, KEY_D, KEY_W, KEY_S, KEY_ESC});
    defineKeys(scripted);
    EXPECT_EQ(KEY_W, game.keyBindings[BindTorqueIncrease]);
    EXPECT_EQ(KEY_S, game.keyBindings[BindTorqueDecrease]);
    EXPECT_EQ(KEY_W, game.keyBindings[BindPitchForward]);
    EXPECT_EQ(KEY_S, game.keyBindings[BindPitchBack]);
    EXPECT_EQ(KEY_PGUP, game.keyBindings[BindAccelerate]);
}

TEST_F(Menus, EscapeOnTheFourthRowLeavesTheCouplingsUndone)
{
    play({KEY_A, KEY_D, KEY_W, KEY_ESC});
    defineKeys(scripted);
    EXPECT_EQ(KEY_W, game.keyBindings[BindPitchForward]);
    EXPECT_EQ(KEY_DOWN, game.keyBindings[BindPitchBack]);
    EXPECT_EQ(KEY_DOWN, game.keyBindings[BindTorqueIncrease]);
    EXPECT_EQ(KEY_UP, game.keyBindings[BindTorqueDecrease]);
}

}  // namespace
