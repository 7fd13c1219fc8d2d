// Screenshots: F12 saves the picture the player sees, at its own size, as a
// PNG in "screenshots/" of the player's folder, named for the moment and never
// over another. The input asks for one; every wait serves it (serveInput); the
// HUD asks whether one was saved. Also the opaque PNG writer the game's
// pictures of replays share.
#pragma once

struct BITMAP;

void askScreenshot();    // F12 was pressed
void serveScreenshot();  // saves the one asked for; a failure goes to the error log

// True once for every screenshot saved since the last ask.
bool screenshotSaved();

// Writes the picture as an opaque PNG (a 32-bit picture's alpha byte would
// make it transparent); false when it could not.
bool writeOpaquePng(BITMAP *picture, const char *path);
