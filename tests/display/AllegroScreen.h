// The display tests' base: Allegro with its keyboard, timer thread and sound
// started once per test process, and each test in a scratch copy of the
// runtime folder with the game at 800 x 600, full screen on the test's display.
#pragma once

#include <allegro.h>
#include <allegro/internal/aintern.h>
#include <gtest/gtest.h>
#include <loadpng.h>

#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

#include "../e2e/Harness.h"
#include "Std/Display.h"
#include "Std/Errors.h"
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
    // Each test starts from a new game, with no key held or waiting and no
    // log open, whatever the test before it left.
    void SetUp() override
    {
        game = GameState();
        for (int k = 0; k < KEY_MAX; k++)
            holdKey(k, false);
        holdShifts(0);
        clear_keybuf();
        closeLogs();  // the next failure starts a log in this test's folder
        errorLogFresh = true;
        ASSERT_EQ(0, chdir(dir.path.c_str()));
        ASSERT_TRUE(openGameScreen(false));
    }
    // Holds a key down (or lets it go) as the keyboard would. Once the game
    // has polled the keyboard, Allegro copies a table of its own over key[] at
    // every poll: the key goes into both.
    static void holdKey(int scancode, bool down)
    {
        key[scancode] = _key[scancode] = down ? -1 : 0;
    }
    static void holdShifts(int flags) { key_shifts = _key_shifts = flags; }
    // The screen for the game's size: 640 x 480 when low, else 800 x 600.
    static bool openGameScreen(bool low)
    {
        game.settings.lowSpeedPC = low;
        return setGameScreenMode();
    }
    Scratch dir;
};
