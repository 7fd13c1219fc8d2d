// The heads-up display. See Hud.h.
#include "Zephyrion/Hud.h"

#include <allegro.h>

#include <cmath>
#include <cstdio>
#include <initializer_list>

#include "Std/3D.h"
#include "Std/Raster.h"
#include "Std/Screenshot.h"
#include "Zephyrion/GameState.h"
#include "Zephyrion/Interpolation.h"
#include "Zephyrion/Layout.h"
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
static const uint32_t screenshotNoteMs = 2000;


// What the HUD is drawn to: the back buffer, at the picture's scale. Its
// bitmaps are made at that scale.
struct HudView {
    BITMAP *to;
    Layout at;
};

// A bitmap that did not load is 0 x 0.
static int w(const BITMAP *b)
{
    return b ? b->w : 0;
}

static int h(const BITMAP *b)
{
    return b ? b->h : 0;
}

// A sprite centred on (x, y), turned clockwise by degrees: one not turned is
// copied, one turned mapped pixel by pixel. A bitmap that did not load is left out.
static void place(const HudView &v, BITMAP *b, int x, int y, float degrees = 0)
{
    fixed angle = ftofix(degrees / 360 * 256);
    if (b && angle == 0)
        drawSprite(v.to, b, x - b->w / 2, y - b->h / 2);
    else if (b)
        pivot_sprite(v.to, b, x, y, b->w / 2, b->h / 2, angle);
}

// A line one pixel wide at the classic size, as many wide at a larger one.
static void stroke(const HudView &v, float x0, float y0, float x1, float y1, int colour)
{
    int width = scaled(v.at, 1);
    if (width <= 1) {
        line(v.to, (int)x0, (int)y0, (int)x1, (int)y1, colour);
        return;
    }
    float dx = x1 - x0, dy = y1 - y0, length = sqrtf(dx * dx + dy * dy);
    if (length == 0)
        return;
    float nx = -dy / length * width / 2, ny = dx / length * width / 2;
    int corners[8] = {(int)lroundf(x0 + nx), (int)lroundf(y0 + ny), (int)lroundf(x1 + nx),
                      (int)lroundf(y1 + ny), (int)lroundf(x1 - nx), (int)lroundf(y1 - ny),
                      (int)lroundf(x0 - nx), (int)lroundf(y0 - ny)};
    polygon(v.to, 4, corners, colour);
}

static void needle(const HudView &v, int px, int py, float restX, float restY, float degrees)
{
    double r = degrees * hudPi / 180;
    double x = restX * cos(r) - restY * sin(r), y = restY * cos(r) + restX * sin(r);
    x *= v.at.scale, y *= v.at.scale;
    stroke(v, px, py, (int)(px + x), (int)(py + y), makecol(0, 0, 0));
}

// A level marker across a bar gauge: red, white, red, k rows up per unit.
static void levelMarker(const HudView &v, const BITMAP *gauge, int x, int cy, float k,
                        float value)
{
    if (!gauge)
        return;
    int row = (int)(cy + h(gauge) / 2 - k * value);
    int left = x - w(gauge) / 2, right = left + w(gauge);
    int thick = scaled(v.at, 1);
    int colours[3] = {makecol(255, 0, 0), makecol(255, 255, 255), makecol(255, 0, 0)};
    for (int n = 0; n < 3; n++) {
        int top = row + (n - 1) * thick - thick / 2;
        rectfill(v.to, left, top, right, top + thick - 1, colours[n]);
    }
}

// The cracks are kept on the classic picture and drawn over this one.
static void drawCracks(const HudView &v)
{
    static const int greys[5] = {64, 128, 200, 128, 64};
    float sx = (float)v.to->w / classicWidth(), sy = (float)v.to->h / classicHeight();
    int thick = scaled(v.at, 1);
    for (int n = 0; n < game.crackCount && n < maxCracks; n++)
        for (const CrackSegment &s : game.cracks[n].segments)
            for (int d = -2 * thick; d < 3 * thick; d++) {
                int grey = greys[(d + 2 * thick) / thick];
                line(v.to, (int)(s.x1 * sx) + d, (int)(s.y1 * sy), (int)(s.x2 * sx) + d,
                     (int)(s.y2 * sy), makecol(grey, grey, grey));
            }
}

static void drawBlips(const HudView &v, int cx, int cy)
{
    float s = h(game.bitmaps.radar) / 2.0f / radarRange;
    const Craft &c = craftSeen();
    int dot = scaled(v.at, 1);
    for (int n = 0; n < game.enemyCount; n++) {
        const Enemy &e = game.enemies[n];
        if (e.state != EnemyActive)
            continue;
        Transform at = cubeSeen(e, 0);
        float dx = at.x - c.x, dz = c.z - at.z;
        if (sqrtf(dx * dx + dz * dz) < radarRange) {
            int x = (int)(cx + s * dx), y = (int)(cy + s * dz);
            if (dot <= 1)
                putpixel(v.to, x, y, makecol(0, 0, 0));
            else
                rectfill(v.to, x - dot / 2, y - dot / 2, x - dot / 2 + dot - 1, y - dot / 2 + dot - 1,
                         makecol(0, 0, 0));
        }
    }
}

// A row of icons running left from x; those wholly off the screen are not drawn.
static void iconRow(const HudView &v, BITMAP *icon, int x, int y, int count)
{
    if (!icon)
        return;
    int step = w(icon);
    for (int i = 0; i < count && x - i * step + step / 2 >= 0; i++)
        place(v, icon, x - i * step, y);
}

