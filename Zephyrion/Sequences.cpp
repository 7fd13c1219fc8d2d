// The approach and exit sequences. See Sequences.h.
#include "Zephyrion/Sequences.h"

#include <allegro.h>

#include <cstdio>

#include "Std/3D.h"
#include "Zephyrion/City.h"
#include "Zephyrion/Demo.h"
#include "Zephyrion/Enemies.h"
#include "Zephyrion/Frame.h"
#include "Zephyrion/GameState.h"
#include "Zephyrion/Graphics.h"
#include "Zephyrion/Layout.h"
#include "Zephyrion/Sounds.h"
#include "Zephyrion/HighScores.h"
#include "Zephyrion/Hud.h"
#include "Zephyrion/Interpolation.h"
#include "Zephyrion/Timers.h"
#include "text/Ttf.h"

static const float sequenceViewDistance = 10000.0f;  // the whole city in view
static const uint32_t blinkMs = 600;
static const uint32_t briefingStepMs = 1600;
static const int briefingLines = 3;
static const float approachStartZ = -800, approachStartY = -500;
static const float flyingHeight = -20;
static const float glideStep = 5, descentStep = 3;
static const float exitTopY = -2000, climbStep = 9, exitBackZ = -800, exitBackStep = 9;
static const float restingPitch = 30, steepestUp = 280;
static const int cityClearedPoints = 500;

// "Autopilot Engaged" blinks on game time.
struct Blink {
    bool on = false;
    uint32_t toggled = game.gameMs;
    void step()
    {
        if (game.gameMs - toggled > blinkMs) {
            on = !on;
            toggled = game.gameMs;
        }
    }
};

// The approach's own state: the blink and the briefing's lines.
struct Approach {
    Blink blink;
    uint32_t briefingStep = game.gameMs;  // gameMs of the last line's step
    int briefing = 0;                     // lines reached, 0..3 and on
};

static void text(const char *s, int height, int x, int y, int r, int g, int b)
{
    writeAt(game.backBuffer, s, height, x, y, makecol(r, g, b));
}

static void centred(const char *s, int height, int y, int r, int g, int b)
{
    writeCentred(game.backBuffer, s, height, y, makecol(r, g, b));
}

// What moves in a tick of either sequence besides the craft: game time, the
// enemies (only on the way in), their explosions, the depot's markers, the
// low-fuel warning and the blink.
static void autopilotTick(Blink &blink, bool enemiesMove)
{
    runGameTimers();
    if (enemiesMove)
        moveEnemies();
    explodeEnemies();
    spinDepotMarkers();
    hudTick();
    blink.step();
}

// The city, the enemies, the HUD without its aiming aids, and the blinking
// "Autopilot Engaged".
static void drawAutopilotFrame(const Blink &blink)
{
    followPicture();
    SeenBetweenTicks seen(frameBetween());
    clearFrame(game.backBuffer);
    drawCity();
    drawEnemies();
    countFrame();
    drawHud(1);
    if (blink.on)
        centred("Autopilot Engaged", 24, 30, 255, 0, 0);
}

static void drawBriefing(int reached)
{
    static const struct {
        const char *line;
        int x, y;
    } lines[briefingLines] = {
        {"The buildings have been emptied...", 10, 240},
        {"The streets have been cleared...", 40, 275},
        {"Now its up to you.", 100, 330},
    };
    for (int n = 0; n < briefingLines && n < reached; n++)
        text(lines[n].line, 32, lines[n].x, lines[n].y, 140, 140, 140);
}

// A sequence on the clock: its ticks while they are due, then a frame, until
// a tick says it is over.
template <typename Tick, typename Draw>
static void runSequence(Tick tick, Draw draw)
{
    startFrames(smoothFrameRate());
    for (bool on = true; on;) {
        while (on && tickDue()) {
            keepTickStart();
            on = tick();
        }
        if (on)
            draw();
    }
}

// One tick of the descent; false once it is down, or the program is to end.
static bool approachTick(Approach &a)
{
    if (game.craft.y >= flyingHeight)
        return false;
    if (nextTickCommand(false).buttons & CmdQuit)
        return false;
    if (game.craft.z < flyingHeight)
        game.craft.z += glideStep;
    if (game.craft.pitch > 0)
        game.craft.pitch = subAngle360(game.craft.pitch, 1);
    autopilotTick(a.blink, true);
    if (game.firstApproach && game.gameMs - a.briefingStep > briefingStepMs) {
        a.briefingStep = game.gameMs;
        if (++a.briefing <= briefingLines)
            playOnce(game.samples.briefing);
    }
    game.craft.y = game.craft.y + descentStep;
    return true;
}

static void drawApproachFrame(const Approach &a)
{
    drawAutopilotFrame(a.blink);
    char line[64];
    snprintf(line, sizeof line, "Approaching City - %d -", game.citiesCleared + 1);
    centred(line, 24, 50, 255, 255, 255);
    centred("Image Enhancer Enabled - Enemies Now Visible", 16, 100, 230, 230, 230);
    if (game.firstApproach)
        drawBriefing(a.briefing);
    finishFrame();
}

void approachCity()
{
    InLoop here("approach");
    Approach a;
    game.craft.z = approachStartZ;
    float viewDistance = getViewDistance();
    setViewDistance(sequenceViewDistance);
    game.craftState = Autopilot;
    game.craft.y = approachStartY;
    runSequence([&] { return approachTick(a); }, [&] { drawApproachFrame(a); });
    setViewDistance(viewDistance);
    game.craftState = Flying;
}

// One tick of the climb out; false once it is out, or the program is to end.
static bool exitTick(Blink &blink)
{
    if (game.craft.y <= exitTopY)
        return false;
    if (nextTickCommand(false).buttons & CmdQuit)
        return false;
    if (game.craft.pitch < restingPitch || game.craft.pitch >= steepestUp)
        game.craft.pitch = addAngle360(game.craft.pitch, 1);
    if (game.craft.yaw > 0 && game.craft.yaw <= 180)
        game.craft.yaw = game.craft.yaw - 1;
    else if (game.craft.yaw != 0)
        game.craft.yaw = addAngle360(game.craft.yaw, 1);
    if (game.craft.z > exitBackZ)
        game.craft.z -= exitBackStep;
    autopilotTick(blink, false);
    game.craft.y = game.craft.y - climbStep;
    return true;
}

static void drawExitFrame(const Blink &blink, int rating)
{
    drawAutopilotFrame(blink);
    centred("Exiting City", 24, 50, 255, 255, 255);
    centred("City Cleared", 48, 150, 140, 140, 140);
    char line[64];
    snprintf(line, sizeof line, "%d Points Awarded", cityClearedPoints);
    centred(line, 18, 200, 160, 160, 160);
    snprintf(line, sizeof line, "Rating - %s", ratingNameOf(rating));
    centred(line, 18, 230, 160, 160, 160);
    finishFrame();
}

void exitCity(int rating)
{
    InLoop here("exit");
    Blink blink;
    float viewDistance = getViewDistance();
    setViewDistance(sequenceViewDistance);
    game.score += cityClearedPoints;
    game.craftState = Autopilot;
    runSequence([&] { return exitTick(blink); }, [&] { drawExitFrame(blink, rating); });
    setViewDistance(viewDistance);
}
