// SDL's virtual game controller as the tests plug it in: every axis and
// button of SDL's layout, numbered as SDL numbers them. Shared by the unit
// tests and the pad preloaded into the game end to end.
#pragma once

#include <SDL.h>

// Plugs a virtual pad in; its device index, or -1 with SDL_GetError saying why.
inline int attachTestPad()
{
    SDL_VirtualJoystickDesc desc;
    SDL_zero(desc);
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    desc.name = "Zephyrion test pad";
    return SDL_JoystickAttachVirtualEx(&desc);
}
