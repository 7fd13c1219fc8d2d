// The clock, on Linux and in the web browser. See Clock.h.
#include "Std/Clock.h"

#include <time.h>

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

#include <cerrno>

static bool started = false;
static uint64_t originUs;  // the monotonic clock at startClock, us

static uint64_t monotonicUs()
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (uint64_t)now.tv_sec * 1000000u + (uint64_t)now.tv_nsec / 1000u;
}

void startClock()
{
    if (started)
        return;
    originUs = monotonicUs();
    started = true;
}

// Whole milliseconds of the same origin, so that both readings agree.
uint32_t clockRun()
{
    return (uint32_t)(clockMicros() / 1000u);
}

uint64_t clockMicros()
{
    return started ? monotonicUs() - originUs : 0u;
}

void sleepUntilMicros(uint64_t when)
{
    uint64_t now = clockMicros();
    if (!started || now >= when)
        return;
#ifdef __EMSCRIPTEN__
    // The page's one thread must hand the browser back its turn while it
    // waits, to the millisecond: the C library's sleeps would spin.
    emscripten_sleep((unsigned)((when - now + 999u) / 1000u));
#else
    uint64_t at = originUs + when;
    struct timespec until;
    until.tv_sec = (time_t)(at / 1000000u);
    until.tv_nsec = (long)(at % 1000000u * 1000u);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
    }
#endif
}
