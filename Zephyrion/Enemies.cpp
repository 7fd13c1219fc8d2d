// The enemies. See Enemies.h.
#include "Zephyrion/Enemies.h"

#include <allegro.h>

#include <cmath>
#include <cstdlib>

#include "Std/3D.h"
#include "Std/Errors.h"
#include "Zephyrion/GameState.h"
#include "Zephyrion/Sounds.h"
#include "Zephyrion/Flight.h"
#include "Zephyrion/Interpolation.h"
#include "Zephyrion/Shots.h"

static const int enemiesAllocLine = 1105;  // the error log's line for a failed allocation
static const float cubeSize = 6;
static const float cubeTurns[enemyCubes][3] = {{0, 0, 0}, {32, 32, 0}, {0, 32, 32}, {32, 0, 32}};
static const float pulseStep = 0.1f;
static const int driftOdds = 25;          // one frame in 25 the heading drifts
static const float driftYaw = 15, driftPitch = 10;
static const float bounceTurn = 100;      // degrees, both angles, off a building or the craft
static const float ramReach = 20;         // units on each axis
static const int enemyBump = 5;           // how much a bump lightens a building
static const float blastOut = 300;        // an explosion flies out this far, then falls back
static const float blastOutStep = 1, blastSpinStep = 2;
static const float blastBackStep = 5, blastBackShrink = 0.995f;

struct DifficultyRow {
    int count;
    float minSpeed, speedPerCity, maxSpeedBase;
};

static DifficultyRow forDifficulty(int difficulty)
{
    if (difficulty == 1)
        return {4, 2.5f, 1, 5.0f};
    if (difficulty == 3)
        return {8, 7.5f, 2, 15.0f};
    return {6, 5.0f, 2, 10.0f};
}

static void destroyCubes(Enemy &e)
{
    for (Quad *&cube : e.cubes) {
        destroyQuad(cube);
        cube = nullptr;
    }
}

static float pulseMinFor(int c)
{
    if (c == 0)
        return fRand(game.logicRandom, 0.1f, 2.0f, 1);
    if (2.0f - 0.2f * c <= 0.1f)
        return 0.1f;
    return fRand(game.logicRandom, 0.1f * c, 2.0f, 1);
}

// An enemy is always whole: if one of its cubes cannot be made, none are kept
// and the enemies count as not made.
bool createEnemies()
{
    DifficultyRow row = forDifficulty(game.settings.difficulty);
    int c = game.citiesCleared;
    game.enemies = (Enemy *)allocatePrimitive(sizeof(Enemy) * row.count);
    bool made = game.enemies != nullptr;
    for (int n = 0; made && n < row.count; n++) {
        Enemy &e = game.enemies[n];
        for (int k = 0; k < enemyCubes; k++) {
            e.cubes[k] = createQuad(cubeSize, cubeSize, cubeSize, 1, 1, 1, 0);
            made = made && e.cubes[k];
        }
        if (!made) {
            for (int m = 0; m <= n; m++)
                destroyCubes(game.enemies[m]);
            break;
        }
        for (int k = 0; k < enemyCubes; k++) {
            Transform &t = e.cubes[k]->transform;
            t.colour = makecol(0, 100 + 20 * k, 0);
            t.rotX = cubeTurns[k][0], t.rotY = cubeTurns[k][1], t.rotZ = cubeTurns[k][2];
        }
        e.pulseMin = pulseMinFor(c);
        e.pulseMax = fRand(game.logicRandom, e.pulseMin, 2.0f, 1) + 0.5f;
        e.speed = fRand(game.logicRandom, row.minSpeed, row.speedPerCity * c + row.maxSpeedBase, 2);
        e.yaw = (float)(nextRandom(game.logicRandom) % 360);
        e.pitch = (float)(nextRandom(game.logicRandom) % 360);
        e.state = EnemyActive;
        e.blastGrowing = 0;
        e.blastDistance = 0, e.blastSpin = 0, e.blastScale = 1.0f;
        for (int k = 0; k < enemyCubes; k++) {
            e.cubes[k]->transform.scale = fRand(game.logicRandom, e.pulseMin, e.pulseMin, 1);
            e.growing[k] = 1;
        }
    }
    if (!made) {
        free(game.enemies);
        game.enemies = nullptr;
        game.enemyCount = 0;
        logError(enemiesAllocLine, __FILE__, SevFatal, "Unable to allocate memory for Enemies");
        return false;
    }
    game.enemyCount = row.count;
    return true;
}

static void putCubes(Enemy &e, float x, float y, float z)
{
    for (Quad *cube : e.cubes)
        cube->transform.x = x, cube->transform.y = y, cube->transform.z = z;
}

static int spanOf(float low, float high)
{
    int span = (int)(high - low);
    return span > 0 ? span : 1;
}

void placeEnemies()
{
    const CityBounds &b = game.cityBounds;
    for (int n = 0; n < game.enemyCount; n++) {
        Enemy &e = game.enemies[n];
        float x = (float)(int)(nextRandom(game.logicRandom) % spanOf(b.minX, b.maxX) + b.minX);
        float y = (float)(int)(b.minY - cubeSize * e.pulseMax);
        float z = (float)(int)(nextRandom(game.logicRandom) % spanOf(b.minZ, b.maxZ) + b.minZ);
        putCubes(e, x, y, z);
    }
}

bool setupEnemies()
{
    bool made = createEnemies();
    if (made) {
        placeEnemies();
        for (int n = 0; n < game.enemyCount; n++)
            game.enemies[n].state = game.settings.classic && n > 0 ? EnemyWaiting : EnemyActive;
    }
    game.enemiesRemaining = game.enemyCount;
    return made;
}

