// The frame pipeline. See Frame.h.
#include "Zephyrion/Frame.h"

#include <allegro.h>

#include "Std/Display.h"
#include "Std/Errors.h"
#include "Std/Platform.h"
#include "Zephyrion/City.h"
#include "Zephyrion/Enemies.h"
#include "Zephyrion/Flight.h"
#include "Zephyrion/GameState.h"
#include "Zephyrion/Hud.h"
#include "Zephyrion/PadControls.h"
#include "Zephyrion/Pause.h"
#include "Zephyrion/Shots.h"
#include "Zephyrion/Timers.h"

static const int restEveryFrameMs = 10;  // every frame yields this long, whatever the pacing
static const uint32_t fpsWindowMs = 1000;

uint32_t frameTimeFor(int frameRate)
{
    return frameRate >= 1 ? 1000u / (uint32_t)frameRate : 1000u;
}

// Unsigned differences, so a wrap of the clock changes nothing.
uint32_t pacingWait(uint32_t now, uint32_t lastFrame, uint32_t frameTime)
{
    uint32_t elapsed = now - lastFrame;
    return elapsed < frameTime ? frameTime - elapsed : 0;
}

void countFrame()
{
    if (!game.fpsStarted) {
        game.fpsWindowStart = game.msTicks;
        game.fpsStarted = true;
    }
    uint32_t now = game.msTicks;
    if (now - game.fpsWindowStart >= fpsWindowMs) {
        game.fpsValue = game.frameCount;
        game.frameCount = 0;
        game.fpsWindowStart = now;
    }
}

void presentFrame()
{
    if (!game.pacingStarted) {
        game.lastFrameTicks = game.msTicks;
        game.frameTime = frameTimeFor(game.settings.frameRate);
        game.pacingStarted = true;
    }
    presentBitmap(game.backBuffer);
    serveInput();
    uint32_t wait = pacingWait(game.msTicks, game.lastFrameTicks, game.frameTime);
    if (wait)
        rest(wait);
    game.lastFrameTicks = game.msTicks;
}

static void trace(const char *label)
{
    if (traceEnabled)
        logTrace(label);
}

// The beam-on-building loop starts once per continuous hit, not every frame.
static void beamStep()
{
    if (!game.beamActive) {
        stopBeamLoop();
        return;
    }
    drawBeams();
    bool onBuilding = fireBeam();
    trace("Firing");
    if (onBuilding && game.beamVoice == -1 && game.samples.beamOnBuilding)
        game.beamVoice = play_sample(game.samples.beamOnBuilding, 255, 128, 1000, 1);
    else if (!onBuilding)
        stopBeamLoop();
}

int runCityFrames()
{
    InLoop here("flight");
    bool quit = false;
    while (!quit && game.craftState != Destroyed && game.enemiesRemaining > 0) {
        runGameTimers();
        clear_bitmap(game.backBuffer);
        clearZBuffer();
        trace("Cleared buffer");
        moveCraft();
        clampCraft();
        moveEnemies();
        trace("Calculated positions");
        drawCity();
        trace("Drawn City");
        drawEnemies();
        trace("Drawn Enemies");
        countFrame();
        drawHud(0);
        trace("Drawn HUD");
        beamStep();
        rest(restEveryFrameMs);
        trace("Processing complete (incl. rest)");
        presentFrame();
        trace("Screen blitted");
        game.frameCount++;
        if (game.craftState == Flying) {
            readControls();
            trace("Processed keys");
        } else {
            crashStep();
        }
        if (key[KEY_ESC] || padEndHeld() || quitRequested())
            quit = true;
        else if (pauseWanted())
            quit = !pauseGame();
    }
    if (quit)
        return EscapePressed;
    return game.craftState == Destroyed ? CraftCrashed : CityCleared;
}
