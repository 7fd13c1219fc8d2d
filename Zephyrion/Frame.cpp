// The frame pipeline. See Frame.h.
#include "Zephyrion/Frame.h"

#include <allegro.h>

#include "Std/Clock.h"
#include "Std/Display.h"
#include "Std/Errors.h"
#include "Std/Platform.h"
#include "Std/Sound.h"
#include "Zephyrion/City.h"
#include "Zephyrion/Enemies.h"
#include "Zephyrion/Flight.h"
#include "Zephyrion/GameState.h"
#include "Zephyrion/Graphics.h"
#include "Zephyrion/Layout.h"
#include "Zephyrion/Hud.h"
#include "Zephyrion/Demo.h"
#include "Zephyrion/Interpolation.h"
#include "Zephyrion/Pictures.h"
#include "Zephyrion/Shots.h"
#include "Zephyrion/Timers.h"
#include "text/Ttf.h"

static const int restEveryFrameMs = 10;  // one frame a tick yields this long, whatever the pacing
static const uint32_t fpsWindowMs = 1000;
static const uint64_t usPerMs = 1000, usPerSecond = 1000000;

uint32_t frameTimeFor(int frameRate)
{
    return frameRate >= 1 ? 1000u / (uint32_t)frameRate : 1000u;
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

// ---- The clock of ticks and frames ----

// A timed replay runs on a clock of its own that moves a frame at a time, so
// that it draws the frames a tick that the setting asks for, as fast as it can.
static bool timed()
{
    return game.replay == TimedReplay;
}

static void startPacing()
{
    if (!game.pacingStarted) {
        game.frameTime = frameTimeFor(game.settings.frameRate);
        game.pacingStarted = true;
    }
}

static uint64_t tickUs()
{
    return (uint64_t)game.frameTime * usPerMs;
}

static bool oneFrameATick()
{
    return game.framesPerSecond <= 0 || tickUs() == 0;
}

static uint64_t frameUs()
{
    if (oneFrameATick())
        return tickUs();
    if (timed())
        return tickUs() * (uint64_t)game.settings.frameRate / (uint64_t)game.framesPerSecond;
    return usPerSecond / (uint64_t)game.framesPerSecond;
}

int smoothFrameRate()
{
    int rate = game.settings.smoothMotion;
    if (rate == smoothMotionDisplay && showingFrames())
        game.displayRate = displayRefreshHz();  // the monitor the window is on now
    if (rate == smoothMotionDisplay)
        return game.displayRate;
    return rate > 0 ? rate : 0;
}

void startFrames(int framesPerSecond)
{
    startPacing();
    game.framesPerSecond = framesPerSecond;
    uint64_t now = timed() ? game.nextFrameUs : clockMicros();
    game.nextTickUs = now;
    game.nextFrameUs = now + frameUs();
    game.tickRunThisFrame = false;
    game.presentGaps.lastUs = 0;  // a new loop's first frame is no gap of the last one's
}

bool tickDue()
{
    if (!showingFrames())
        return true;
    if (oneFrameATick()) {
        bool due = !game.tickRunThisFrame;
        game.tickRunThisFrame = true;
        return due;
    }
    if (game.nextTickUs >= game.nextFrameUs)
        return false;
    game.nextTickUs += tickUs();
    return true;
}

float frameBetween()
{
    if (oneFrameATick() || game.nextTickUs < game.nextFrameUs)
        return 1;
    float ahead = (float)(game.nextTickUs - game.nextFrameUs) / (float)tickUs();
    return ahead < 1 ? 1 - ahead : 0;
}

static void measureGap(uint64_t now)
{
    PresentGaps &g = game.presentGaps;
    if (g.lastUs) {
        double gap = (double)(now - g.lastUs);
        g.count++, g.sum += gap, g.squares += gap * gap;
        if (gap > g.worst)
            g.worst = gap;
    }
    g.lastUs = now ? now : 1;
}

// A frame late by a whole period or more is no reason to hurry the next
// ones: the frames go on from now, and the world is let fall behind by a tick at most.
static void goOnFromNowIfLate()
{
    uint64_t now = clockMicros();
    if (game.nextFrameUs > now)
        return;
    game.nextFrameUs = now;
    if (game.nextTickUs + tickUs() < now)
        game.nextTickUs = now - tickUs();
}

// A frame between ticks is shown at its moment, as the world stands then. At
// one frame a tick the picture goes up as soon as it is drawn, as close to the
// tick's controls as can be, and the rest of the tick's time is waited out after it.
void presentFrame()
{
    startPacing();
    // In step with the monitor, the present itself waits for the refresh: the
    // frame goes up when drawn, and what is left of its time is waited out after.
    bool inStep = presentsInStep() && game.framesPerSecond == game.displayRate;
    bool live = !timed(), atItsMoment = live && !oneFrameATick() && !inStep;
    if (atItsMoment)
        sleepUntilMicros(game.nextFrameUs);
    writeDuePictures(game.backBuffer);
    presentBitmap(game.backBuffer);
    game.framesPresented++;
    game.tickRunThisFrame = false;
    if (live) {
        measureGap(clockMicros());
        if (!atItsMoment)
            sleepUntilMicros(game.nextFrameUs);
    }
    serveInput();
    game.nextFrameUs += frameUs();
    if (live)
        goOnFromNowIfLate();
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
    for (int n = 0; n < 2; n++)
        writeCentred(game.backBuffer, lines[n], heights[n], classicHeight() / 2 + belowCentre[n],
                     makecol(255, 255, 255));
}

bool showingFrames()
{
    return game.replay != HeadlessReplay;
}

void finishFrame()
{
    if (game.replay == AttractReplay)
        drawReplayCaption();
    if (!timed() && oneFrameATick())
        restMs(restEveryFrameMs);
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
        game.beamVoice = playSample(game.samples.beamOnBuilding, soundFullVolume, soundCentre,
                                    soundOwnPitch, true);
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
    followPicture();
    SeenBetweenTicks seen(frameBetween());
    clearFrame(game.backBuffer);
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
    startFrames(smoothFrameRate());
    for (;;) {
        while (tickDue()) {
            keepTickStart();
            int result = flightTick(nextTickCommand(true));
            if (result == CraftCrashed)
                waitOutTheCrash();
            if (result >= 0)
                return result;
        }
        drawFlightFrame();
        finishFrame();
    }
}
