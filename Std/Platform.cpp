// The screen mode. See Platform.h.
#include "Std/Platform.h"

#include <allegro.h>

#include <atomic>
#include <csignal>
#include <initializer_list>

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

// A signal or the close button (on Allegro's input thread) only raises a flag
// that the game's loops look at.
static volatile sig_atomic_t quitSignalled = 0;
static std::atomic<bool> closeClicked{false};
static const int keyPollMs = 10;

static void onQuitSignal(int)
{
    quitSignalled = 1;
}

static void onCloseButton()
{
    closeClicked = true;
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
    return quitSignalled || closeClicked;
}

int readKeyUnlessQuit()
{
    while (!keypressed()) {
        if (quitRequested())
            return KEY_ESC << 8;
        rest(keyPollMs);
    }
    return readkey();
}

// Setting the switch mode drops the callbacks, and a new screen mode may reset
// them; the game goes on in the background so that it can pause itself.
static void watchWindow()
{
    set_display_switch_mode(SWITCH_BACKGROUND);
    set_display_switch_callback(SWITCH_OUT, onSwitchOut);
    set_close_button_callback(onCloseButton);
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
    watchWindow();
    return true;
}
