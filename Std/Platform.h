// The screen mode on this platform: full screen of exactly the requested size,
// or a window of that size where full screen cannot be had; and whether the
// window has kept the keyboard focus. Start-up and the display-mode switch of
// the options set the mode; the frame loop asks after the focus.
#pragma once

// Sets a w x h mode in the colour depth already chosen with set_color_depth,
// and watches the focus of its window. False, with allegro_error saying why,
// when neither full screen nor a window works.
bool setScreenMode(int w, int h);

// True once for every time the window lost the focus since the last ask.
bool focusLost();
