// What only the window system can tell or do for the display: whether the
// game's window has the keyboard, the monitor's refresh rate, and handling at
// once what it has reported.
// One file per system; Display calls it.
#pragma once

// Whether keys reach the game's window now: a full screen holds them by its
// grab of the keyboard; a window has them when the focus is in it, or follows
// the pointer and the pointer is over it. True where there is no window.
bool windowHasKeyboard();

// The refresh rate of the screen the game shows on, Hz; 0 where it cannot be told.
int displayRefreshRate();

// Handles on this thread what the window system has reported so far (the
// focus, keys, the close button), as the input thread would a little later.
void handleWindowReports();
