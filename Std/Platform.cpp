// Requests to end. See Platform.h.
#include "Std/Platform.h"

#include <allegro.h>
#define SDL_MAIN_HANDLED
#include <SDL.h>
#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

#include "Std/Display.h"
#include "Std/Errors.h"
#include "Std/Input.h"
#include "Std/Screenshot.h"

static const int keyPollMs = 10;
static_assert(pictureChangedKey > KEY_MAX, "no key of the keyboard reads as a change of picture");

bool quitRequested()
{
    return quitSignalled() || closeButtonPressed();
}

void serveInput()
{
    pumpInput();
    serveScreenshot();  // of the picture as it was shown, before a switch
    serveDisplaySwitch();
}

void restMs(int ms)
{
    SDL_Delay(ms > 0 ? (Uint32)ms : 0);
}

void restServingInput(int ms)
{
    for (int left = ms; left > 0; left -= keyPollMs) {
        restMs(left < keyPollMs ? left : keyPollMs);
        serveInput();
    }
}

int readKeyUnlessQuit()
{
    serveInput();  // a press that came while the screen was drawn counts
    while (!keyWaiting()) {
        if (quitRequested())
            return KEY_ESC << 8;
        if (pictureResized())
            return pictureChangedKey << 8;
        restMs(keyPollMs);
        serveInput();
    }
    return nextKey();
}

#ifdef __EMSCRIPTEN__
// The page calls this when the browser refuses the game something it asked
// for (the pointer held, full screen): the game plays on without it.
extern "C" EMSCRIPTEN_KEEPALIVE void browserRefused(const char *what)
{
    logError(__LINE__, __FILE__, SevWarning, "The browser refused %s: the game plays on without it",
             what);
}
#endif

int endProgram(int status)
{
#ifdef __EMSCRIPTEN__
    emscripten_force_exit(status);
#endif
    return status;
}
