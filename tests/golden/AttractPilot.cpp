// The attract mode's pilot: plays whole games through the tick command's door
// as a good player would, and keeps each game's demo for the title to show.
// It climbs into the city, blasts a tall building until it gives way, hunts
// the enemies among the buildings, flies to the fuel depot and lands on it to
// refuel, and clears the city. It steers by what a player sees: the city, the
// enemies and their headings, its own instruments. Run by
// tools/record-attract-demos.sh; the demos are kept in attract/.
#include <allegro.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <queue>
#include <vector>

#include "Std/3D.h"
#include "Zephyrion/City.h"
#include "Zephyrion/Demo.h"
#include "Zephyrion/Game.h"
#include "Zephyrion/GameState.h"
#include "Zephyrion/Graphics.h"
#include "Zephyrion/Zephyrion.h"

namespace {

const float pi = 3.14159265f;
const uint32_t giveUpTicks = 9000;  // five minutes: the plan does not work in this city
const int beamReach = 750;          // the beam's unit steps, as the game marches it
const float never = 1e9f;

struct Mission {
    const char *file;  // written in the output folder
    bool oldSchool, classic;
    int difficulty, lives, sensitivity;
    float refuelAt;    // fuel, per cent, below which the depot is next
    float reach;       // how near an enemy must come to be shot at: near enough to be seen
    int cities;        // cleared before the game ends, as the next city is reached
    uint32_t seed;     // the first city's
};

const Mission missions[] = {
    {"1.zdemo", false, false, 2, 3, 3, 65, 300, 2, 101u},
    {"2.zdemo", true, false, 2, 3, 3, 70, 300, 2, 202u},
    {"3.zdemo", false, true, 3, 3, 6, 70, 300, 1, 303u},
};

// ---- Small things ----

float clampf(float v, float low, float high)
{
    return v < low ? low : v > high ? high : v;
}

float degrees(float radians)
{
    return radians * 180 / pi;
}

float headingTo(float dx, float dz)
{
    float a = degrees(atan2f(dx, dz));
    return a < 0 ? a + 360 : a;
}

float turnBetween(float to, float from)  // -180 .. 180
{
    return fmodf(to - from + 540.0f, 360.0f) - 180.0f;
}

int16_t travel(float t)
{
    return (int16_t)lroundf(clampf(t, -1, 1) * commandFullTravel);
}

// The pitch as degrees the nose is down, -80 .. 30.
float noseDown(float pitch)
{
    return pitch > 180 ? pitch - 360 : pitch;
}

float altitude()
{
    return -game.craft.y;
}

const CityCell &cellOf(int index)
{
    return game.city[index % citySlots][index / citySlots];
}

const CityCell &depot()
{
    return cellOf(game.fuelDepotIndex);
}

// Is the point inside a standing building grown by a margin on every side?
// One building may be let be: the roof the craft is leaving or landing on.
bool solidAt(float x, float y, float z, float margin, int except = -1)
{
    for (int n = 0; n < citySlots * cityStrips; n++) {
        const CityCell &c = cellOf(n);
        if (c.state != BuildingStanding || !c.quad || n == except)
            continue;
        const Transform &t = c.quad->transform;
        if (t.x - c.width / 2 - margin <= x && x <= t.x + c.width / 2 + margin &&
            -y <= c.height + margin && t.z - margin <= z && z <= t.z + c.depth + margin)
            return true;
    }
    return false;
}

bool segmentClear(float x0, float y0, float z0, float x1, float y1, float z1, float margin,
                  int except = -1)
{
    float length = hypotf(hypotf(x1 - x0, z1 - z0), y1 - y0);
    int steps = (int)(length / 2) + 1;
    for (int n = 0; n <= steps; n++) {
        float f = (float)n / steps;
        if (solidAt(x0 + (x1 - x0) * f, y0 + (y1 - y0) * f, z0 + (z1 - z0) * f, margin, except))
            return false;
    }
    return true;
}

// The height of the tallest roof under a point, 0 over a street.
float floorUnder(float x, float z, float margin)
{
    float floor = 0;
    for (int n = 0; n < citySlots * cityStrips; n++) {
        const CityCell &c = cellOf(n);
        if (c.state != BuildingStanding || !c.quad)
            continue;
        const Transform &t = c.quad->transform;
        if (t.x - c.width / 2 - margin <= x && x <= t.x + c.width / 2 + margin &&
            t.z - margin <= z && z <= t.z + c.depth + margin && c.height > floor)
            floor = c.height;
    }
    return floor;
}

// ---- The beam ----

struct Ray {
    float x, y, z;     // where it starts
    float dx, dy, dz;  // a unit step
};

Ray rayOf(float x, float y, float z, float yaw, float pitch)
{
    double a = yaw * 3.14159 / 180, p = pitch * 3.14159 / 180;
    return {x, y, z, (float)(sin(a) * cos(p)), (float)sin(p), (float)(cos(a) * cos(p))};
}

// The first whole step of the ray inside a box, or never.
float firstStepIn(const Ray &r, const float low[3], const float high[3])
{
    const float o[3] = {r.x, r.y, r.z}, d[3] = {r.dx, r.dy, r.dz};
    float t0 = 1, t1 = (float)beamReach;
    for (int a = 0; a < 3; a++) {
        if (fabsf(d[a]) < 1e-7f) {
            if (o[a] < low[a] || o[a] > high[a])
                return never;
            continue;
        }
        float ta = (low[a] - o[a]) / d[a], tb = (high[a] - o[a]) / d[a];
        if (ta > tb)
            std::swap(ta, tb);
        t0 = std::max(t0, ta), t1 = std::min(t1, tb);
    }
    if (t0 > t1)
        return never;
    float step = ceilf(t0);
    return step <= t1 ? step : never;
}

// The first building the ray meets, and at which step.
float firstBuilding(const Ray &r, int *index)
{
    float best = never;
    *index = -1;
    for (int n = 0; n < citySlots * cityStrips; n++) {
        const CityCell &c = cellOf(n);
        if (c.state != BuildingStanding || !c.quad)
            continue;
        const Transform &t = c.quad->transform;
        const float low[3] = {t.x - c.width / 2, -c.height, t.z};
        const float high[3] = {t.x + c.width / 2, 0, t.z + c.depth};
        float step = firstStepIn(r, low, high);
        if (step < best)
            best = step, *index = n;
    }
    return best;
}

float stepToEnemy(const Ray &r, float x, float y, float z, float scale)
{
    float reach = 6 * scale;
    const float low[3] = {x - reach, y - reach, z - reach};
    const float high[3] = {x + reach, y + reach, z + reach};
    return firstStepIn(r, low, high);
}

// ---- The enemies, a few ticks ahead ----

// An enemy as the pilot foresees it: the game's own moves on copies.
struct Ghost {
    bool active;
    float x, y, z, yaw, pitch, speed, pulseMin, pulseMax;
    float scale[enemyCubes];
    unsigned char growing[enemyCubes];
};

const int foresight = 45;  // ticks
const int maxEnemies = 8;
Ghost ahead[foresight + 1][maxEnemies];  // [k]: after k more ticks of the game
float craftX, craftY, craftZ;            // where the craft will be after this tick

bool clampTo(float &v, float low, float high)
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

bool hitsBuilding(float x, float y, float z, float s)
{
    float half = s / 2;
    for (int n = 0; n < citySlots * cityStrips; n++) {
        const CityCell &c = cellOf(n);
        if (c.state != BuildingStanding || !c.quad)
            continue;
        const Transform &t = c.quad->transform;
        if (x - half <= t.x + c.width / 2 && t.x - c.width / 2 <= x + half &&
            -y - half <= t.y + c.height && t.y <= -y + half && z - half <= t.z + c.depth &&
            t.z <= z + half)
            return true;
    }
    return false;
}

void moveGhost(Ghost &g, Random &random)
{
    if (nextRandom(random) % 25 == 1) {
        g.yaw = addAngle360(g.yaw, 15);
        g.pitch = addAngle360(g.pitch, 10);
    }
    float x = g.x, y = g.y, z = g.z;
    moveAlongHeading(&x, &y, &z, g.yaw, g.pitch, g.speed);
    bool bounced = hitsBuilding(x, y, z, 6 * g.scale[0]) ||
                   (fabsf(x - craftX) <= 20 && fabsf(y - craftY) <= 20 && fabsf(z - craftZ) <= 20);
    if (bounced) {
        g.yaw = addAngle360(g.yaw, 100);
        g.pitch = addAngle360(g.pitch, 100);
        return;
    }
    const CityBounds &b = game.cityBounds;
    bool cx = false, cy = false, cz = false;
    for (int k = enemyCubes - 1; k >= 0; k--) {
        if (g.growing[k]) {
            g.scale[k] += 0.1f;
            if (g.scale[k] >= g.pulseMax)
                g.growing[k] = 0;
        } else {
            g.scale[k] -= 0.1f;
            if (g.scale[k] <= g.pulseMin)
                g.growing[k] = 1;
        }
        float tx = x, ty = y, tz = z;
        cx |= clampTo(tx, b.minX, b.maxX);
        cy |= clampTo(ty, b.minY, b.maxY - 6 * g.scale[k]);
        cz |= clampTo(tz, b.minZ, b.maxZ);
        if (k == 0)
            g.x = tx, g.y = ty, g.z = tz;
    }
    if (cx || cz)
        g.yaw = addAngle360(g.yaw, 180);
    if (cy)
        g.pitch = addAngle360(g.pitch, 180);
}

void foresee()
{
    for (int n = 0; n < game.enemyCount && n < maxEnemies; n++) {
        const Enemy &e = game.enemies[n];
        Ghost &g = ahead[0][n];
        g.active = e.state == EnemyActive;
        const Transform &t = e.cubes[0]->transform;
        g.x = t.x, g.y = t.y, g.z = t.z;
        g.yaw = e.yaw, g.pitch = e.pitch, g.speed = e.speed;
        g.pulseMin = e.pulseMin, g.pulseMax = e.pulseMax;
        for (int k = 0; k < enemyCubes; k++)
            g.scale[k] = e.cubes[k]->transform.scale, g.growing[k] = e.growing[k];
    }
    Random random = game.logicRandom;
    for (int k = 1; k <= foresight; k++)
        for (int n = 0; n < game.enemyCount && n < maxEnemies; n++) {
            ahead[k][n] = ahead[k - 1][n];
            if (ahead[k][n].active)
                moveGhost(ahead[k][n], random);
        }
}

// ---- The craft after this tick's command ----

Craft craftAfter(const TickCommand &cmd)
{
    Craft c = game.craft;
    float steer = commandTravel(cmd.turn), rate = (float)game.settings.sensitivity;
    if (!game.collisionFlag) {
        if (steer < 0)
            c.yaw = subAngle360(c.yaw, rate * -steer);
        else if (steer > 0)
            c.yaw = addAngle360(c.yaw, rate * steer);
    }
    float faster = cmd.buttons & CmdFaster ? 0.5f : cmd.buttons & CmdSlower ? -0.5f : 0;
    if (game.settings.oldSchool) {
        c.speed += faster;
        if (!game.collisionFlag)
            c.pitch = c.speed >= 0 ? c.speed : -c.speed;
    } else {
        float f = commandTravel(cmd.forward);
        if (f > 0) {
            c.pitch = addAngle360(c.pitch, 3 * f);
            if (c.pitch > 30 && c.pitch < 280)
                c.pitch = 30;
        } else if (f < 0) {
            c.pitch = subAngle360(c.pitch, 3 * -f);
            if (c.pitch > 30 && c.pitch < 280)
                c.pitch = 280;
        }
        c.speed += faster;
    }
    if (cmd.buttons & CmdStop)
        c.speed = 0;
    c.speed = clampf(c.speed, -10, 10);
    double a = c.yaw * 3.14159 / 180, p = c.pitch * 3.14159 / 180;
    c.x += (float)(sin(a) * cos(p) * c.speed);
    c.z += (float)(cos(a) * cos(p) * c.speed);
    c.y += game.settings.oldSchool ? c.torque : (float)(sin(p) * c.speed);
    return c;
}

// The beam of this tick, as the game will test it: the enemy it takes, or -1.
int beamTakes(const Craft &c)
{
    Ray r = rayOf(c.x, c.y, c.z, c.yaw, c.pitch);
    int building;
    float wall = firstBuilding(r, &building), best = never;
    int taken = -1;
    for (int n = 0; n < game.enemyCount && n < maxEnemies; n++) {
        const Ghost &g = ahead[1][n];
        if (!g.active)
            continue;
        float step = stepToEnemy(r, g.x, g.y, g.z, g.scale[0]);
        if (step <= wall && step < best)
            best = step, taken = n;
    }
    return taken;
}

// ---- Controls ----

void steerTo(TickCommand &cmd, float heading)
{
    cmd.turn = travel(turnBetween(heading, game.craft.yaw) / (float)game.settings.sensitivity);
}

void pitchTo(TickCommand &cmd, float down)
{
    cmd.forward = travel((down - noseDown(game.craft.pitch)) / 3);
}

void holdSpeed(TickCommand &cmd, float speed)
{
    if (speed == 0 && game.craft.speed != 0 && fabsf(game.craft.speed) <= 1.0f)
        cmd.buttons |= CmdStop;
    else if (game.craft.speed < speed - 0.25f)
        cmd.buttons |= CmdFaster;
    else if (game.craft.speed > speed + 0.25f)
        cmd.buttons |= CmdSlower;
}

void stop(TickCommand &cmd)
{
    if (game.craft.speed != 0)
        cmd.buttons |= CmdStop;
}

// Old School: the torque that climbs or sinks toward a height, at most so fast.
void holdHeight(TickCommand &cmd, float y, float fastest)
{
    float rate = clampf((y - game.craft.y) / 5, -fastest, fastest);
    cmd.forward = travel((rate - game.craft.torque) / 2);
}

// ---- The way through the city, at the height the craft cruises ----

const float cell = 6;           // the map's squares, units
const float wallMargin = 9;     // kept from the walls on the way
const float roofMargin = 12;    // kept above the roofs

struct Map {
    float x0, z0;
    int w, h;
    std::vector<unsigned char> blocked;
};

Map map;

void drawMap(float y)
{
    const CityBounds &b = game.cityBounds;
    map.x0 = b.minX, map.z0 = b.minZ;
    map.w = (int)((b.maxX - b.minX) / cell) + 1, map.h = (int)((b.maxZ - b.minZ) / cell) + 1;
    map.blocked.assign((size_t)map.w * map.h, 0);
    for (int n = 0; n < citySlots * cityStrips; n++) {
        const CityCell &c = cellOf(n);
        if (c.state != BuildingStanding || !c.quad || c.height + roofMargin < -y)
            continue;
        const Transform &t = c.quad->transform;
        int i0 = (int)floorf((t.x - c.width / 2 - wallMargin - map.x0) / cell);
        int i1 = (int)ceilf((t.x + c.width / 2 + wallMargin - map.x0) / cell);
        int j0 = (int)floorf((t.z - wallMargin - map.z0) / cell);
        int j1 = (int)ceilf((t.z + c.depth + wallMargin - map.z0) / cell);
        for (int j = std::max(j0, 0); j <= j1 && j < map.h; j++)
            for (int i = std::max(i0, 0); i <= i1 && i < map.w; i++)
                map.blocked[(size_t)j * map.w + i] = 1;
    }
}

bool mapBlocked(float x, float z)
{
    int i = (int)((x - map.x0) / cell), j = (int)((z - map.z0) / cell);
    if (i < 0 || j < 0 || i >= map.w || j >= map.h)
        return true;
    return map.blocked[(size_t)j * map.w + i] != 0;
}

bool mapLineClear(float x0, float z0, float x1, float z1)
{
    float length = hypotf(x1 - x0, z1 - z0);
    int steps = (int)(length / 2) + 1;
    for (int n = 1; n <= steps; n++) {
        float f = (float)n / steps;
        float x = x0 + (x1 - x0) * f, z = z0 + (z1 - z0) * f;
        if (hypotf(x - x0, z - z0) > cell && mapBlocked(x, z))
            return false;
    }
    return true;
}

struct Point {
    float x, z;
};

// A* over the map's squares; the way as points from the craft to the goal.
bool findWay(float fromX, float fromZ, float toX, float toZ, std::vector<Point> &way)
{
    way.clear();
    auto square = [](float x, float z) {
        int i = clampf((x - map.x0) / cell, 0, (float)map.w - 1);
        int j = clampf((z - map.z0) / cell, 0, (float)map.h - 1);
        return j * map.w + i;
    };
    int start = square(fromX, fromZ), goal = square(toX, toZ);
    std::vector<float> cost((size_t)map.w * map.h, never);
    std::vector<int> from((size_t)map.w * map.h, -1);
    typedef std::pair<float, int> Open;
    std::priority_queue<Open, std::vector<Open>, std::greater<Open>> open;
    auto guess = [&](int s) {
        float dx = fabsf((float)(s % map.w - goal % map.w)), dz = fabsf((float)(s / map.w - goal / map.w));
        return std::max(dx, dz) + 0.414f * std::min(dx, dz);
    };
    cost[start] = 0;
    open.push({guess(start), start});
    bool found = false;
    while (!open.empty()) {
        Open o = open.top();
        open.pop();
        int s = o.second;
        if (s == goal) {
            found = true;
            break;
        }
        if (o.first > cost[s] + guess(s) + 1e-3f)
            continue;
        int i = s % map.w, j = s / map.w;
        for (int dj = -1; dj <= 1; dj++)
            for (int di = -1; di <= 1; di++) {
                int ni = i + di, nj = j + dj;
                if ((!di && !dj) || ni < 0 || nj < 0 || ni >= map.w || nj >= map.h)
                    continue;
                int n = nj * map.w + ni;
                if (map.blocked[n] && n != goal)
                    continue;
                if (di && dj && (map.blocked[j * map.w + ni] || map.blocked[nj * map.w + i]))
                    continue;
                float c = cost[s] + (di && dj ? 1.414f : 1.0f);
                if (c < cost[n]) {
                    cost[n] = c, from[n] = s;
                    open.push({c + guess(n), n});
                }
            }
    }
    if (!found)
        return false;
    for (int s = goal; s != start && s >= 0; s = from[s])
        way.push_back({map.x0 + (s % map.w + 0.5f) * cell, map.z0 + (s / map.w + 0.5f) * cell});
    std::reverse(way.begin(), way.end());
    if (way.empty())
        way.push_back({toX, toZ});
    way.back() = {toX, toZ};
    return true;
}

// ---- The pilot ----

enum Phase { EnterCity, FellBuilding, Hunt, ToDepot, ToTheRoof, Land, OffTheRoof, Done };

struct Pilot {
    const Mission *mission;
    int phase;
    int lives, city;       // as the last tick left them
    float cruise;          // y of the height it flies over the city at
    // The way
    std::vector<Point> way;
    size_t wayAt;          // the way's point the craft is at
    float goalX, goalZ;
    uint32_t plannedAt;
    bool wayFound;
    // Flying up and down in the Modern controls: the heading it drifts along
    bool riseChosen;
    float riseHeading;
    // The building it fells
    int target;
    uint32_t phaseBegan;
    // The depot
    float padX, padZ;      // where on its roof
    float dropX, dropZ;    // where the craft starts down to it, at the cruise
    float dropHeading;     // facing this way (Modern: it drifts back on the way down)
    int roof;              // the building the craft is leaving or landing on, else -1
    // The hunt
    uint32_t lastSeen;     // tick an enemy was last in reach
    // What happened, for the report
    uint32_t felledAt, refuelledAt, clearedAt;
    int crashes, shots, enemies;
    bool gaveUp;
};

Pilot p;

void enter(int phase)
{
    p.phase = phase;
    p.phaseBegan = game.tick;
    p.riseChosen = false;
    p.wayFound = false;
    p.plannedAt = 0;
    fprintf(stderr, "tick %u: phase %d, fuel %.1f, lives %d, damage %d, enemies %d, at %.0f %.0f %.0f\n",
            game.tick, phase, game.fuel, game.lives, game.damage, game.enemiesRemaining,
            game.craft.x, game.craft.y, game.craft.z);
}

// Modern: straight up or down with the nose pulled all the way up, drifting a
// little along the heading (forward going up, back going down). True once there.
bool modernRise(TickCommand &cmd, float y, float heading)
{
    float dy = y - game.craft.y;  // below zero: up
    if (fabsf(dy) < 2) {
        stop(cmd);
        return game.craft.speed == 0;
    }
    if (!p.riseChosen && heading >= 0)
        p.riseChosen = true, p.riseHeading = heading;
    if (!p.riseChosen) {  // a heading whose drift meets no wall
        float drift = 0.1763f * fabsf(dy) * (dy < 0 ? 1 : -1) + (dy < 0 ? 6 : -6);
        for (int n = 0; n < 24 && !p.riseChosen; n++) {
            float h = addAngle360(game.craft.yaw, (float)((n + 1) / 2 * 15 * (n % 2 ? 1 : -1)));
            h = roundf(h);
            float x = game.craft.x + sinf(h * pi / 180) * drift, z = game.craft.z + cosf(h * pi / 180) * drift;
            if (segmentClear(game.craft.x, game.craft.y, game.craft.z, x, y, z, 4, p.roof))
                p.riseChosen = true, p.riseHeading = h;
        }
        if (!p.riseChosen)
            p.riseChosen = true, p.riseHeading = roundf(game.craft.yaw);
    }
    steerTo(cmd, p.riseHeading);
    pitchTo(cmd, -80);
    if (fabsf(turnBetween(p.riseHeading, game.craft.yaw)) > 0.5f || noseDown(game.craft.pitch) > -79.9f) {
        stop(cmd);
        return false;
    }
    float speed = clampf(fabsf(dy) / 3, 0.5f, 8);
    holdSpeed(cmd, dy < 0 ? speed : -speed);
    Craft next = craftAfter(cmd);
    if (solidAt(next.x, next.y, next.z, 0)) {
        cmd.buttons = CmdStop;
        p.riseChosen = false;
    }
    return false;
}

// Up or down in place, by either controls. True once there.
bool riseTo(TickCommand &cmd, float y, float heading = -1)
{
    if (!game.settings.oldSchool)
        return modernRise(cmd, y, heading);
    stop(cmd);
    holdHeight(cmd, y, 8);
    return fabsf(y - game.craft.y) < 2 && fabsf(game.craft.torque) < 1;
}

// Level flight along the way to a point, at the cruising height. True once there.
bool flyTo(TickCommand &cmd, float x, float z)
{
    float far = hypotf(x - game.craft.x, z - game.craft.z);
    if (far < 3) {
        stop(cmd);
        if (game.settings.oldSchool)
            holdHeight(cmd, p.cruise, 8);
        else
            pitchTo(cmd, 0);
        return game.craft.speed == 0;
    }
    if (fabsf(game.craft.y - p.cruise) > 20) {  // up (or down) to the cruise first
        riseTo(cmd, p.cruise);
        return false;
    }
    if (!p.wayFound || game.tick - p.plannedAt > 90 || hypotf(x - p.goalX, z - p.goalZ) > 20) {
        drawMap(p.cruise);
        p.wayFound = findWay(game.craft.x, game.craft.z, x, z, p.way);
        p.wayAt = 0, p.goalX = x, p.goalZ = z, p.plannedAt = game.tick;
    }
    Point aim = {x, z};
    if (p.wayFound) {
        // The nearest point of the way ahead, then the farthest one in sight.
        size_t at = p.wayAt;
        for (size_t n = p.wayAt; n < p.way.size() && n < p.wayAt + 30; n++)
            if (hypotf(p.way[n].x - game.craft.x, p.way[n].z - game.craft.z) <
                hypotf(p.way[at].x - game.craft.x, p.way[at].z - game.craft.z))
                at = n;
        p.wayAt = at;
        aim = p.way[at];
        for (size_t n = at; n < p.way.size() && n < at + 40; n++)
            if (mapLineClear(game.craft.x, game.craft.z, p.way[n].x, p.way[n].z))
                aim = p.way[n];
    }
    float heading = headingTo(aim.x - game.craft.x, aim.z - game.craft.z);
    float off = fabsf(turnBetween(heading, game.craft.yaw));
    steerTo(cmd, heading);
    float speed = off > 20 ? 0 : clampf(far / 4, 0.5f, 6) * cosf(off * pi / 180);
    if (game.settings.oldSchool)
        holdHeight(cmd, p.cruise, 8);
    else
        pitchTo(cmd, clampf(degrees(atan2f(p.cruise - game.craft.y, 30)), -20, 20));
    if (speed < 0.5f)
        stop(cmd);
    else
        holdSpeed(cmd, speed);
    for (int k = 0; k < 2; k++) {  // never into a wall
        Craft next = craftAfter(cmd);
        float ahead = (float)(k + 1);
        float nx = game.craft.x + (next.x - game.craft.x) * ahead, nz = game.craft.z + (next.z - game.craft.z) * ahead;
        float ny = game.craft.y + (next.y - game.craft.y) * ahead;
        if (solidAt(nx, ny, nz, 3)) {
            cmd.buttons = (uint16_t)((cmd.buttons & ~(CmdFaster | CmdSlower)) | CmdStop);
            break;
        }
    }
    return false;
}

// ---- Felling a building ----

// A tall building in front, in reach of the beam, which the beam meets first
// when aimed at its middle at the craft's height.
int buildingToFell()
{
    int best = -1;
    float nearest = 500;
    for (int n = 0; n < citySlots * cityStrips; n++) {
        const CityCell &c = cellOf(n);
        if (c.state != BuildingStanding || !c.quad || c.isFuelDepot || c.height < altitude() + 40)
            continue;
        const Transform &t = c.quad->transform;
        float dx = t.x - game.craft.x, dz = t.z + c.depth / 2 - game.craft.z;
        float far = hypotf(dx, dz);
        if (far > nearest || far < 60)
            continue;
        Ray r = rayOf(game.craft.x, game.craft.y, game.craft.z, headingTo(dx, dz), 0);
        int first;
        firstBuilding(r, &first);
        if (first == n)
            best = n, nearest = far;
    }
    return best;
}

void fell(TickCommand &cmd)
{
    stop(cmd);
    if (game.settings.oldSchool)
        holdHeight(cmd, game.craft.y, 4);
    else
        pitchTo(cmd, 0);
    const CityCell &c = cellOf(p.target);
    const Transform &t = c.quad->transform;
    float heading = headingTo(t.x - game.craft.x, t.z + c.depth / 2 - game.craft.z);
    steerTo(cmd, heading);
    Craft next = craftAfter(cmd);
    int first;
    firstBuilding(rayOf(next.x, next.y, next.z, next.yaw, next.pitch), &first);
    if (first == p.target && !game.beamActive)
        cmd.buttons |= CmdFire;
}

// ---- The hunt ----

struct Sighting {
    int enemy, tick;      // which, and after how many ticks it can be had
    float yaw, down, y;   // the aim then: heading, pitch, and (Old School) the height
};

// The enemy that can be had soonest from here: the nose turned to where it
// will be, and the beam meeting it there before any building.
bool sightEnemy(Sighting &s, bool sparing)
{
    float rate = (float)game.settings.sensitivity;
    float floor = -floorUnder(game.craft.x, game.craft.z, 4) - 6;
    for (int k = 1; k <= foresight; k++)
        for (int n = 0; n < game.enemyCount && n < maxEnemies; n++) {
            const Ghost &g = ahead[k][n];
            if (!g.active || (sparing && game.enemiesRemaining <= 1))
                continue;
            float dx = g.x - game.craft.x, dz = g.z - game.craft.z;
            if (hypotf(hypotf(dx, dz), g.y - game.craft.y) > p.mission->reach)
                continue;
            float yaw = headingTo(dx, dz);
            float turnTicks = fabsf(turnBetween(yaw, game.craft.yaw)) / rate;
            Ray r;
            float down = 0, y = game.craft.y;
            if (game.settings.oldSchool) {
                y = g.y;
                if (y < -298 || y > floor)
                    continue;
                float climb = fabsf(y - game.craft.y);
                float climbTicks = climb < 10 ? climb / 2 : 3 + climb / 9;
                if (std::max(turnTicks, climbTicks) > k)
                    continue;
                r = rayOf(game.craft.x, y, game.craft.z, yaw, 0);
            } else {
                down = degrees(atan2f(g.y - game.craft.y, hypotf(dx, dz)));
                if (down < -80 || down > 30)
                    continue;
                float pitchTicks = fabsf(down - noseDown(game.craft.pitch)) / 3;
                if (std::max(turnTicks, pitchTicks) > k)
                    continue;
                r = rayOf(game.craft.x, game.craft.y, game.craft.z, yaw, down < 0 ? down + 360 : down);
            }
            int building;
            float wall = firstBuilding(r, &building);
            float step = stepToEnemy(r, g.x, g.y, g.z, g.scale[0]);
            if (step > wall || step > beamReach)
                continue;
            s = {n, k, yaw, down, y};
            return true;
        }
    return false;
}

// Where to look from next: over the nearest enemy, as near as the way allows.
bool nearestEnemy(float &x, float &z)
{
    float best = never;
    for (int n = 0; n < game.enemyCount; n++) {
        const Enemy &e = game.enemies[n];
        if (e.state != EnemyActive)
            continue;
        const Transform &t = e.cubes[0]->transform;
        float d = hypotf(t.x - game.craft.x, t.z - game.craft.z);
        if (d < best)
            best = d, x = t.x, z = t.z;
    }
    return best < never;
}

void hunt(TickCommand &cmd)
{
    bool sparing = p.refuelledAt == 0;  // the last enemy waits for the refuelling
    Sighting s;
    if (sightEnemy(s, sparing)) {
        p.lastSeen = game.tick;
        p.wayFound = false;
        stop(cmd);
        steerTo(cmd, s.yaw);
        if (game.settings.oldSchool)
            holdHeight(cmd, s.y, 9);
        else
            pitchTo(cmd, s.down);
    } else if (game.tick - p.lastSeen > 15) {
        float x = 0, z = 0;
        if (nearestEnemy(x, z)) {
            drawMap(p.cruise);
            for (int ring = 0; ring < 60 && mapBlocked(x, z); ring++)  // the nearest open square
                x += (x < game.craft.x ? 1.0f : -1.0f) * cell, z += (z < game.craft.z ? 1.0f : -1.0f) * cell;
            flyTo(cmd, x, z);
        }
    } else {
        stop(cmd);
        if (game.settings.oldSchool)
            holdHeight(cmd, game.craft.y, 4);
    }
    Craft next = craftAfter(cmd);
    int taken = beamTakes(next);
    if (taken >= 0 && !game.beamActive && !(sparing && game.enemiesRemaining <= 1)) {
        cmd.buttons |= CmdFire;
        p.shots++;
    }
}

// ---- The depot ----

// The height the craft comes down to before it lands.
float padAbove()
{
    return -depot().height - (game.settings.oldSchool ? 12 : 3);
}

// A square of the depot's roof with nothing over it, and a heading from which
// the craft can sink onto it.
void choosePad()
{
    const CityCell &d = depot();
    const Transform &t = d.quad->transform;
    float best = never;
    p.padX = t.x, p.padZ = t.z + d.depth / 2;
    for (float x = t.x - d.width / 2 + 8; x <= t.x + d.width / 2 - 8; x += 2)
        for (float z = t.z + 8; z <= t.z + d.depth - 8; z += 2) {
            float away = hypotf(x - t.x, z - t.z - d.depth / 2);
            if (away >= best)
                continue;
            bool clear = true;
            for (float y = -d.height - 3; y > p.cruise - 10 && clear; y -= 10)
                clear = !solidAt(x, y, z, 6);
            if (clear)
                best = away, p.padX = x, p.padZ = z;
        }
    p.dropX = p.padX, p.dropZ = p.padZ, p.dropHeading = -1;
    if (game.settings.oldSchool)
        return;
    float drift = 0.1763f * (padAbove() - p.cruise), nearest = never;
    drawMap(p.cruise);
    for (int n = 0; n < 24; n++) {
        float h = (float)(n * 15), x = p.padX + sinf(h * pi / 180) * drift,
              z = p.padZ + cosf(h * pi / 180) * drift;
        float far = hypotf(x - game.craft.x, z - game.craft.z);
        if (far < nearest && !mapBlocked(x, z) &&
            segmentClear(x, p.cruise, z, p.padX, padAbove(), p.padZ, 4, game.fuelDepotIndex))
            nearest = far, p.dropX = x, p.dropZ = z, p.dropHeading = h;
    }
}

// ---- The plan ----

TickCommand escape()
{
    TickCommand cmd = {};
    cmd.buttons = CmdEscape;
    return cmd;
}

TickCommand fly()
{
    TickCommand cmd = {};
    if (game.tick > giveUpTicks) {
        p.gaveUp = true;
        return escape();
    }
    if (game.citiesCleared >= p.mission->cities) {  // the approach has shown the next city
        p.clearedAt = game.tick;
        enter(Done);
        return escape();
    }
    if (game.lives != p.lives || game.citiesCleared != p.city) {  // at the city's edge again
        p.crashes += game.lives != p.lives;
        p.lives = game.lives, p.city = game.citiesCleared;
        enter(EnterCity);
    }
    if (game.enemiesRemaining != p.enemies) {
        p.enemies = game.enemiesRemaining;
        fprintf(stderr, "tick %u: %d enemies left\n", game.tick, p.enemies);
    }
    foresee();
    switch (p.phase) {
    case EnterCity:
        if (!game.settings.oldSchool && game.craft.z < -19) {
            // Modern, on the city's edge: backing up with the nose down climbs
            // facing the city, the edge holding the craft where it is.
            pitchTo(cmd, 30);
            if (noseDown(game.craft.pitch) > 29)
                holdSpeed(cmd, -8);
            if (game.craft.y < p.cruise + 4)
                holdSpeed(cmd, 0), stop(cmd);
            if (game.craft.y <= p.cruise + 4 && game.craft.speed == 0) {
                p.target = p.felledAt ? -1 : buildingToFell();
                enter(p.target >= 0 ? FellBuilding : Hunt);
            }
        } else if (riseTo(cmd, p.cruise)) {
            p.target = p.felledAt ? -1 : buildingToFell();
            enter(p.target >= 0 ? FellBuilding : Hunt);
        }
        break;
    case FellBuilding:
        if (cellOf(p.target).state != BuildingStanding) {
            p.felledAt = game.tick;
            enter(Hunt);
        } else if (game.tick - p.phaseBegan > 300) {
            enter(Hunt);
        } else {
            fell(cmd);
        }
        break;
    case Hunt:
        if (!p.refuelledAt && (game.fuel < p.mission->refuelAt || game.enemiesRemaining <= 1)) {
            choosePad();
            enter(ToDepot);
            break;
        }
        hunt(cmd);
        break;
    case ToDepot:
        if (flyTo(cmd, p.dropX, p.dropZ)) {
            p.roof = game.fuelDepotIndex;
            enter(ToTheRoof);
        }
        break;
    case ToTheRoof:  // straight down (Modern: drifting back onto the pad), to just over the roof
        if (riseTo(cmd, padAbove(), p.dropHeading))
            enter(Land);
        break;
    case Land:
        if (game.fuel == 100.0f && game.craft.speed == 0) {
            p.refuelledAt = game.tick;
            enter(OffTheRoof);
            break;
        }
        if (game.settings.oldSchool) {
            stop(cmd);
            holdHeight(cmd, -depot().height + 5, 3);
        } else {  // level the nose, then creep forward and down onto the roof
            pitchTo(cmd, 18);
            if (noseDown(game.craft.pitch) >= 17.5f && noseDown(game.craft.pitch) <= 20)
                holdSpeed(cmd, 1);
            else
                stop(cmd);
        }
        break;
    case OffTheRoof:
        if (game.tick - p.phaseBegan < 45) {  // a moment on the roof, filling up
            stop(cmd);
            break;
        }
        if (riseTo(cmd, p.cruise)) {
            p.roof = -1;
            enter(Hunt);
        }
        break;
    }
    return cmd;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc < 2 || argc > 4) {
        fprintf(stderr, "Usage: attract_pilot OUTPUT_FOLDER [DEMO [SEED]] (run in a runtime folder)\n");
        return 2;
    }
    if (!initSystem() || !loadGraphics() || !loadSounds()) {
        fprintf(stderr, "attract_pilot: the game could not start\n");
        return 1;
    }
    for (HighScoreEntry &row : game.highScores)
        row.score = 1 << 30;  // no initials to type
    readPlayerFrom(fly);
    int failed = 0;
    for (const Mission &m : missions) {
        if (argc >= 3 && strcmp(argv[2], m.file) != 0)
            continue;
        game.settings.oldSchool = m.oldSchool, game.settings.classic = m.classic;
        game.settings.difficulty = m.difficulty, game.settings.numLives = m.lives;
        game.settings.sensitivity = m.sensitivity, game.settings.useMouse = false;
        game.settings.frameRate = 30, game.settings.lowSpeedPC = false;
        game.settings.pauseWhenUnfocused = false;
        game.pacingStarted = true, game.frameTime = 0;  // as fast as the frames go
        p = Pilot();
        p.mission = &m, p.phase = EnterCity, p.lives = m.lives, p.cruise = -292;
        p.target = -1, p.roof = -1;
        game.citySeed = argc == 4 ? (uint32_t)strtoul(argv[3], nullptr, 10) : m.seed;
        game.citiesCleared = 0;
        seedRandom(game.logicRandom, game.citySeed);
        buildCity();
        runGame();
        freeCity();
        std::string out = std::string(argv[1]) + "/" + m.file;
        std::filesystem::copy_file(lastDemoPath, out,
                                   std::filesystem::copy_options::overwrite_existing);
        printf("%s (seed %u): score %d, cities %d, lives %d, ticks %u (%.1f min); building felled "
               "at %u, refuelled at %u, cleared at %u, crashes %d, shots %d%s\n",
               m.file, game.citySeed, game.score, game.citiesCleared, game.lives, game.tick,
               game.tick * game.tickMs / 60000.0, p.felledAt, p.refuelledAt, p.clearedAt,
               p.crashes, p.shots, p.gaveUp ? " (gave up)" : "");
        fflush(stdout);
        failed += p.gaveUp || !p.felledAt || !p.refuelledAt || !p.clearedAt || p.crashes;
    }
    freeSounds();
    freeGraphics();
    return failed ? 1 : 0;
}
END_OF_MAIN()
