// The graphics the game draws with: its screen (through the display), the back
// buffer with its projection and depth buffer, the font and the HUD, icon and
// logo bitmaps. Start-up loads them; the options screen releases and reloads
// them around a change of the game's size, and switches the display.
#pragma once

// Opens the display for the game's classic size (640 x 480 with LowSpeedPC,
// else 800 x 600) and its Display settings, which make the picture's size of
// it; false with allegro_error set.
bool setGameScreenMode();

// The back buffer, its depth buffer and projection follow the picture's size
// after a switch, a resize of the window or a change of the settings. Every
// screen calls it before it draws: true when the size changed. Where there is
// no memory for a picture so large, the log says so and the resolution goes
// back to Classic.
bool followPicture();

// The display under the Display settings now in force; false when no mode at
// all could be had (the program must then end).
bool applyDisplaySettings();

void noteLoadFailure(const char *path);  // "Unable to load <path>" into allegro_error
bool createBackBuffer(int w, int h);  // with projection and depth buffer; false, logged, without
bool loadGraphics();
// The HUD, icon and logo bitmaps, made at the size for the back buffer (1x to
// 4x), in place of those held; a missing one is only a warning.
void loadBitmaps();
void freeGraphics(); // safe to call again: releases only what is still held
