// The tick command read from the player's controls. See TickCommand.h.
#include "Zephyrion/TickCommand.h"

#include <allegro.h>

#include <cmath>

#include "Std/Input.h"
#include "Std/Platform.h"
#include "Zephyrion/GameState.h"
#include "Zephyrion/PadControls.h"

static bool down(int binding)
{
    return keyHeld(game.keyBindings[binding]);
}

// F1 or F2 held with Shift, Ctrl or Alt: the developers' keys that clear the
// city and show the frame rate. The lock keys do not count: Num Lock is on by
// default on many desktops, and a bare F1 must not clear the city.
static bool withShifts(int key)
{
    return keyHeld(key) && shiftsHeld();
}

int mouseDivisor()
{
    int ratio = game.settings.mouseRatio >= 1 ? game.settings.mouseRatio : 1;
    if (game.settings.sensitivity == 1)
        return 3 * ratio;
    if (game.settings.sensitivity == 3)
        return 2 * ratio;
    return ratio;
}

// A key held is a full push either way, the first of the two when both are;
// else the pad's push.
static int16_t axis(int less, int more, float pad)
{
    if (down(less))
        return -commandFullTravel;
    if (down(more))
        return commandFullTravel;
    return (int16_t)lroundf(pad * commandFullTravel);
}

static int16_t mouseDegrees(int counts)
{
    int degrees = counts / mouseDivisor();
    return (int16_t)(degrees < INT16_MIN ? INT16_MIN : degrees > INT16_MAX ? INT16_MAX : degrees);
}

float commandTravel(int16_t value)
{
    return (float)value / commandFullTravel;
}

TickCommand readTickCommand()
{
    TickCommand cmd = {};
    captureMouse(game.settings.useMouse);
    if (game.settings.useMouse) {
        int mx, my;
        mouseMotion(mx, my);
        cmd.mouseX = mouseDegrees(mx);
        cmd.mouseY = mouseDegrees(my);
    }
    PadFlight pad = padFlight();
    cmd.turn = axis(BindLeft, BindRight, pad.turn);
    // Modern: PitchForward noses down. Old School: TorqueIncrease (up) climbs.
    cmd.forward = game.settings.oldSchool ? axis(BindTorqueIncrease, BindTorqueDecrease, pad.forward)
                                          : (int16_t)-axis(BindPitchForward, BindPitchBack, -pad.forward);
    uint16_t b = 0;
    if (down(BindAccelerate) || pad.faster)
        b |= CmdFaster;
    else if (down(BindDeccelerate) || pad.slower)
        b |= CmdSlower;
    if (down(BindStop) || pad.stop)
        b |= CmdStop;
    if (down(BindFire) || pad.fire)
        b |= CmdFire;
    if (game.settings.useMouse && (mouseButtons() & 1))
        b |= CmdMouseFire;
    if (game.settings.useMouse && (mouseButtons() & 2))
        b |= CmdMouseThrottle;
    if (withShifts(KEY_F1))
        b |= CmdClearCity;
    if (withShifts(KEY_F2))
        b |= CmdToggleFps;
    if (keyHeld(KEY_ESC) || padEndHeld())
        b |= CmdEscape;
    if (quitRequested())
        b |= CmdQuit;
    cmd.buttons = b;
    return cmd;
}

bool sameCommand(const TickCommand &a, const TickCommand &b)
{
    return a.turn == b.turn && a.forward == b.forward && a.mouseX == b.mouseX &&
           a.mouseY == b.mouseY && a.buttons == b.buttons;
}