void freeEnemies()
{
    for (int n = 0; n < game.enemyCount; n++)
        destroyCubes(game.enemies[n]);
    free(game.enemies);
    game.enemies = nullptr;
    game.enemyCount = 0;
}

int enemyHitsBuilding(float x, float y, float z, float s)
{
    float half = s / 2;
    for (int j = 0; j < cityStrips; j++)
        for (int i = 0; i < citySlots; i++) {
            const CityCell &c = game.city[i][j];
            if (c.state != BuildingStanding || !c.quad)
                continue;
            const Transform &t = c.quad->transform;
            if (x - half <= t.x + c.width / 2 && t.x - c.width / 2 <= x + half &&
                -y - half <= t.y + c.height && t.y <= -y + half && z - half <= t.z + c.depth &&
                t.z <= z + half)
                return j * citySlots + i;
        }
    return -1;
}

static bool rams(float x, float y, float z)
{
    return fabsf(x - game.craft.x) <= ramReach && fabsf(y - game.craft.y) <= ramReach &&
           fabsf(z - game.craft.z) <= ramReach;
}

static void pulse(Enemy &e, int k)
{
    Transform &t = e.cubes[k]->transform;
    if (e.growing[k]) {
        t.scale += pulseStep;
        if (t.scale >= e.pulseMax)
            e.growing[k] = 0;
    } else {
        t.scale -= pulseStep;
        if (t.scale <= e.pulseMin)
            e.growing[k] = 1;
    }
}

// Holds a value inside its limits, telling whether it had to.
static bool clampTo(float &v, float low, float high)
{
    if (v < low) {
        v = low;
        return true;
    }
    if (v > high) {
        v = high;
        return true;
    }
    return false;
}

static void moveEnemy(Enemy &e)
{
    if (nextRandom(game.logicRandom) % driftOdds == 1) {
        e.yaw = addAngle360(e.yaw, driftYaw);
        e.pitch = addAngle360(e.pitch, driftPitch);
    }
    bool bounced = false, clampedX = false, clampedY = false, clampedZ = false;
    const Transform &at = e.cubes[0]->transform;
    float x = at.x, y = at.y, z = at.z;
    moveAlongHeading(&x, &y, &z, e.yaw, e.pitch, e.speed);
    int b = enemyHitsBuilding(x, y, z, cubeSize * at.scale);
    if (b >= 0) {
        bounced = true;
        damageBuilding(b, enemyBump, true);
    } else if (rams(x, y, z)) {
        playOnce(game.samples.ram);
        bounced = true;
        applyDamage((int)(fabsf(game.craft.speed / 2) + 5));
    } else {
        const CityBounds &bounds = game.cityBounds;
        for (int k = 0; k < enemyCubes; k++) {
            pulse(e, k);
            Transform &t = e.cubes[k]->transform;
            t.x = x, t.y = y, t.z = z;
            clampedX |= clampTo(t.x, bounds.minX, bounds.maxX);
            clampedY |= clampTo(t.y, bounds.minY, bounds.maxY - cubeSize * t.scale);
            clampedZ |= clampTo(t.z, bounds.minZ, bounds.maxZ);
        }
    }
    if (bounced) {
        e.yaw = addAngle360(e.yaw, bounceTurn);
        e.pitch = addAngle360(e.pitch, bounceTurn);
        return;
    }
    if (clampedX || clampedZ)
        e.yaw = addAngle360(e.yaw, 180);
    if (clampedY)
        e.pitch = addAngle360(e.pitch, 180);
}

void moveEnemies()
{
    for (int n = 0; n < game.enemyCount; n++)
        if (game.enemies[n].state == EnemyActive)
            moveEnemy(game.enemies[n]);
}

// One step of an explosion; it runs once per cube, four times a frame.
static void explosionStep(Enemy &e)
{
    if (e.blastGrowing) {
        if (e.blastDistance < blastOut) {
            e.blastDistance += blastOutStep;
            e.blastSpin = addAngle255(e.blastSpin, blastSpinStep);
        } else {
            e.blastGrowing = 0;
            playOnce(game.samples.explosionEnd);
        }
    } else {
        e.blastDistance -= blastBackStep;
        e.blastScale *= blastBackShrink;
    }
}

// Four steps a tick for each exploding enemy, one for each of its cubes.
void explodeEnemies()
{
    for (int n = 0; n < game.enemyCount; n++) {
        Enemy &e = game.enemies[n];
        if (e.state != EnemyExploding)
            continue;
        for (int k = 0; k < enemyCubes; k++)
            explosionStep(e);
        if (!e.blastGrowing && e.blastDistance < 1.0f)
            e.state = EnemyGone;
    }
}

// Each where the frame shows it, between the last two ticks.
bool drawEnemies()
{
    for (int n = 0; n < game.enemyCount; n++) {
        const Enemy &e = game.enemies[n];
        if (e.state != EnemyActive && e.state != EnemyExploding)
            continue;
        float distance, spin, scale;
        blastSeen(e, &distance, &spin, &scale);
        for (int k = 0; k < enemyCubes; k++) {
            Quad cube = *e.cubes[k];
            cube.transform = cubeSeen(e, k);
            if (e.state == EnemyActive)
                drawQuad(game.backBuffer, &cube);
            else
                drawQuadBlast(game.backBuffer, &cube, distance, spin, scale);
        }
    }
    return true;
}
