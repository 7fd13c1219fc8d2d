// The display tests' base: Allegro drawing, SDL's window and sound started
// once per test process, and each test in a scratch copy of the runtime
// folder with the game at 800 x 600, full screen on the test's display.
#pragma once

#include <allegro.h>
#include <gtest/gtest.h>
#include <loadpng.h>

#include <cerrno>
#include <cstdlib>

#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

#include "../e2e/Harness.h"
#include "Std/Display.h"
#include "Std/Errors.h"
#include "Std/Input.h"
#include "Std/Sound.h"
#include "Zephyrion/GameState.h"
#include "Zephyrion/Graphics.h"

class GameScreen : public ::testing::Test {
  protected:
    static void SetUpTestSuite()
    {
        ASSERT_EQ(0, install_allegro(SYSTEM_NONE, &errno, atexit));
        // The window's own pixels, scaled by the game: no GL is started.
        setenv("SDL_FRAMEBUFFER_ACCELERATION", "0", 0);
        ASSERT_TRUE(startDisplay()) << allegro_error;
        openSound();  // where there is no device the game is silent, as here
        register_png_file_type();
        set_color_depth(32);
    }
    // A checked build looks for leaks before SDL and Allegro let go.
    static void TearDownTestSuite()
    {
#if defined(__SANITIZE_ADDRESS__)
        __lsan_do_leak_check();
#endif
        closeSound();
        stopDisplay();
        allegro_exit();
    }
    // Each test starts from a new game, with no key held or waiting and no
    // log open, whatever the test before it left. Its picture is the classic
    // one, 640 x 480 too on the 800 x 600 desktop.
    void SetUp() override
    {
        game = GameState();
        game.settings.resolution = ResolutionClassic;
        releaseKeys();
        closeLogs();  // the next failure starts a log in this test's folder
        errorLogFresh = true;
        ASSERT_EQ(0, chdir(dir.path.c_str()));
        ASSERT_TRUE(openGameScreen(false));
    }
    // The screen for the game's size: 640 x 480 when low, else 800 x 600.
    static bool openGameScreen(bool low)
    {
        game.settings.lowSpeedPC = low;
        return setGameScreenMode();
    }
    Scratch dir;
};
