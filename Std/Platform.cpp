// Requests to end. See Platform.h.
#include "Std/Platform.h"

#include <allegro.h>

#include <csignal>
#include <initializer_list>

#include "Std/Display.h"
#include "Std/Gamepad.h"

// A signal only raises a flag that the game's loops look at.
static volatile sig_atomic_t quitSignalled = 0;
static const int keyPollMs = 10;

static void onQuitSignal(int)
{
    quitSignalled = 1;
}

void watchQuitSignals()
{
    struct sigaction action = {};
    action.sa_handler = onQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : {SIGTERM, SIGINT, SIGHUP})
        sigaction(number, &action, nullptr);
}

bool quitRequested()
{
    return quitSignalled || closeButtonPressed();
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
