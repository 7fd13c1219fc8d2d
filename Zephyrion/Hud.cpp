// The heads-up display. See Hud.h.
#include "Zephyrion/Hud.h"

#include <allegro.h>

#include <cmath>
#include <cstdio>

#include "Std/3D.h"
#include "Zephyrion/GameState.h"
#include "Zephyrion/Interpolation.h"
#include "Zephyrion/Sounds.h"
#include "text/Ttf.h"

static const double hudPi = 3.14159;
static const float radarRange = 750;       // units shown on half the disc's height
static const float needleLength = 38;      // round dials' needles, pixels
static const float pitchNeedleLength = 45;
static const int pitchPivotInset = 30;     // the pitch needle's pivot from the gauge's left edge
static const float speedNeedlePerUnit = 18, torqueNeedlePerUnit = -18;
static const float altitudeNeedlePerUnit = -0.9f;  // per unit of y
static const int barRise = 30;             // bar lines: 30 below the radar frame's top, 30 above the bottom
static const int maxDamage = 50, fullTank = 100;
static const float lowFuel = 20;
static const uint32_t lowFuelBlinkMs = 1000;
static const int lowFuelBeepVolume = 100;
static const int margin = 10;


static int w(const BITMAP *b)
{
    return b ? b->w : 0;
}

static int h(const BITMAP *b)
{
    return b ? b->h : 0;
}

// A sprite centred on (x, y), turned clockwise by degrees. A bitmap that did
// not load is left out.
static void place(BITMAP *b, int x, int y, float degrees = 0)
{
    if (b)
        pivot_sprite(game.backBuffer, b, x, y, b->w / 2, b->h / 2, ftofix(degrees / 360 * 256));
}

static void needle(int px, int py, float restX, float restY, float degrees)
{
    double r = degrees * hudPi / 180;
    double x = restX * cos(r) - restY * sin(r), y = restY * cos(r) + restX * sin(r);
    line(game.backBuffer, px, py, (int)(px + x), (int)(py + y), makecol(0, 0, 0));
}

// A level marker across a bar gauge: red, white, red, k rows up per unit.
static void levelMarker(const BITMAP *gauge, int x, int cy, int k, float value)
{
    if (!gauge)
        return;
    int row = (int)(cy + gauge->h / 2 - k * value);
    int left = x - gauge->w / 2, right = left + gauge->w;
    line(game.backBuffer, left, row - 1, right, row - 1, makecol(255, 0, 0));
    line(game.backBuffer, left, row, right, row, makecol(255, 255, 255));
    line(game.backBuffer, left, row + 1, right, row + 1, makecol(255, 0, 0));
}

static void drawCracks()
{
    static const int greys[5] = {64, 128, 200, 128, 64};
    for (int n = 0; n < game.crackCount && n < maxCracks; n++)
        for (const CrackSegment &s : game.cracks[n].segments)
            for (int d = -2; d <= 2; d++)
                line(game.backBuffer, s.x1 + d, s.y1, s.x2 + d, s.y2,
                     makecol(greys[d + 2], greys[d + 2], greys[d + 2]));
}

static void drawBlips(int cx, int cy)
{
    float s = h(game.bitmaps.radar) / 2.0f / radarRange;
    const Craft &c = craftSeen();
    for (int n = 0; n < game.enemyCount; n++) {
        const Enemy &e = game.enemies[n];
        if (e.state != EnemyActive)
            continue;
        Transform at = cubeSeen(e, 0);
        float dx = at.x - c.x, dz = c.z - at.z;
        if (sqrtf(dx * dx + dz * dz) < radarRange)
            putpixel(game.backBuffer, (int)(cx + s * dx), (int)(cy + s * dz), makecol(0, 0, 0));
    }
}

// A row of icons running left from x; those wholly off the screen are not drawn.
static void iconRow(BITMAP *icon, int x, int y, int count)
{
    if (!icon)
        return;
    for (int i = 0; i < count && x - i * icon->w + icon->w / 2 >= 0; i++)
        place(icon, x - i * icon->w, y);
}

static void fuelArrow()
{
    const CityCell &depot = game.city[game.fuelDepotIndex % citySlots][game.fuelDepotIndex / citySlots];
    if (!depot.quad)
        return;
    const Craft &c = craftSeen();
    float dx = depot.quad->transform.x - c.x, dz = depot.quad->transform.z - c.z;
    float b = (float)(180 - atan2(dz, dx) * 180 / hudPi);
    b = addAngle360(b, 270);
    b = subAngle360(b, c.yaw);
    place(game.bitmaps.fuelDir, game.backBuffer->w / 2, game.backBuffer->h / 2, b);
}

