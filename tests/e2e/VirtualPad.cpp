// A gamepad for the end-to-end tests. Preloaded into the real game
// (LD_PRELOAD), it plugs SDL's virtual game controller in and works it as the
// test writes commands into the FIFO that ZEPHYRION_TEST_PAD names, one a line:
//   plug | unplug | button <SDL_GameControllerButton> <0|1> | axis <SDL_GameControllerAxis> <value>
// The game sees it as any pad: it arrives and leaves through SDL's events.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "../TestPad.h"

namespace {

SDL_Joystick *pad = nullptr;
int padIndex = -1;

void plug()
{
    padIndex = attachTestPad();
    pad = padIndex >= 0 ? SDL_JoystickOpen(padIndex) : nullptr;
    if (!pad)
        fprintf(stderr, "VirtualPad: cannot plug in: %s\n", SDL_GetError());
}

void unplug()
{
    SDL_JoystickClose(pad);
    pad = nullptr;
    SDL_JoystickDetachVirtual(padIndex);
}

void serve(std::string path)
{
    FILE *commands = fopen(path.c_str(), "r+");  // read and write: the FIFO never ends
    if (!commands) {
        fprintf(stderr, "VirtualPad: cannot open %s\n", path.c_str());
        return;
    }
    char line[128], word[16];
    while (fgets(line, sizeof line, commands)) {
        int which = 0, value = 0;
        if (sscanf(line, "%15s %d %d", word, &which, &value) < 1)
            continue;
        if (!strcmp(word, "plug") && !pad)
            plug();
        else if (!strcmp(word, "unplug") && pad)
            unplug();
        else if (!strcmp(word, "button") && pad)
            SDL_JoystickSetVirtualButton(pad, which, (Uint8)value);
        else if (!strcmp(word, "axis") && pad)
            SDL_JoystickSetVirtualAxis(pad, which, (Sint16)value);
    }
}

__attribute__((constructor)) void startServing()
{
    const char *path = getenv("ZEPHYRION_TEST_PAD");
    if (path)
        std::thread(serve, std::string(path)).detach();
}

}  // namespace
