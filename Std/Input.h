// The keyboard, the mouse and the window's reports, taken from SDL's events.
// Every wait and every frame pumps them (through serveInput); the tick command
// reads the keys held and the mouse, the menus the queue of keys pressed.
// Keys are Allegro's key numbers (KEY_LEFT, ...), which the settings keep.
#pragma once

// Takes every event that has come: keys and their characters, the mouse, the
// window's focus, size and close button (told to the display), Alt+Enter and
// F11 (which ask the display to switch and go no further), and the gamepads
// (whose presses join the queue).
void pumpInput();

bool keyHeld(int key);     // held down now, as of the last pump
bool shiftsHeld();         // Shift, Ctrl or Alt held; the lock keys do not count

// The queue of keys pressed, as Allegro's readkey gave them: key << 8 | the
// character typed (0 for none).
bool keyWaiting();
int nextKey();     // the oldest press, taken from the queue; 0 when none waits
void clearKeys();  // forgets the presses waiting
void pressKey(int key, int character);  // a press that no keyboard made: a pad's, a test's
void holdKey(int key, bool down);       // the same for a key held, until let go
void releaseKeys();                     // every key let go, the queue emptied

// The mouse's motion since the last ask, in its counts, and its buttons held
// (1 left, 2 right, 4 middle). Captured, the pointer is hidden and held in
// the window, and only motion is reported.
void mouseMotion(int &dx, int &dy);
int mouseButtons();
void captureMouse(bool on);

// Allegro's key number for a key at an SDL scancode (its place on the
// keyboard, whatever the layout); 0 for a key the game does not know.
int keyAtScancode(int scancode);
// A name for the key, in the keyboard's own layout; null for none.
const char *keyLabel(int key);
