// The screen mode on this platform: full screen of exactly the requested size
// or a window of that size, each where the other cannot be had; whether the
// window has kept the keyboard focus; and whether the program has been asked
// to end (a signal, the window's close button). Start-up and the display-mode
// switch of the options set the mode; the loops ask after the rest.
#pragma once

// Sets a w x h mode in the colour depth already chosen with set_color_depth,
// full screen or in a window as asked, else the other way, and watches the
// focus of its window. False, with allegro_error saying why, when neither works.
bool setScreenMode(int w, int h, bool fullScreen = true);

// True once for every time the window lost the focus since the last ask.
bool focusLost();

// From now on SIGTERM, SIGINT and SIGHUP ask the program to end, as the
// window's close button does, instead of killing it.
void watchQuitSignals();

// Whether the program has been asked to end; it then leaves as by Escape.
bool quitRequested();

// readkey, or Escape's key once the program has been asked to end.
int readKeyUnlessQuit();
