// What only the window system can tell or do for the display: how a full
// screen is had, whether the game's window has the keyboard, the monitor's
// refresh rate, and handling at once what it has reported.
// One file per system; Display calls it.
#pragma once

// The graphics drivers of a full screen and of a window: X's own full screen
// and window; on Windows both a DirectDraw window, without a frame over the
// whole screen for a full screen, as today's Windows games have it.
int fullScreenCard();
int windowCard();

// Whether the switch between full screen and window keeps the one mode set,
// at the desktop's size, and only shapes the window over it anew: on Windows,
// where Allegro can hang when it sets a mode under a running game.
bool keepsOneMode();

// Where the mode is kept: makes the game's window borderless over the whole
// screen for a full screen, else framed around a w x h inside, centred, with
// the keys. False when the window cannot be had.
bool shapeWindow(bool fullScreen, int w, int h);

// Whether keys reach the game's window now: a full screen holds them by its
// grab of the keyboard; a window has them when the focus is in it, or follows
// the pointer and the pointer is over it. True where there is no window.
bool windowHasKeyboard();

// The refresh rate of the screen the game shows on, Hz; 0 where it cannot be told.
int displayRefreshRate();

// Handles on this thread what the window system has reported so far (the
// focus, keys, the close button), as the input thread would a little later.
void handleWindowReports();
