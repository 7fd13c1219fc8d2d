// The screen mode. See Platform.h.
#include "Std/Platform.h"

#include <allegro.h>

#include <atomic>

// Allegro reports a change of focus on its input thread, and may report one
// twice: the callback only raises a flag that the game thread takes down.
static std::atomic<bool> focusWasLost{false};

static void onSwitchOut()
{
    focusWasLost = true;
}

bool focusLost()
{
    return focusWasLost.exchange(false);
}

// Setting the switch mode drops the callbacks, and a new screen mode may reset
// it; the game goes on in the background so that it can pause itself.
static void watchFocus()
{
    set_display_switch_mode(SWITCH_BACKGROUND);
    set_display_switch_callback(SWITCH_OUT, onSwitchOut);
}

// A full-screen driver may hand back another size than asked for; the game
// lays out its screens for exactly the requested one, so that counts as a failure.
static bool tryMode(int card, int w, int h)
{
    if (set_gfx_mode(card, w, h, 0, 0) != 0)
        return false;
    if (SCREEN_W == w && SCREEN_H == h)
        return true;
    set_gfx_mode(GFX_TEXT, 0, 0, 0, 0);
    return false;
}

bool setScreenMode(int w, int h, bool fullScreen)
{
    int first = fullScreen ? GFX_AUTODETECT_FULLSCREEN : GFX_AUTODETECT_WINDOWED;
    int other = fullScreen ? GFX_AUTODETECT_WINDOWED : GFX_AUTODETECT_FULLSCREEN;
    if (!tryMode(first, w, h) && !tryMode(other, w, h))
        return false;
    watchFocus();
    return true;
}
