// The Game Options screen, reached from the title menu, and below it the
// Controls and the Display and Sound screens: each row cycles a setting or
// opens the next screen; "System" changes the game's size, "Display" switches
// between full screen and window. The title loop opens them; tests hand in their own keys.
#pragma once

#include "Zephyrion/Menu.h"

// False when a change of display mode failed: the program must then end.
bool gameOptionsScreen();
bool gameOptions(KeySource nextKey);
void controlsScreen(KeySource nextKey);
bool displayAndSoundScreen(KeySource nextKey);  // false as gameOptions

// The settings' cycles and names, as the rows step and show them.
int nextLives(int lives);            // 3, 4, 5, then 3; 1 and 2 count up
int nextDifficulty(int difficulty);  // Easy, Normal, Hard, then Easy; any other value to Easy
int nextSensitivity(int sensitivity);
int nextWindowScale(int scale);      // Auto, 1x, 2x, 3x, then Auto
int nextVolume(int percent);         // up to the next tenth, 100 to 0
int nextSmoothMotion(int rate);      // Off, 60, 120, 144 fps, Display, then Off
const char *difficultyName(int difficulty);
const char *sensitivityName(int sensitivity);
const char *smoothMotionName(int rate);  // "Off", "60 fps", ..., "Display"
const char *scalingName(int scaling);    // "Sharp", "Pixel Perfect", "Smooth"
