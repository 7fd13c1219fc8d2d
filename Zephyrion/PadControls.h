// The gamepad in the game: the keys its presses type on the menus and on the
// initials, and what it holds in flight, past the dead zone. Start-up and the
// Controls screen apply its setting; flight, the frame loop, the pause and the
// initials read it.
#pragma once

// What the pad asks of the craft this frame; nothing at all with the gamepad off.
struct PadFlight {
    float turn;     // -1 full left .. 1 full right, of the Sensitivity turn rate
    float forward;  // -1 pulled back .. 1 pushed forward: as the pitch (or torque) keys
    bool faster, slower, stop, fire;
};

void applyGamepadSetting();  // the "Gamepad" row's On or Off
void typeMenuPadKeys();      // presses as Up, Down, Left, Right, Enter and Escape
void typeInitialsPadKeys();  // the same, with B as Backspace: it steps back a character
float stickTravel(float axis, int deadZonePercent);  // 0 inside the dead zone, then on to 1
PadFlight padFlight();
bool padPauseHeld();         // Start
bool padEndHeld();           // Back: as Escape
