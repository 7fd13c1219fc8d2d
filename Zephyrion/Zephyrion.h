// Start-up and shutdown: the library, input, sound, settings and screen mode,
// the back buffer, font, bitmaps and samples, and the splash screen.
// main runs zephyrionMain; the options screen reloads the graphics around a mode change.
#pragma once

// The whole program, from start-up to the settings written back; returns 0.
int zephyrionMain();

bool initSystem();
bool setGameScreenMode();  // 640 x 480 with LowSpeedPC, else 800 x 600; false with allegro_error set
void noteLoadFailure(const char *path);  // "Unable to load <path>" into allegro_error
bool createBackBuffer(int w, int h);  // with its projection and depth buffer; false, logged, without
bool loadGraphics();
void loadBitmaps();  // the HUD, icon and logo bitmaps; a missing one is only a warning
bool loadSounds();
void showSplash();
void freeSounds();
void freeGraphics();  // safe to call again: releases only what is still held