static void fuelArrow(const HudView &v)
{
    const CityCell &depot = game.city[game.fuelDepotIndex % citySlots][game.fuelDepotIndex / citySlots];
    if (!depot.quad)
        return;
    const Craft &c = craftSeen();
    float dx = depot.quad->transform.x - c.x, dz = depot.quad->transform.z - c.z;
    float b = (float)(180 - atan2(dz, dx) * 180 / hudPi);
    b = addAngle360(b, 270);
    b = subAngle360(b, c.yaw);
    place(v, game.bitmaps.fuelDir, v.to->w / 2, v.to->h / 2, b);
}

static void text(const HudView &v, const char *s, int height, int x, int y, int colour)
{
    ttf_set_height(game.gameFont, scaled(v.at, height));
    ttf_draw_text(v.to, game.gameFont, s, x, y, colour);
}

// Centred across the picture, y on the classic picture.
static void centred(const HudView &v, const char *s, int height, int y, int colour)
{
    ttf_set_height(game.gameFont, scaled(v.at, height));
    text(v, s, height, (v.to->w - ttf_text_width(game.gameFont, s)) / 2, placeY(v.at, y), colour);
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

static void drawTexts(const HudView &v)
{
    int white = makecol(255, 255, 255), red = makecol(255, 0, 0);
    int edge = scaled(v.at, margin);
    char line[32];
    snprintf(line, sizeof line, "Score %d", game.score);
    text(v, line, 12, edge, edge, white);
    if (screenshotSaved())
        game.screenshotNoteEnds = game.msTicks + screenshotNoteMs;
    if ((int32_t)(game.screenshotNoteEnds - game.msTicks) > 0)
        text(v, "Screenshot saved", 12, edge, edge + scaled(v.at, 16), white);
    if (game.collisionFlag) {
        centred(v, "Collision...", 24, 30, white);
        centred(v, "Autopilot Engaged", 24, 50, red);
    }
    float fuel = game.fuel;
    if (fuel == 0)
        centred(v, "Out of Fuel", 24, 70, red);
    else if (fuel / 100 * 100 < lowFuel && game.lowFuelBlinkOn)
        centred(v, "Fuel is Low", 24, 70, makecol(180, 0, 0));
    if (game.craftState == Crashing)
        centred(v, "Ship Crashing", 36, classicHeight() / 2, red);
    if (game.settings.showFPS) {
        snprintf(line, sizeof line, "FPS: %d", game.fpsValue);
        ttf_set_height(game.gameFont, scaled(v.at, 12));
        int right = v.to->w - edge;
        text(v, line, 12, right - ttf_text_width(game.gameFont, line), edge, white);
    }
}

// The instrument row stays centred at the bottom, the bar under it spans the
// picture's width, and the texts keep to the corners and the middle.
void drawHud(int autopilot)
{
    const Bitmaps &b = game.bitmaps;
    const Craft &c = craftSeen();
    const HudView v = {game.backBuffer, layoutOf(game.backBuffer)};
    int W = v.to->w, H = v.to->h;
    int cx = W / 2, cy = H - h(b.radarDir) / 2;
    int rise = scaled(v.at, barRise);
    int upperBar = H - h(b.radarDir) + rise, lowerBar = H - rise;
    int xS = cx + w(b.radarDir) / 2 + w(b.speedo) / 2;
    int xP = xS + w(b.speedo) / 2 + w(b.pitch) / 2;
    int xT = xS + w(b.speedo) / 2 + w(b.torque) / 2;
    int xD = xP + w(b.pitch) / 2 + w(b.damage) / 2;
    int xF = xD + w(b.damage) / 2 + w(b.fuel) / 2;
    int xA = cx - w(b.radarDir) / 2 - w(b.altimeter) / 2;

    drawCracks(v);
    if (b.hudBar) {
        // Along the picture's width, as many times as it takes.
        for (int x = 0; x < W; x += w(b.hudBar))
            for (int y : {upperBar, lowerBar})
                drawSprite(v.to, b.hudBar, x, y - b.hudBar->h / 2);
    }
    place(v, b.radarDir, cx, cy);
    place(v, b.radar, cx, cy, c.yaw);
    drawBlips(v, cx, cy);
    place(v, b.speedo, xS, cy);
    needle(v, xS, cy, 0, -needleLength, speedNeedlePerUnit * c.speed);
    if (!game.settings.oldSchool) {
        place(v, b.pitch, xP, cy);
        needle(v, xP - w(b.pitch) / 2 + scaled(v.at, pitchPivotInset), cy, pitchNeedleLength, 0,
               c.pitch);
    } else {
        place(v, b.torque, xT, cy);
        needle(v, xT, cy, 0, -needleLength, torqueNeedlePerUnit * c.torque);
    }
    place(v, b.altimeter, xA, cy);
    needle(v, xA, cy, 0, -needleLength, altitudeNeedlePerUnit * c.y);
    place(v, b.damage, xD, cy);
    levelMarker(v, b.damage, xD, cy, (float)(h(b.damage) / maxDamage), (float)game.damage);
    place(v, b.fuel, xF, cy);
    levelMarker(v, b.fuel, xF, cy, (float)(h(b.fuel) / fullTank), game.fuel);
    iconRow(v, b.lifeInd, xA - w(b.altimeter) / 2 - w(b.lifeInd) / 2, upperBar, game.lives);
    iconRow(v, b.enemyInd, xA - w(b.altimeter) / 2 - w(b.enemyInd) / 2, lowerBar,
            game.enemiesRemaining);
    if (!autopilot) {
        place(v, b.crosshair, W / 2, H / 2);
        fuelArrow(v);
    }
    drawTexts(v);
}
