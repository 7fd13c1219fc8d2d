// Start-up and shutdown: the library, input, sound, settings and screen mode,
// the samples and the splash screen, then the intro and the title loop.
// main runs zephyrionMain.
#pragma once

// The whole program, from start-up to the settings written back; returns 0.
// With "--play FILE" or "--timedemo FILE" it plays a demo back instead, saves
// nothing, and returns 0, 2 for a demo it cannot play or 3 for one out of step.
int zephyrionMain(int argc, char **argv);

bool initSystem();
bool loadSounds();
void showSplash();
void freeSounds();
