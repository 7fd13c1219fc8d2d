// The gamepads, through SDL2's game controller API, whose mapping database
// gives every common pad the same layout. Start-up opens it; flight reads what
// is held, and each press types a key of the screen's choice into the input's
// queue, so the menus take the pad as they take the keyboard. Pads plugged in
// or pulled out are picked up or let go as the input hands their events on.
#pragma once

enum PadButton {
    PadUp, PadDown, PadLeft, PadRight,  // the d-pad; the left stick pushed well over types them too
    PadA, PadB, PadX, PadY,
    PadBack, PadStart,
    PadLeftShoulder, PadRightShoulder,
    padButtonCount
};

// What the pads hold now, all of them together: the stick pushed furthest,
// any button held on any pad.
struct PadState {
    float stickX, stickY;             // the left stick, -1..1: right and down are positive
    float leftTrigger, rightTrigger;  // 0 released .. 1 fully in
    bool hasTriggers;                 // a pad with analogue triggers is in
    bool held[padButtonCount];
};

union SDL_Event;

// The key each button types: a press as the input queues it (key << 8 | character), 0 for none.
struct PadKeys {
    int key[padButtonCount];
};

bool openGamepads();             // false, with SDL's reason in gamepadError, when SDL cannot start
void closeGamepads();
const char *gamepadError();
void enableGamepads(bool on);    // off: nothing is held, nothing typed, nothing pulled out
void typePadKeys(const PadKeys &keys);  // what presses type from now on
// Serves one of SDL's events if it is a pad's: plugged in or out, or a
// press, whose key it returns (0 for none).
int padEventKey(const SDL_Event &event);
PadState gamepadState();         // as of the last poll
bool gamepadHeld(PadButton button);  // on any pad, as of the last poll
int gamepadsConnected();
bool gamepadPulledOut();         // a pad was pulled out since the last call
