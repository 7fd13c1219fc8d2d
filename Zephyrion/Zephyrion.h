// Start-up and shutdown: the library, input, sound, settings and screen mode,
// the samples and the splash screen, then the intro and the title loop.
// main runs zephyrionMain.
#pragma once

// The whole program, from start-up to the settings written back; returns 0.
int zephyrionMain();

bool initSystem();
bool loadSounds();
void showSplash();
void freeSounds();
