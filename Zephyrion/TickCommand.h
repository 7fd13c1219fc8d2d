// What the player does in one tick: the keys, the mouse and the pad read once
// into a small record, which is all that the game's logic sees of them. The
// door between the ticks reads it live, a demo records it and plays it back.
#pragma once

#include <cstdint>

enum CommandButton {
    CmdFaster = 1 << 0,         // Accelerate, or the pad's right trigger
    CmdSlower = 1 << 1,         // Deccelerate, or the left trigger or shoulder
    CmdStop = 1 << 2,           // Stop, or the pad's Y
    CmdFire = 1 << 3,           // Fire, or the pad's A
    CmdMouseFire = 1 << 4,      // the left mouse button: fires when the mouse steers
    CmdMouseThrottle = 1 << 5,  // the right mouse button: the mouse's throttle
    CmdClearCity = 1 << 6,      // Shift+F1, a developers' key: the city counts as cleared
    CmdToggleFps = 1 << 7,      // Shift+F2: the frame counter on or off
    CmdEscape = 1 << 8,         // Escape or the pad's Back: the game ends
    CmdQuit = 1 << 9,           // the program was asked to end, or a replay ran out of ticks
};

const int commandFullTravel = 32767;  // a key held, on the turn and forward axes

struct TickCommand {
    int16_t turn;     // -32767 full left .. 32767 full right: a key is full travel, the stick as far as pushed
    int16_t forward;  // -32767 pulled back .. 32767 pushed forward: the pitch keys, or Old School's torque keys
    int16_t mouseX;   // the mouse's sideways movement this tick, in degrees of turn
    int16_t mouseY;   // and its movement up and down, in degrees (Modern) or units of torque
    uint16_t buttons; // CommandButton bits
};

// The keys, the mouse and the pad as they stand; puts the pointer back in the middle.
TickCommand readTickCommand();

// An axis of the command as the controls use it: -1 .. 1.
float commandTravel(int16_t axis);

// Mouse counts per degree, by sensitivity; never below 1.
int mouseDivisor();

bool sameCommand(const TickCommand &a, const TickCommand &b);
