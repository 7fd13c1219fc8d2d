// Shots, hits and damage. See Shots.h.
#include "Zephyrion/Shots.h"

#include <allegro.h>

#include <cmath>

#include "Std/3D.h"
#include "Zephyrion/GameState.h"
#include "Zephyrion/Layout.h"
#include "Zephyrion/Sounds.h"
#include "Zephyrion/Timers.h"

static const int fireVolume = 200;  // the shot under the engine
static const int firePitch = 550;   // a little over half its own rate: a low hum

static const int beamReach = 750;        // unit steps of the ray
static const float hitBoxPerScale = 6;   // an enemy is hit within 6 x scale on each axis
static const int pointsPerEnemySpeed = 100;
static const int beamCostDivisor = 25;   // points lost a frame: height / 25
static const int collapseCostDivisor = 10;  // points lost when it gives way: height / 10
static const int beamStartRise = 50;     // the beams start this far above the bottom corners
static const int flickerOdds = 10;       // one pixel in ten toggles a dash

static const uint32_t shotMs = 400;      // a shot lasts this long

static bool beamPenDown = true;          // the dash state, carried from line to line

static void fireEndTick()
{
    endShot();
}

void startShot()
{
    startTimer(FireTimer, shotMs, fireEndTick);
    if (game.samples.fireBeam)
        playSample(game.samples.fireBeam, fireVolume, soundCentre, firePitch, true);
    game.beamActive = true;
}

void endShot()
{
    if (game.beamActive) {
        game.beamActive = false;
        if (game.samples.fireBeam)
            stopSample(game.samples.fireBeam);
    }
    stopTimer(FireTimer);
}

void stopBeamLoop()
{
    if (game.beamVoice == -1)
        return;
    if (game.samples.beamOnBuilding)
        stopSample(game.samples.beamOnBuilding);
    game.beamVoice = -1;
}

static void beamPixel(BITMAP *bmp, int x, int y, int colour)
{
    if (nextRandom(game.pictureRandom) % flickerOdds == 0)
        beamPenDown = !beamPenDown;
    if (beamPenDown)
        putpixel(bmp, x, y, colour);
}

void drawBeams()
{
    struct BeamLine {
        int offset;
        int r, g, b;
        bool solid;
    };
    static const BeamLine lines[] = {
        {-6, 0, 0, 200, false}, {-5, 0, 0, 220, false}, {-3, 0, 0, 255, false},
        {6, 0, 200, 0, false},  {5, 0, 220, 0, false},  {3, 0, 255, 0, false},
        {0, 255, 0, 0, true},
    };
    // From the picture's bottom corners to its middle, as thick as its scale.
    int w = game.backBuffer->w, h = game.backBuffer->h;
    Layout at = layoutOf(game.backBuffer);
    int thick = scaled(at, 1);
    for (int side = 0; side < 2; side++) {
        int x = side == 0 ? 0 : w;
        for (const BeamLine &l : lines) {
            int colour = makecol(l.r, l.g, l.b);
            int y = h - scaled(at, beamStartRise) + (int)lroundf(l.offset * at.scale);
            for (int t = 0; t < thick; t++) {
                if (l.solid)
                    line(game.backBuffer, x, y + t, w / 2, h / 2 + t, colour);
                else
                    do_line(game.backBuffer, x, y + t, w / 2, h / 2 + t, colour, beamPixel);
            }
        }
    }
}

static bool enemyAt(float x, float y, float z, const Enemy &e)
{
    const Transform &t = e.cubes[0]->transform;
    float reach = hitBoxPerScale * t.scale;
    return fabsf(x - t.x) <= reach && fabsf(y - t.y) <= reach && fabsf(z - t.z) <= reach;
}

static void killEnemy(int index)
{
    Enemy &e = game.enemies[index];
    e.state = EnemyExploding;
    e.blastGrowing = 1;
    playOnce(game.samples.enemyHit);
    game.enemiesRemaining--;
    game.score += pointsPerEnemySpeed * (int)e.speed;
    // Classic: the enemies come one at a time, in the order they were made.
    if (game.settings.classic && game.enemiesRemaining > 0 && index + 1 < game.enemyCount)
        game.enemies[index + 1].state = EnemyActive;
}

bool fireBeam()
{
    double yaw = game.craft.yaw * 3.14159 / 180, pitch = game.craft.pitch * 3.14159 / 180;
    float dx = (float)(sin(yaw) * cos(pitch)), dy = (float)sin(pitch),
          dz = (float)(cos(yaw) * cos(pitch));
    float x = game.craft.x, y = game.craft.y, z = game.craft.z;
    for (int t = 0; t < beamReach; t++) {
        x += dx, y += dy, z += dz;
        for (int k = 0; k < game.enemyCount; k++)
            if (game.enemies[k].state == EnemyActive && enemyAt(x, y, z, game.enemies[k])) {
                killEnemy(k);
                return false;
            }
        int b = buildingAtPoint(x, y, z);
        if (b >= 0) {
            int d = game.difficultyScale;
            damageBuilding(b, (int)(d - ((float)t / beamReach) * d), false);
            game.score -= (int)(game.city[b % citySlots][b / citySlots].height / beamCostDivisor);
            return true;
        }
    }
    return false;
}

int buildingAtPoint(float x, float y, float z)
{
    for (int j = 0; j < cityStrips; j++)
        for (int i = 0; i < citySlots; i++) {
            const CityCell &c = game.city[i][j];
            if (c.state != BuildingStanding || !c.quad)
                continue;
            const Transform &t = c.quad->transform;
            if (t.x - c.width / 2 <= x && x <= t.x + c.width / 2 && t.y <= -y &&
                -y <= t.y + c.height && t.z <= z && z <= t.z + c.depth)
                return j * citySlots + i;
        }
    return -1;
}

static int brighter(int channel, int amount)
{
    return channel + amount < 255 ? channel + amount : 255;
}

// The beam reddens a building, an enemy's bump lightens it; once red would
// reach 255 it gives way. The cell keeps its colour's channels, which a
// packed colour of 16 bits could not: 5 bits of red lose a bump's step.
void damageBuilding(int index, int amount, bool whiten)
{
    CityCell &cell = game.city[index % citySlots][index / citySlots];
    if (!cell.quad)
        return;
    if (cell.red + amount < 255) {
        cell.red += amount;
        if (whiten)
            cell.green = brighter(cell.green, amount), cell.blue = brighter(cell.blue, amount);
        cell.quad->transform.colour = makecol(cell.red, cell.green, cell.blue);
        return;
    }
    cell.state = BuildingExploding;
    playOnce(game.samples.buildingDestroyed);
    game.score -= (int)(cell.height / collapseCostDivisor);
}
