// The screen mode. See Platform.h.
#include "Std/Platform.h"

#include <allegro.h>

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

bool setScreenMode(int w, int h)
{
    if (tryMode(GFX_AUTODETECT_FULLSCREEN, w, h))
        return true;
    return tryMode(GFX_AUTODETECT_WINDOWED, w, h);
}
