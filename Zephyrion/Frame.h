// The frame pipeline: one life's loop of ticks and frames over a city, the
// flight tick and the flight frame, and the one clock of ticks and frames,
// the frame counting and the evenly paced presenting that the title, the
// sequences and the intro share.
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

// The frames a second the world's loops draw: the "Smooth Motion" setting,
// the display's rate for "Display"; 0 for "Off", one frame a tick.
int smoothFrameRate();

// A loop begins on the clock: its first tick is due now, its frames come
// framesPerSecond a second (0: one a tick, each shown as soon as it is drawn).
void startFrames(int framesPerSecond);

// True while a tick is due before the next frame is shown; it counts as run.
// Always true where no frames are shown.
bool tickDue();

// Where the next frame lies between the last two ticks: 0 the world as the
// last tick began, 1 as it left it (always 1 at one frame a tick).
float frameBetween();

// Copies the back buffer to the screen on the clock: a frame between ticks
// once its moment has come; at one frame a tick at once, then it waits out
// the rest of the tick.
void presentFrame();

// At one frame a tick, the frame's rest of 10 ms; then presenting it, counted.
void finishFrame();

// False in a headless replay, which runs the ticks and draws nothing.
bool showingFrames();

// The frame period for a frame rate: 1000 / rate ms, and 1000 for a rate below 1.
uint32_t frameTimeFor(int frameRate);

