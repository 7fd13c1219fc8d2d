// The system's requests to end, on Linux: signals. See Platform.h.
#include "Std/Platform.h"

#include <csignal>
#include <initializer_list>

// A signal only raises a flag that the game's loops look at.
static volatile sig_atomic_t signalled = 0;

static void onQuitSignal(int)
{
    signalled = 1;
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

bool quitSignalled()
{
    return signalled;
}

// A signal's sender waits for the process itself.
void quitServed() {}
