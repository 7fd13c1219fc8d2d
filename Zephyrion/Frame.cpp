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
#include "Zephyrion/Demo.h"
#include "Zephyrion/Shots.h"
#include "Zephyrion/Timers.h"
#include "text/Ttf.h"

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
    game.framesPresented++;
    serveInput();
    uint32_t wait = pacingWait(game.msTicks, game.lastFrameTicks, game.frameTime);
    if (wait && game.replay != TimedReplay)
        rest(wait);
    game.lastFrameTicks = game.msTicks;
}

static void trace(const char *label)
{
    if (traceEnabled)
        logTrace(label);
}

// Over a game the attract mode shows: "Demo", and whose game it is.
static void drawReplayCaption()
{
    const char *lines[] = {"Demo", game.replayCaption};
    const int heights[] = {36, 18}, belowCentre[] = {70, 115};  // under the sights
    for (int n = 0; n < 2; n++) {
        ttf_set_height(game.gameFont, heights[n]);
        int x = (game.screenWidth - ttf_text_width(game.gameFont, lines[n])) / 2;
        ttf_draw_text(game.backBuffer, game.gameFont, lines[n], x,
                      game.screenHeight / 2 + belowCentre[n], makecol(255, 255, 255));
    }
}

bool showingFrames()
{
    return game.replay != HeadlessReplay;
}

void finishFrame()
{
    if (game.replay == AttractReplay)
        drawReplayCaption();
    if (game.replay != TimedReplay)
        rest(restEveryFrameMs);
    trace("Processing complete (incl. rest)");
    presentFrame();
    trace("Screen blitted");
    game.frameCount++;
}

// The beam-on-building loop starts once per continuous hit, not every tick.
static void beamTick()
{
    if (!game.beamActive) {
        stopBeamLoop();
        return;
    }
    bool onBuilding = fireBeam();
    trace("Firing");
    if (onBuilding && game.beamVoice == -1 && game.samples.beamOnBuilding)
        game.beamVoice = play_sample(game.samples.beamOnBuilding, 255, 128, 1000, 1);
    else if (!onBuilding)
        stopBeamLoop();
}

// A tick begins where the controls are read, right after the last frame was
// shown, so that what the player does moves the very next picture.
int flightTick(const TickCommand &cmd)
{
    if (game.craftState == Flying) {
        applyControls(cmd);
        trace("Processed keys");
    } else {
        crashStep();
    }
    if (cmd.buttons & (CmdEscape | CmdQuit))
        return EscapePressed;
    if (game.craftState == Destroyed)
        return CraftCrashed;
    if (game.enemiesRemaining <= 0)
        return CityCleared;
    runGameTimers();
    moveCraft();
    clampCraft();
    moveEnemies();
    trace("Calculated positions");
    explodeEnemies();
    spinDepotMarkers();
    hudTick();
    beamTick();
    return -1;
}

void drawFlightFrame()
{
    clear_bitmap(game.backBuffer);
    clearZBuffer();
    trace("Cleared buffer");
    drawCity();
    trace("Drawn City");
    drawEnemies();
    trace("Drawn Enemies");
    countFrame();
    drawHud(0);
    trace("Drawn HUD");
    if (game.beamActive)
        drawBeams();
}

// The explosion sounds to its end over the last frame, while the city's time
// goes on, a tick in each tick's length of real time.
static void waitOutTheCrash()
{
    InLoop here("crash");
    for (int n = crashWaitTicks(); n > 0; n--) {
        if (nextTickCommand(false).buttons & CmdQuit)
            return;
        runGameTimers();
        if (game.replay != TimedReplay && showingFrames())
            restServingInput((int)game.tickMs);
    }
}

int runCityFrames()
{
    InLoop here("flight");
    for (;;) {
        int result = flightTick(nextTickCommand(true));
        if (result == CraftCrashed)
            waitOutTheCrash();
        if (result >= 0)
            return result;
        if (showingFrames()) {
            drawFlightFrame();
            finishFrame();
        }
    }
}
