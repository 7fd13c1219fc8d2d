// Frames between ticks. See Interpolation.h.
#include "Zephyrion/Interpolation.h"

#include "Zephyrion/GameState.h"

static const float fullTurn = 360;
static const float blastTurn = 255;  // the explosions' spin wraps here (addAngle255)

static float partWay(float from, float to, float part)
{
    return from + (to - from) * part;
}

// The shorter way round a turn of the given size.
static float turnBetween(float from, float to, float part, float turn)
{
    float d = to - from;
    if (d > turn / 2)
        d -= turn;
    else if (d < -turn / 2)
        d += turn;
    float a = from + d * part;
    return a < 0 ? a + turn : a >= turn ? a - turn : a;
}

float angleBetween(float from, float to, float part)
{
    return turnBetween(from, to, part, fullTurn);
}

void keepTickStart()
{
    game.craftBefore = game.craft;
    game.craftCut = false;
    for (int n = 0; n < game.enemyCount; n++) {
        Enemy &e = game.enemies[n];
        EnemyBefore &b = e.before;
        const Transform &t = e.cubes[0]->transform;  // an enemy is always whole
        b.x = t.x, b.y = t.y, b.z = t.z;
        for (int k = 0; k < enemyCubes; k++)
            b.scale[k] = e.cubes[k]->transform.scale;
        b.blastDistance = e.blastDistance, b.blastScale = e.blastScale, b.blastSpin = e.blastSpin;
    }
}

void cutCamera()
{
    game.craftCut = true;
}

Craft craftBetween(const Craft &from, const Craft &to, float part)
{
    if (part >= 1)
        return to;
    Craft c = to;
    c.x = partWay(from.x, to.x, part);
    c.y = partWay(from.y, to.y, part);
    c.z = partWay(from.z, to.z, part);
    c.yaw = angleBetween(from.yaw, to.yaw, part);
    c.pitch = angleBetween(from.pitch, to.pitch, part);
    c.roll = angleBetween(from.roll, to.roll, part);
    c.torque = partWay(from.torque, to.torque, part);
    c.speed = partWay(from.speed, to.speed, part);
    return c;
}

Transform cubeSeen(const Enemy &e, int k)
{
    Transform t = e.cubes[k]->transform;
    float part = game.between;
    if (part >= 1)
        return t;
    const EnemyBefore &b = e.before;
    t.x = partWay(b.x, t.x, part);
    t.y = partWay(b.y, t.y, part);
    t.z = partWay(b.z, t.z, part);
    t.scale = partWay(b.scale[k], t.scale, part);
    return t;
}

void blastSeen(const Enemy &e, float *distance, float *spin, float *scale)
{
    float part = game.between;
    *distance = e.blastDistance, *spin = e.blastSpin, *scale = e.blastScale;
    if (part >= 1)
        return;
    const EnemyBefore &b = e.before;
    *distance = partWay(b.blastDistance, e.blastDistance, part);
    *spin = turnBetween(b.blastSpin, e.blastSpin, part, blastTurn);
    *scale = partWay(b.blastScale, e.blastScale, part);
}

const Craft &craftSeen()
{
    return game.between < 1 ? game.craftSeen : game.craft;
}

SeenBetweenTicks::SeenBetweenTicks(float part)
{
    game.between = part;
    game.craftSeen = craftBetween(game.craftBefore, game.craft, game.craftCut ? 1 : part);
    const Craft &c = game.craftSeen;
    lookFrom({c.x, c.y, c.z, c.yaw, c.pitch, c.roll});
}

SeenBetweenTicks::~SeenBetweenTicks()
{
    game.between = 1;
}
