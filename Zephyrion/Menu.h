// What the menu screens share: the backdrop of the city seen from the title
// camera under the logo, and the source of the keys they act on. The title,
// the option screens and Define Keys draw it; tests hand in their own keys.
#pragma once

// The scancode of the next key, read after the screen is drawn.
typedef int (*KeySource)();

// Empties the keyboard buffer and waits for a key: the screens' own source.
int keyboardScancode();

void resetTitleCamera();
void drawTitleCity();  // the city from the title camera, in a cleared back buffer
void drawTitleLogo();  // into the back buffer, centred at the top
