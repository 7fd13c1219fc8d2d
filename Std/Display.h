// The player's screen. The game draws at its own size onto the picture; the
// display shows it full screen at the desktop's own size (no mode switch) or
// in a window of a whole multiple of it, scaled to the largest size that keeps
// its shape and centred on black. It also switches between the two on Alt+Enter
// or F11, and watches the window's focus and close button. Start-up and the
// option screens set the mode; every present and every wait for a key goes through it.
#pragma once

struct BITMAP;

const int largestWindowScale = 3;  // a larger window would not fit any desktop

struct DisplayChoice {
    bool fullScreen = true;  // full screen at the desktop's size, else a window
    int windowScale = 0;     // the window's multiple of the picture: 0 the largest that fits, 1..3
};

struct ScreenRect {
    int x, y, w, h;  // pixels of the screen
};

// Sets the screen for a w x h picture, in the colour depth already chosen with
// set_color_depth: the choice's own kind first, then the other, then the game's
// own size full screen and in a window. False, with allegro_error saying why,
// when none can be had.
bool openDisplay(int w, int h, DisplayChoice choice);

// The same picture under another choice; the mode in force stays when the new
// one cannot be set. False when neither the new mode nor the old can be had.
bool changeDisplay(DisplayChoice choice);

void closeDisplay();  // lets go of the picture; the screen stays as it is
bool displayOpen();   // between openDisplay and closeDisplay
DisplayChoice displayChoice();
bool displayFullScreen();  // whether the mode in force is a full screen

// The picture: what the player sees, at the game's own size. Drawing onto it
// shows at the next showPicture.
BITMAP *displayPicture();
void showPicture();

// Shows a frame of the picture's size. It stands for the picture until the
// next present (displayPicture copies it over first), so it must stay as it is.
void presentBitmap(BITMAP *frame);

// The refresh rate of the screen the picture is shown on, Hz; 60 where the
// window system cannot tell.
int displayRefreshHz();

// Carries out the Alt+Enter or F11 pressed since the last call: true when the
// mode changed. Every wait of the game calls it (through serveInput).
bool serveDisplaySwitch();

// True once for every switch served since the last ask.
bool displaySwitched();

// True once for every time the window lost the keyboard focus since the last ask.
bool focusLost();

// True once the window's close button has been pressed.
bool closeButtonPressed();

// Where a picture lies on a screen: the largest size of the same shape, centred.
ScreenRect fitPicture(int pictureW, int pictureH, int screenW, int screenH);

// The largest whole multiple of the picture that fits the desktop with room for
// a window's frame (90 % of its height), at least 1.
int autoWindowScale(int pictureW, int pictureH, int desktopW, int desktopH);

// Scales picture into the rect where of to (the screen or a memory bitmap), nearest pixel:
// a pixel at (x, y) of the rect shows the picture's (x * w / where.w, y * h / where.h).
void scalePicture(BITMAP *picture, BITMAP *to, ScreenRect where);
