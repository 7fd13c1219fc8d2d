// The gamepad in the game. See PadControls.h.
#include "Zephyrion/PadControls.h"

#include <allegro.h>

#include <cmath>

#include "Std/Gamepad.h"
#include "Zephyrion/GameState.h"

static const float triggerPressed = 0.5f;  // of a trigger's travel

static const int upKey = KEY_UP << 8, downKey = KEY_DOWN << 8;
static const int leftKey = KEY_LEFT << 8, rightKey = KEY_RIGHT << 8;
static const int enterKey = KEY_ENTER << 8 | '\r', escapeKey = KEY_ESC << 8 | 27;
static const int backspaceKey = KEY_BACKSPACE << 8 | 8;

// In PadButton's order: the d-pad, A B X Y, Back and Start, the shoulders.
static const PadKeys menuKeys = {
    {upKey, downKey, leftKey, rightKey, enterKey, escapeKey, 0, 0, escapeKey, enterKey, 0, 0}};
static const PadKeys initialsKeys = {
    {upKey, downKey, leftKey, rightKey, enterKey, backspaceKey, 0, 0, escapeKey, enterKey, 0, 0}};

void applyGamepadSetting()
{
    enableGamepads(game.settings.useGamepad);
}

void typeMenuPadKeys()
{
    typePadKeys(menuKeys);
}

void typeInitialsPadKeys()
{
    typePadKeys(initialsKeys);
}

float stickTravel(float axis, int deadZonePercent)
{
    float dead = deadZonePercent / 100.0f, beyond = fabsf(axis) - dead;
    if (beyond <= 0)
        return 0;
    float travel = fminf(beyond / (1 - dead), 1);
    return axis < 0 ? -travel : travel;
}

// The d-pad gives a full push; else the stick, past the dead zone.
static float direction(bool less, bool more, float stick)
{
    if (less != more)
        return less ? -1.0f : 1.0f;
    return stickTravel(stick, game.settings.gamepadDeadZone);
}

// A pad without analogue triggers speeds up on the right shoulder instead,
// and fires with A alone.
PadFlight padFlight()
{
    PadState pad = gamepadState();
    PadFlight flight = {};
    flight.turn = direction(pad.held[PadLeft], pad.held[PadRight], pad.stickX);
    flight.forward = direction(pad.held[PadDown], pad.held[PadUp], -pad.stickY);
    bool rightShoulder = pad.held[PadRightShoulder];
    flight.faster = pad.hasTriggers ? pad.rightTrigger >= triggerPressed : rightShoulder;
    flight.slower = pad.leftTrigger >= triggerPressed || pad.held[PadLeftShoulder];
    flight.stop = pad.held[PadY];
    flight.fire = pad.held[PadA] || (pad.hasTriggers && rightShoulder);
    return flight;
}

bool padPauseHeld()
{
    return gamepadHeld(PadStart);
}

bool padEndHeld()
{
    return gamepadHeld(PadBack);
}
