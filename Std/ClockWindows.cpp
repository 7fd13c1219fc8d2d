// The clock, on Windows: the performance counter, and sleeps made fine by
// asking the system for its 1 ms timer while the game runs. See Clock.h.
#include "Std/Clock.h"

#include <windows.h>
#include <mmsystem.h>

#include <cstdlib>

static bool started = false;
static LARGE_INTEGER origin;     // the counter at startClock
static LARGE_INTEGER frequency;  // its counts a second

static void endFineTimer()
{
    timeEndPeriod(1);
}

void startClock()
{
    if (started)
        return;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&origin);
    // SDL_Delay and every Sleep then wake within a millisecond, not 15.6.
    timeBeginPeriod(1);
    atexit(endFineTimer);
    started = true;
}

uint32_t clockRun()
{
    return (uint32_t)(clockMicros() / 1000u);
}

uint64_t clockMicros()
{
    if (!started)
        return 0;
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    uint64_t counts = (uint64_t)(now.QuadPart - origin.QuadPart);
    uint64_t perSecond = (uint64_t)frequency.QuadPart;
    return counts / perSecond * 1000000u + counts % perSecond * 1000000u / perSecond;
}

void sleepUntilMicros(uint64_t when)
{
    if (!started)
        return;
    for (uint64_t now = clockMicros(); now < when; now = clockMicros()) {
        // Sleep takes whole milliseconds, and may add one; the last fraction is yielded away.
        uint64_t left = when - now;
        if (left >= 1000u)
            Sleep((DWORD)(left / 1000u));
        else
            SwitchToThread();
    }
}
