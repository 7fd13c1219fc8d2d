// End-to-end harness: an Xvfb server of the test's own, a scratch working
// directory laid out like the runtime folder, the real game started in it, and
// the keys, window searches and screenshots of xdotool and xwd.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include <sys/types.h>

#include "../common/Shell.h"


// The test display's size, pixels: the game's own, so that its full screen at
// the desktop's size shows the 800 x 600 picture pixel for pixel and a
// screenshot's coordinates are the picture's.
const int rootWidth = 800, rootHeight = 600;

// The display of this test process's Xvfb (":N"), started before the first test.
const std::string &testDisplay();

// From now on this process's display is an Xvfb of w x h (the test's own desktop).
void useDesktopOfSize(int w, int h);

// A temporary copy of the runtime folder, removed when it goes out of scope.
class Scratch {
  public:
    Scratch();
    ~Scratch();
    std::string file(const std::string &name) const { return path + "/" + name; }
    std::string read(const std::string &name) const;
    void write(const std::string &name, const std::string &text) const;
    bool exists(const std::string &name) const;
    std::string path;
};

struct GameRun {
    pid_t pid = -1;
    int exitStatus = -1;  // as from waitpid, once it has ended
};

enum StartMode {
    WithDisplay,     // the test's X display
    NoDisplay,       // no X display at all
    ReadOnlyFolder,  // its folder made read-only, and the game not its owner
    NotTheOwner,     // its folder open to all, and the game not the owner of what is in it
    WithSound,       // the display, and a sound device that records into "heard.raw"
    WithGamepad,     // the display, and SDL's virtual pad that a TestPad works
};

// Starts the game in dir.
GameRun startGame(const Scratch &dir, StartMode mode = WithDisplay);

// Starts any program in workDir with extra environment settings ("NAME=value"),
// its output appended to workDir's "program-output.txt".
GameRun startProgram(const std::string &workDir, const std::string &program,
                     const std::vector<std::string> &environment);

// The virtual gamepad of a game started WithGamepad, worked through its FIFO
// "pad.fifo". Buttons and axes are SDL's game controller numbers; an axis
// runs -32768..32767, a trigger from -32768 released.
class TestPad {
  public:
    explicit TestPad(const Scratch &dir);
    ~TestPad();
    void plug();
    void unplug();
    void hold(int button);
    void release(int button);
    void press(int button);  // held 150 ms, then released, then 250 ms to see it
    void axis(int which, int value);

  private:
    void send(const std::string &command);
    int fifo = -1;
};

// Waits up to timeoutMs for the game to end by itself; false if it is still running.
bool waitForExit(GameRun &run, int timeoutMs);

// Ends a game that is still running.
void killGame(GameRun &run);

// The game's window id, or "" when none appears within timeoutMs.
std::string waitForWindow(int timeoutMs);

// The size of the game's window as X maps it, "WxH"; "" when it has none mapped.
std::string windowSize();

// The size of the display's root, "WxH", as X tells it.
std::string rootSize();

// Presses and releases a key (an xdotool key name) in the game's window.
void pressKey(const std::string &window, const std::string &key);

// Presses or releases a key with no window in particular (full screen grabs them all).
void keyDown(const std::string &key);
void keyUp(const std::string &key);

// Holds a key down for ms milliseconds, for the game's key table to see it.
void holdKey(const std::string &window, const std::string &key, int ms);

// What the game has mixed so far into dir's "heard.raw" (WithSound), bytes:
// a mark to hear from.
long soundMark(const Scratch &dir);

// What sounds in the stretch of "heard.raw" after mark (about 0.75 s of the
// game's output): its peak level (0 is silence, 32768 the loudest) and, for
// each of the game's samples ("002" for "sounds/002.wav"), the share of the
// stretch's power that it explains, 0..1. frequencies names the samples played
// at another pitch than their own, as play_sample takes it: "004=550".
struct Heard {
    int level = -1;
    double share(const std::string &sample) const;
    std::vector<std::pair<std::string, double>> shares;  // largest first
};
std::ostream &operator<<(std::ostream &out, const Heard &heard);  // the level and the loudest
Heard hear(const Scratch &dir, long mark, const std::string &frequencies = "");

// How many times a sample started between two marks.
int timesHeard(const Scratch &dir, const std::string &sample, long from, long to);

// The whole screen of the test's display.
struct Image {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
    long at(int x, int y) const;  // 0xRRGGBB, or -1 outside the image
    int count(long colour, int x0, int y0, int x1, int y1) const;  // pixels of that colour
};

// Takes a screenshot; also saves it as an RGB PNG when savePng is given.
Image grabScreen(const std::string &savePng = "");

// The game's w x h picture as it drew it, from a shot of a full screen that
// shows it scaled (nearest pixel) to the largest size of its shape, centred.
Image gamePicture(const Image &shot, int w, int h);

// The w x h inside the game's window, from its top left: what the window shows.
Image insideOfWindow(const Image &shot, int w, int h);

// A PNG file as an image (through ImageMagick).
Image loadImage(const std::string &path);

// Pixels of the score's text, top left of the flying screen, that are white in
// one shot and not in the other: above 0 when the score changed.
int scoreDifference(const Image &a, const Image &b);

// Pixels of picture that differ from the shot where picture's top left lies at
// (x0, y0), leaving out picture rows skipTop up to skipBottom; with a
// tolerance, only those with a channel further off than it.
int differingPixels(const Image &shot, int x0, int y0, const Image &picture, int skipTop = 0,
                    int skipBottom = 0, int tolerance = 0);

// The share of sprite's non-magenta pixels that the shot shows unchanged with
// the sprite's top left at (left, top): 1 where it is drawn whole and uncovered.
double spriteMatch(const Image &shot, int left, int top, const Image &sprite);

// The title: the logo at the top, the menu with "Start Game" selected, as
// pixels of their colours counted on the game's w x h picture. A full screen
// shows the picture scaled to the display, a window at its top left as it is.
struct TitleLook {
    int startGame = 0, otherItems = 0, whiteBelow = 0, logo = 0;
};
TitleLook lookAtTitle(const Image &screen, int w, int h, bool windowed = false);
bool titleShown(const Image &shot, int w, int h, bool windowed = false);

// Screenshots until the title shows with its logo in place, for up to
// timeoutMs; the last shot either way, saved as dir's "title.png".
Image waitForTitle(const Scratch &dir, int w, int h, int timeoutMs = 40000, bool windowed = false);
