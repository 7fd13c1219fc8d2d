// The screen mode on this platform: full screen of exactly the requested size,
// or a window of that size where full screen cannot be had. Start-up and the
// display-mode switch of the options call it.
#pragma once

// Sets a w x h mode in the colour depth already chosen with set_color_depth.
// False, with allegro_error saying why, when neither full screen nor a window works.
bool setScreenMode(int w, int h);