static void text(const char *s, int height, int x, int y, int colour)
{
    ttf_set_height(game.gameFont, height);
    ttf_draw_text(game.backBuffer, game.gameFont, s, x, y, colour);
}

static void centred(const char *s, int height, int y, int colour)
{
    ttf_set_height(game.gameFont, height);
    text(s, height, (game.backBuffer->w - ttf_text_width(game.gameFont, s)) / 2, y, colour);
}

// Below 20 the warning shows for a second and hides for a second, with a beep
// at every change; an empty tank shows its own message and never beeps.
void hudTick()
{
    float fuel = game.fuel;
    if (fuel == 0 || fuel >= lowFuel)
        return;
    if (game.gameMs - game.lowFuelToggledMs > lowFuelBlinkMs) {
        game.lowFuelBlinkOn = !game.lowFuelBlinkOn;
        game.lowFuelToggledMs = game.gameMs;
        playOnce(game.samples.lowFuel, lowFuelBeepVolume);
    }
}

static void drawTexts()
{
    int white = makecol(255, 255, 255), red = makecol(255, 0, 0);
    char line[32];
    snprintf(line, sizeof line, "Score %d", game.score);
    text(line, 12, margin, margin, white);
    if (game.collisionFlag) {
        centred("Collision...", 24, 30, white);
        centred("Autopilot Engaged", 24, 50, red);
    }
    float fuel = game.fuel;
    if (fuel == 0)
        centred("Out of Fuel", 24, 70, red);
    else if (fuel / 100 * 100 < lowFuel && game.lowFuelBlinkOn)
        centred("Fuel is Low", 24, 70, makecol(180, 0, 0));
    if (game.craftState == Crashing)
        centred("Ship Crashing", 36, game.backBuffer->h / 2, red);
    if (game.settings.showFPS) {
        snprintf(line, sizeof line, "FPS: %d", game.fpsValue);
        ttf_set_height(game.gameFont, 12);
        int right = game.backBuffer->w - margin;
        text(line, 12, right - ttf_text_width(game.gameFont, line), margin, white);
    }
}

void drawHud(int autopilot)
{
    const Bitmaps &b = game.bitmaps;
    const Craft &c = craftSeen();
    int W = game.backBuffer->w, H = game.backBuffer->h;
    int cx = W / 2, cy = H - h(b.radarDir) / 2;
    int upperBar = H - h(b.radarDir) + barRise, lowerBar = H - barRise;
    int xS = cx + w(b.radarDir) / 2 + w(b.speedo) / 2;
    int xP = xS + w(b.speedo) / 2 + w(b.pitch) / 2;
    int xT = xS + w(b.speedo) / 2 + w(b.torque) / 2;
    int xD = xP + w(b.pitch) / 2 + w(b.damage) / 2;
    int xF = xD + w(b.damage) / 2 + w(b.fuel) / 2;
    int xA = cx - w(b.radarDir) / 2 - w(b.altimeter) / 2;

    drawCracks();
    if (b.hudBar) {
        pivot_sprite(game.backBuffer, b.hudBar, 0, upperBar, 0, b.hudBar->h / 2, 0);
        pivot_sprite(game.backBuffer, b.hudBar, 0, lowerBar, 0, b.hudBar->h / 2, 0);
    }
    place(b.radarDir, cx, cy);
    place(b.radar, cx, cy, c.yaw);
    drawBlips(cx, cy);
    place(b.speedo, xS, cy);
    needle(xS, cy, 0, -needleLength, speedNeedlePerUnit * c.speed);
    if (!game.settings.oldSchool) {
        place(b.pitch, xP, cy);
        needle(xP - w(b.pitch) / 2 + pitchPivotInset, cy, pitchNeedleLength, 0, c.pitch);
    } else {
        place(b.torque, xT, cy);
        needle(xT, cy, 0, -needleLength, torqueNeedlePerUnit * c.torque);
    }
    place(b.altimeter, xA, cy);
    needle(xA, cy, 0, -needleLength, altitudeNeedlePerUnit * c.y);
    place(b.damage, xD, cy);
    levelMarker(b.damage, xD, cy, h(b.damage) / maxDamage, (float)game.damage);
    place(b.fuel, xF, cy);
    levelMarker(b.fuel, xF, cy, h(b.fuel) / fullTank, game.fuel);
    iconRow(b.lifeInd, xA - w(b.altimeter) / 2 - w(b.lifeInd) / 2, upperBar, game.lives);
    iconRow(b.enemyInd, xA - w(b.altimeter) / 2 - w(b.enemyInd) / 2, lowerBar,
            game.enemiesRemaining);
    if (!autopilot) {
        place(b.crosshair, W / 2, H / 2);
        fuelArrow();
    }
    drawTexts();
}
