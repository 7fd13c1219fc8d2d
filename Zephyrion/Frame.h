// The frame pipeline: one life's loop of ticks and frames over a city, the
// flight tick and the flight frame, and the frame counting and paced
// presenting that the title, the sequences and the intro share.
#pragma once

#include <cstdint>

struct TickCommand;

// Runs ticks and frames until Escape, a crash or a cleared city; returns a CityResult.
int runCityFrames();

// One tick of flight from its command: -1 while the life goes on, else how it ended.
int flightTick(const TickCommand &cmd);

// The world as the last tick left it: city, enemies, HUD and beam.
void drawFlightFrame();

// Counts a presented frame into the frames-per-second window.
void countFrame();

// Copies the back buffer to the screen, then waits out the rest of the frame.
void presentFrame();

// The frame's rest of 10 ms, then presenting it, counted.
void finishFrame();

// False in a headless replay, which runs the ticks and draws nothing.
bool showingFrames();

// The frame period for a frame rate: 1000 / rate ms, and 1000 for a rate below 1.
uint32_t frameTimeFor(int frameRate);

// How long the present still has to wait, from the clock's difference.
uint32_t pacingWait(uint32_t now, uint32_t lastFrame, uint32_t frameTime);
