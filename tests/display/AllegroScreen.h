// The display tests' base: Allegro with its keyboard, timer thread and sound
// started once per test process, and each test in a scratch copy of the
// runtime folder with the game at 800 x 600, full screen on the test's display.
#pragma once

#include <allegro.h>
#include <gtest/gtest.h>
#include <loadpng.h>

#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

#include "../e2e/Harness.h"
#include "Std/Display.h"
#include "Zephyrion/GameState.h"
#include "Zephyrion/Graphics.h"

class AllegroScreen : public ::testing::Test {
  protected:
    static void SetUpTestSuite()
    {
        ASSERT_EQ(0, allegro_init());
        install_keyboard();
        install_timer();
        ASSERT_EQ(0, install_sound(DIGI_AUTODETECT, MIDI_NONE, nullptr));
        register_png_file_type();
        set_color_depth(32);
    }
    // Allegro lets go of the display before the test's Xvfb ends. A checked
    // build looks for leaks first, while Allegro's driver modules are loaded.
    static void TearDownTestSuite()
    {
#if defined(__SANITIZE_ADDRESS__)
        __lsan_do_leak_check();
#endif
        allegro_exit();
    }
    void SetUp() override
    {
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
