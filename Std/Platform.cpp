// Requests to end. See Platform.h.
#include "Std/Platform.h"

#include <allegro.h>
#define SDL_MAIN_HANDLED
#include <SDL.h>

#include "Std/Display.h"
#include "Std/Input.h"

static const int keyPollMs = 10;

bool quitRequested()
{
    return quitSignalled() || closeButtonPressed();
}

void serveInput()
{
    pumpInput();
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
        restMs(keyPollMs);
        serveInput();
    }
    return nextKey();
}
