// Whether the program has been asked to end (a signal, the window's close
// button), the wait for a key that such a request cuts short, and what every
// wait serves meanwhile. Start-up watches the signals; the menus and loops ask
// after the rest.
#pragma once

// From now on the system's requests to end ask the program to end, as the
// window's close button does, instead of killing it: SIGTERM, SIGINT and
// SIGHUP on Linux; Ctrl+C, logging off and shutting down on Windows.
void watchQuitSignals();

// Whether the system has asked the program to end (not counting the close button).
bool quitSignalled();

// The program has saved what it keeps and is leaving: on Windows, the end of
// the session waits for this (a few seconds at most) before it lets the
// system end the program.
void quitServed();

// Whether the program has been asked to end; it then leaves as by Escape.
bool quitRequested();

// What readKeyUnlessQuit gives, as a key number beyond Allegro's, once the
// picture has changed its size: the screen waiting is to be drawn anew.
const int pictureChangedKey = 128;

// The next key pressed (key << 8 | character), or Escape's once the program
// has been asked to end, or pictureChangedKey's. The input is served meanwhile.
int readKeyUnlessQuit();

// Takes the input's events (keys, mouse, window, gamepads) and carries out a
// switch between full screen and window asked for. Every wait and every
// frame calls it.
void serveInput();

// Sleeps ms milliseconds (0: gives the processor up for a moment).
void restMs(int ms);

// restMs(ms), serving the input every few milliseconds.
void restServingInput(int ms);

// The program ends with status: main returns what this gives. In the web
// browser, where a main that has waited returns to nobody, it ends the
// program here and tells the page.
int endProgram(int status);
