// The gamepads. See Gamepad.h.
#include "Std/Gamepad.h"

// The program has its own entry point: SDL must not bring one.
#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <cmath>

static const int maxPads = 4;               // more hands than one player has
static const float axisFull = 32767.0f;     // SDL's axis at full travel
static const float stickPushed = 0.6f;      // the stick this far over is a d-pad press...
static const float stickLetGo = 0.3f;       // ...until it comes back inside this

static const SDL_GameControllerButton sdlButtons[padButtonCount] = {
    SDL_CONTROLLER_BUTTON_DPAD_UP, SDL_CONTROLLER_BUTTON_DPAD_DOWN,
    SDL_CONTROLLER_BUTTON_DPAD_LEFT, SDL_CONTROLLER_BUTTON_DPAD_RIGHT,
    SDL_CONTROLLER_BUTTON_A, SDL_CONTROLLER_BUTTON_B,
    SDL_CONTROLLER_BUTTON_X, SDL_CONTROLLER_BUTTON_Y,
    SDL_CONTROLLER_BUTTON_BACK, SDL_CONTROLLER_BUTTON_START,
    SDL_CONTROLLER_BUTTON_LEFTSHOULDER, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER,
};

struct OpenPad {
    SDL_GameController *controller;
    SDL_JoystickID id;  // SDL's instance id, which its removal names
};

static OpenPad pads[maxPads];
static int padCount = 0;
static bool started = false, enabled = true, pulledOut = false;
static PadKeys typed = {};
static int stickX = 0, stickY = 0;  // the stick as a d-pad: -1, 0 or 1 on each axis

bool openGamepads()
{
    SDL_SetMainReady();
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");  // the game's own stay in charge
    // A pad is the player's whatever window has the keyboard: the pause it
    // pulls out of, and the Start that ends it, must come through.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    started = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
    return started;
}

void closeGamepads()
{
    for (int i = 0; i < padCount; i++)
        SDL_GameControllerClose(pads[i].controller);
    padCount = 0;
    if (started)
        SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    started = false;
}

const char *gamepadError()
{
    return SDL_GetError();
}

void enableGamepads(bool on)
{
    enabled = on;
}

void typePadKeys(const PadKeys &keys)
{
    typed = keys;
}

static int type(PadButton button)
{
    return enabled ? typed.key[button] : 0;
}

static void addPad(int deviceIndex)
{
    if (padCount == maxPads || !SDL_IsGameController(deviceIndex))
        return;
    SDL_GameController *controller = SDL_GameControllerOpen(deviceIndex);
    if (!controller)
        return;
    SDL_JoystickID id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller));
    for (int i = 0; i < padCount; i++)
        if (pads[i].id == id) {  // already in: SDL only counted another opening
            SDL_GameControllerClose(controller);
            return;
        }
    pads[padCount++] = {controller, id};
}

static void removePad(SDL_JoystickID id)
{
    for (int i = 0; i < padCount; i++)
        if (pads[i].id == id) {
            SDL_GameControllerClose(pads[i].controller);
            pads[i] = pads[--padCount];
            pulledOut = pulledOut || enabled;
            return;
        }
}

// Where the stick stands as a d-pad, with some give so that it does not chatter.
static int stickDirection(float travel, int now)
{
    if (travel >= stickPushed)
        return 1;
    if (travel <= -stickPushed)
        return -1;
    return fabsf(travel) < stickLetGo ? 0 : now;
}

static int stickMoved(const SDL_ControllerAxisEvent &event)
{
    float travel = event.value / axisFull;
    int pressed = 0;
    if (event.axis == SDL_CONTROLLER_AXIS_LEFTX) {
        int now = stickDirection(travel, stickX);
        if (now != stickX && now != 0)
            pressed = type(now < 0 ? PadLeft : PadRight);
        stickX = now;
    } else if (event.axis == SDL_CONTROLLER_AXIS_LEFTY) {
        int now = stickDirection(travel, stickY);
        if (now != stickY && now != 0)
            pressed = type(now < 0 ? PadUp : PadDown);
        stickY = now;
    }
    return pressed;
}

static int buttonPressed(int sdlButton)
{
    for (int b = 0; b < padButtonCount; b++)
        if (sdlButtons[b] == sdlButton)
            return type((PadButton)b);
    return 0;
}

int padEventKey(const SDL_Event &event)
{
    if (!started)
        return 0;
    if (event.type == SDL_CONTROLLERDEVICEADDED)
        addPad(event.cdevice.which);
    else if (event.type == SDL_CONTROLLERDEVICEREMOVED)
        removePad(event.cdevice.which);
    else if (event.type == SDL_CONTROLLERBUTTONDOWN)
        return buttonPressed(event.cbutton.button);
    else if (event.type == SDL_CONTROLLERAXISMOTION)
        return stickMoved(event.caxis);
    return 0;
}

static float axis(SDL_GameController *controller, SDL_GameControllerAxis which)
{
    float travel = SDL_GameControllerGetAxis(controller, which) / axisFull;
    return travel < -1 ? -1 : travel;
}

static float further(float a, float b)
{
    return fabsf(b) > fabsf(a) ? b : a;
}

PadState gamepadState()
{
    PadState state = {};
    if (!enabled)
        return state;
    for (int i = 0; i < padCount; i++) {
        SDL_GameController *c = pads[i].controller;
        state.stickX = further(state.stickX, axis(c, SDL_CONTROLLER_AXIS_LEFTX));
        state.stickY = further(state.stickY, axis(c, SDL_CONTROLLER_AXIS_LEFTY));
        state.leftTrigger = fmaxf(state.leftTrigger, axis(c, SDL_CONTROLLER_AXIS_TRIGGERLEFT));
        state.rightTrigger = fmaxf(state.rightTrigger, axis(c, SDL_CONTROLLER_AXIS_TRIGGERRIGHT));
        state.hasTriggers = state.hasTriggers ||
                            SDL_GameControllerHasAxis(c, SDL_CONTROLLER_AXIS_TRIGGERRIGHT);
        for (int b = 0; b < padButtonCount; b++)
            state.held[b] = state.held[b] || SDL_GameControllerGetButton(c, sdlButtons[b]);
    }
    return state;
}

bool gamepadHeld(PadButton button)
{
    for (int i = 0; enabled && i < padCount; i++)
        if (SDL_GameControllerGetButton(pads[i].controller, sdlButtons[button]))
            return true;
    return false;
}

int gamepadsConnected()
{
    return padCount;
}

bool gamepadPulledOut()
{
    bool was = pulledOut;
    pulledOut = false;
    return was;
}
