// The system's requests to end, on Windows: the end of the session, told to
// the game's window, and Ctrl+C or the closing of a console it was started
// from. See Platform.h.
#include "Std/Platform.h"

#include <allegro.h>
#include <winalleg.h>

#include <atomic>

// Windows ends a program once it has answered the end of the session; the
// answer waits this long at most for the game to have saved.
static const DWORD saveWaitMs = 4000;
static const DWORD saveWaitStepMs = 20;

static std::atomic<bool> signalled{false};
static std::atomic<bool> served{false};

static void askAndWait()
{
    signalled = true;
    for (DWORD waited = 0; !served && waited < saveWaitMs; waited += saveWaitStepMs)
        Sleep(saveWaitStepMs);
}

// Runs on Allegro's window thread before Allegro sees the message: 0 when handled.
static int onWindowMessage(HWND, UINT message, WPARAM wparam, LPARAM, int *result)
{
    if (message == WM_QUERYENDSESSION) {
        signalled = true;
        *result = TRUE;  // the game does not hold up the end of the session
        return 0;
    }
    if (message == WM_ENDSESSION) {
        if (wparam)
            askAndWait();
        *result = 0;
        return 0;
    }
    return 1;
}

// Runs on a thread of its own; the program ends when it returns, but for Ctrl+C.
static BOOL WINAPI onConsoleEvent(DWORD)
{
    askAndWait();
    return TRUE;
}

void watchQuitSignals()
{
    win_set_msg_pre_proc(onWindowMessage);
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

bool quitSignalled()
{
    return signalled;
}

void quitServed()
{
    served = true;
}
