// The frame of play in the web browser, drawn and shown for ten seconds,
// driven one of the two ways a page's program can give the browser its turn
// back: built with ZEPHYRION_MAIN_LOOP, the browser calls a frame function
// at each of its frames (emscripten_set_main_loop); without it, a blocking
// loop as the game's, whose present waits for the browser's frame (Asyncify).
// Prints the frames shown; tools/web-loops.sh builds and compares both.
#include <allegro.h>
#include <emscripten.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "Scene.h"
#include "Std/Display.h"
#include "Zephyrion/GameState.h"

static const double runMs = 10000;
static double startedMs;
static int frames;

static bool frame()
{
    renderPlayFrame();
    presentBitmap(game.backBuffer);
    frames++;
    if (emscripten_get_now() - startedMs < runMs)
        return true;
    printf("%d frames in %.1f s\n", frames, (emscripten_get_now() - startedMs) / 1000);
    fflush(stdout);
    return false;
}

#ifdef ZEPHYRION_MAIN_LOOP
static void browserFrame()
{
    if (!frame())
        emscripten_cancel_main_loop();
}
#endif

int main()
{
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0 || !setUpPlay(32, "/game") ||
        !setUpShownPresent()) {
        fprintf(stderr, "WebFrame: no scene or no display: %s\n", allegro_error);
        return 1;
    }
    startedMs = emscripten_get_now();
#ifdef ZEPHYRION_MAIN_LOOP
    emscripten_set_main_loop(browserFrame, 0, 1);
#else
    while (frame()) {
    }
#endif
    return 0;
}
