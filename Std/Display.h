// The player's screen: one SDL window, full screen over the desktop at its own
// size or a resizable window, and the game's picture, whose size it makes of
// the screen's as the choice asks (the classic 4:3 picture or the screen's
// shape, its lines or the screen's own), shown scaled to the largest size of
// its shape, centred on black. Where there is a GPU, SDL's renderer
// scales it, in step with the monitor's refresh; where the only GL is a
// software one, the game scales it into the window's own pixels. It switches
// between full screen and window on Alt+Enter or F11, and keeps what the
// window system reported (focus, close button). Start-up and the option
// screens set it up; every present and every wait for a key goes through it.
#pragma once

struct BITMAP;

const int largestWindowScale = 3;  // a larger window would not fit any desktop

// How the picture is brought to the screen's size.
enum Scaling {
    ScaleSharp = 0,         // nearest to the smallest whole multiple that covers, then smooth to the size
    ScalePixelPerfect = 1,  // whole multiples only, black around
    ScaleSmooth = 2,        // linear all the way
    scalingCount
};

// How many lines the picture has: the classic picture's, twice as many, or
// the screen's own, so that nothing is scaled. The values are the settings'.
enum PictureResolution {
    ResolutionScreen = 0,
    ResolutionClassic = 1,
    ResolutionDouble = 2,
    resolutionCount
};

struct DisplayChoice {
    bool fullScreen = true;    // full screen at the desktop's size, else a window
    int windowScale = 0;       // the window's multiple of the picture: 0 the largest that fits, 1..3
    bool vsync = true;         // frames shown in step with the monitor's refresh, where it can be had
    int scaling = ScaleSharp;  // a Scaling
    bool widescreen = true;    // the picture takes the screen's shape, else the classic 4:3
    int resolution = ResolutionClassic;  // a PictureResolution
};

struct ScreenRect {
    int x, y, w, h;  // pixels of the screen
};

// Starts SDL's video: false, with the reason in allegro_error, where there is
// no display at all. Then the colour depth the desktop wants of the picture
// (32, or 16 on a 16-bit desktop), and Allegro's colours laid out as the screen's.
bool startDisplay();
int desktopColourDepth();
void stopDisplay();  // the window goes; SDL's video ends

// Shows the game's picture, for a classic picture of w x h (4:3), in the
// colour depth already chosen with set_color_depth, as the choice asks: its
// own kind first, then the other. The window is made for the classic picture;
// the picture itself has the size the choice makes of the screen it fills.
// False, with allegro_error saying why, when no window can be had.
bool openDisplay(int w, int h, DisplayChoice choice);

// The same under another choice; what is in force stays when the new one
// cannot be had. False when the window has gone.
bool changeDisplay(DisplayChoice choice);

// The picture's size for a screen (or a window's inside) of screenW x screenH:
// the classic picture's lines, twice as many or the screen's; 4:3, or the
// screen's shape when widescreen and the screen is wider than 4:3.
void choosePictureSize(int classicW, int classicH, int screenW, int screenH, bool widescreen,
                       int resolution, int *w, int *h);

// True once after the picture has changed its size (a switch, a resize of the
// window, a new choice): whatever is drawn for it must follow.
bool pictureResized();

void closeDisplay();  // lets go of the picture; the window stays as it is
bool displayOpen();   // between openDisplay and closeDisplay
DisplayChoice displayChoice();
bool displayFullScreen();  // whether the window covers the screen now
bool presentsInStep();     // whether each present waits for the monitor's refresh
const char *presentPath(); // how the picture reaches the screen: the renderer's name, or "window surface"

// The picture: what the player sees, at its own size. Drawing onto it shows
// at the next showPicture.
BITMAP *displayPicture();
void showPicture();
void pictureSize(int *w, int *h);  // its width and height, pixels
BITMAP *shownPicture();  // what is on the screen now: the last frame, or the picture

// Shows a frame of the picture's size; one of another size, drawn before the
// picture changed its size, is passed over. It stands for the picture until
// the next present (displayPicture copies it over first), so it must stay as it is.
void presentBitmap(BITMAP *frame);

// The refresh rate of the monitor the window is on, Hz; 60 where it cannot be told.
int displayRefreshHz();

// Carries out the Alt+Enter or F11 pressed since the last call: true when the
// mode changed. Every wait of the game calls it (through serveInput).
bool serveDisplaySwitch();

// True once for every switch served since the last ask.
bool displaySwitched();

// True once for every time the window lost the keyboard focus since the last
// ask, if it has not had it back since.
bool focusLost();

// True once the window's close button has been pressed.
bool closeButtonPressed();

// What the input reports of the window.
void askDisplaySwitch();   // Alt+Enter or F11
void noteFocusLost();
void noteCloseButton();
void noteWindowChanged();  // resized or uncovered: the picture is shown again

// Where a picture lies on a screen: the largest size of the same shape, centred.
ScreenRect fitPicture(int pictureW, int pictureH, int screenW, int screenH);

// Where it lies under a scaling: Pixel Perfect keeps to whole multiples (the
// picture's own size, fitted, where even 1x does not fit); the others fit.
ScreenRect placePicture(int pictureW, int pictureH, int screenW, int screenH, int scaling);

// The largest whole multiple of the picture that fits the desktop with room for
// a window's frame (90 % of its height), at least 1.
int autoWindowScale(int pictureW, int pictureH, int desktopW, int desktopH);

// Scales picture into the rect where of to (a memory bitmap of the same
// depth): nearest pixel, a pixel at (x, y) of the rect showing the picture's
// (x * w / where.w, y * h / where.h).
void scalePicture(BITMAP *picture, BITMAP *to, ScreenRect where);

// The same under a scaling: a whole multiple or Pixel Perfect as above; else
// Smooth blends the two nearest picture pixels each way, and Sharp does so
// only where the pixels of the picture at its largest whole multiple meet.
void scalePictureAs(BITMAP *picture, BITMAP *to, ScreenRect where, int scaling);
