// The millisecond clock. See Clock.h.
#include "Std/Clock.h"

#include <time.h>

static bool started = false;
static uint64_t originMs;  // the monotonic clock at startClock, ms

static uint64_t monotonicMs()
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (uint64_t)now.tv_sec * 1000u + (uint64_t)now.tv_nsec / 1000000u;
}

void startClock()
{
    if (started)
        return;
    originMs = monotonicMs();
    started = true;
}

uint32_t clockRun()
{
    return started ? (uint32_t)(monotonicMs() - originMs) : 0u;
}
