// The Game Options and Controls screens, reached from the title menu: each row
// cycles a setting or opens the next screen, the "System" row switches the
// display mode. The title loop opens them; tests hand in their own keys.
#pragma once

// The scancode of the next key, read after the screen is drawn.
typedef int (*KeySource)();

// Empties the keyboard buffer and waits for a key: the screens' own source.
int keyboardScancode();

// False when a change of display mode failed: the program must then end.
bool gameOptionsScreen();
bool gameOptions(KeySource nextKey);
void controlsScreen(KeySource nextKey);

// The settings' cycles and names, as the rows step and show them.
int nextLives(int lives);            // 3, 4, 5, then 3; 1 and 2 count up
int nextDifficulty(int difficulty);  // Easy, Normal, Hard, then Easy; any other value to Easy
int nextSensitivity(int sensitivity);
const char *difficultyName(int difficulty);
const char *sensitivityName(int sensitivity);
