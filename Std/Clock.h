// The millisecond clock that every loop and wait of the game reads. It is
// taken from the system's monotonic clock when read, so that no thread has to
// wake every millisecond to count it. Until start-up starts it, it stands still:
// tests set it and read back exactly what they set.
#pragma once

#include <cstdint>

// From the first call on, every MsClock runs in real time; later calls change nothing.
void startClock();

// Milliseconds since startClock, 0 before it; wraps after 49 days.
uint32_t clockRun();

// Microseconds since startClock, 0 before it: the frames' even pacing reads it.
uint64_t clockMicros();

// Sleeps until clockMicros reaches when; at once if it has, or before startClock.
void sleepUntilMicros(uint64_t when);

// A reading of the clock, in ms; wraps, so compare differences. Setting it
// moves it to that value, from where it runs on.
class MsClock {
  public:
    MsClock(uint32_t value = 0) : offset(value) {}
    MsClock &operator=(uint32_t value)
    {
        offset = value - clockRun();
        return *this;
    }
    operator uint32_t() const { return clockRun() + offset; }

  private:
    uint32_t offset;  // the reading less the time the clock has run
};
