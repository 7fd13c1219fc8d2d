// Requests to end. See Platform.h.
#include "Std/Platform.h"

#include <allegro.h>

#include "Std/Display.h"
#include "Std/Gamepad.h"

static const int keyPollMs = 10;

bool quitRequested()
{
    return quitSignalled() || closeButtonPressed();
}

void serveInput()
{
    serveDisplaySwitch();
    pollGamepads();
}

void restServingInput(int ms)
{
    for (int left = ms; left > 0; left -= keyPollMs) {
        rest(left < keyPollMs ? left : keyPollMs);
        serveInput();
    }
}

int readKeyUnlessQuit()
{
    serveInput();  // a press that came while the screen was drawn counts
    while (!keypressed()) {
        if (quitRequested())
            return KEY_ESC << 8;
        rest(keyPollMs);
        serveInput();
    }
    return readkey();
}
