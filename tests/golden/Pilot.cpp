// The golden demos' pilot: plays whole games through the tick command's door
// as a player would, steering by what a player sees (where the enemies and the
// depot are, its own instruments), and keeps each game's demo. Run by
// tools/record-golden-demos.sh; the demos are checked into tests/golden and
// ship as the attract mode's first games.
#include <allegro.h>

#include <cmath>
#include <cstdio>
#include <filesystem>

#include "Std/3D.h"
#include "Zephyrion/City.h"
#include "Zephyrion/Demo.h"
#include "Zephyrion/Game.h"
#include "Zephyrion/GameState.h"
#include "Zephyrion/Graphics.h"
#include "Zephyrion/Zephyrion.h"

namespace {

const float pi = 3.14159f;
const uint32_t giveUpTicks = 40000;  // over 20 minutes of play: the plan does not work here

enum Plan { HuntTwoCities, RefuelThenCrash };

struct Mission {
    const char *file;   // written in the output folder
    int plan;
    bool oldSchool, classic;
    int difficulty, lives;
    uint32_t seed;      // the city's
};

const Mission missions[] = {
    {"clear-a-city.zdemo", HuntTwoCities, false, false, 1, 3, 20261210u},
    {"old-school-refuel-and-crash.zdemo", RefuelThenCrash, true, true, 2, 2, 4711u},
};

int plan, phase;
uint32_t phaseBegan;
bool gaveUp;

float clampf(float v, float low, float high)
{
    return v < low ? low : v > high ? high : v;
}

float headingTo(float dx, float dz)
{
    float a = atan2f(dx, dz) * 180 / pi;
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

// Turns toward a heading: full travel while far off, then just enough.
void steerTo(TickCommand &cmd, float heading)
{
    cmd.turn = travel(turnBetween(heading, camera->yaw) / (float)game.settings.sensitivity);
}

void holdSpeed(TickCommand &cmd, float speed)
{
    if (camera->speed < speed - 0.25f)
        cmd.buttons |= CmdFaster;
    else if (camera->speed > speed + 0.25f)
        cmd.buttons |= CmdSlower;
}

// Old School: the torque that sinks (or climbs) toward a height.
void holdHeight(TickCommand &cmd, float y)
{
    float rate = clampf((y - camera->y) / 8, -4, 4);
    cmd.forward = travel((rate - camera->torque) / 2);
}

const Enemy *nearestEnemy()
{
    const Enemy *nearest = nullptr;
    float best = 1e9f;
    for (int n = 0; n < game.enemyCount; n++) {
        const Enemy &e = game.enemies[n];
        if (e.state != EnemyActive)
            continue;
        const Transform &t = e.cubes[0]->transform;
        float d = hypotf(hypotf(t.x - camera->x, t.z - camera->z), t.y - camera->y);
        if (d < best)
            best = d, nearest = &e;
    }
    return nearest;
}

// Where an enemy will be when the beam is tested: after its move this tick.
void lead(const Enemy &e, float &x, float &y, float &z)
{
    const Transform &t = e.cubes[0]->transform;
    x = t.x, y = t.y, z = t.z;
    moveAlongHeading(&x, &y, &z, e.yaw, e.pitch, e.speed);
}

// Modern: hovering high on the city's southern edge, clear of every
// building, the nose on the nearest enemy and the beam on while it is in the
// sights.
TickCommand hunt()
{
    TickCommand cmd = {};
    const float post = -280;  // y of the hover
    if (camera->y > post + 50)
        phase = 0;  // a new life, low on the city's edge
    if (phase == 0) {         // face south, away from the buildings, and climb
        steerTo(cmd, 180);
        if (fabsf(turnBetween(180, camera->yaw)) < 1) {
            cmd.forward = travel((280.0f - 360 - (camera->pitch > 180 ? camera->pitch - 360 : camera->pitch)) / 3);
            holdSpeed(cmd, camera->y > post ? 2.0f : 0.0f);
        }
        if (camera->y <= post + 2)
            phase = 1;
        return cmd;
    }
    if (camera->speed != 0)
        cmd.buttons |= CmdStop;
    const Enemy *e = nearestEnemy();
    if (!e)
        return cmd;
    float x, y, z;
    lead(*e, x, y, z);
    float dx = x - camera->x, dy = y - camera->y, dz = z - camera->z;
    float flat = hypotf(dx, dz), distance = hypotf(flat, dy);
    float heading = headingTo(dx, dz);
    float pitch = clampf(atan2f(dy, flat) * 180 / pi, -80, 30);  // down is positive
    float now = camera->pitch > 180 ? camera->pitch - 360 : camera->pitch;
    steerTo(cmd, heading);
    cmd.forward = travel((pitch - now) / 3);
    float off = fabsf(turnBetween(heading, camera->yaw)) + fabsf(pitch - now);
    if (off < 8 && distance < 750)
        cmd.buttons |= CmdFire;
    return cmd;
}

const CityCell &depot()
{
    return game.city[game.fuelDepotIndex % citySlots][game.fuelDepotIndex / citySlots];
}

// Old School: over the depot's roof, stop, and sink onto it.
TickCommand toTheDepot()
{
    TickCommand cmd = {};
    const CityCell &d = depot();
    float x = d.quad->transform.x, z = d.quad->transform.z + d.depth / 2;
    float dx = x - camera->x, dz = z - camera->z, away = hypotf(dx, dz);
    float roof = -d.height;
    if (away > 12) {
        holdHeight(cmd, roof - 40);
        steerTo(cmd, headingTo(dx, dz));
        holdSpeed(cmd, away > 120 ? 5.0f : 1.5f);
    } else {
        cmd.buttons |= CmdStop;
        holdHeight(cmd, roof + 5);  // down onto it
    }
    return cmd;
}

const CityCell *wallToRam()
{
    const CityCell *best = nullptr;
    float nearest = 1e9f;
    for (int j = 0; j < cityStrips; j++)
        for (int i = 0; i < citySlots; i++) {
            const CityCell &c = game.city[i][j];
            if (c.state != BuildingStanding || c.height < depot().height + 80)
                continue;
            float d = hypotf(c.quad->transform.x - camera->x,
                             c.quad->transform.z + c.depth / 2 - camera->z);
            if (d < nearest)
                nearest = d, best = &c;
        }
    return best;
}

// Old School: into the nearest taller building's wall at full speed, again
// and again, until the damage sends the craft down.
TickCommand ram()
{
    TickCommand cmd = {};
    holdHeight(cmd, -depot().height - 30);
    if (game.collisionFlag)
        return cmd;
    const CityCell *wall = wallToRam();
    if (!wall)
        return cmd;
    steerTo(cmd, headingTo(wall->quad->transform.x - camera->x,
                           wall->quad->transform.z + wall->depth / 2 - camera->z));
    holdSpeed(cmd, 10);
    return cmd;
}

TickCommand escape()
{
    TickCommand cmd = {};
    cmd.buttons = CmdEscape;
    return cmd;
}

void nextPhase()
{
    phase++;
    phaseBegan = game.tick;
    fprintf(stderr, "tick %u: phase %d, fuel %.1f, lives %d, damage %d\n", game.tick, phase,
            game.fuel, game.lives, game.damage);
}

TickCommand pilot()
{
    if (game.tick > giveUpTicks) {
        gaveUp = true;
        return escape();
    }
    if (plan == HuntTwoCities) {
        if (game.citiesCleared == 0)
            return hunt();
        if (phase < 2)
            nextPhase(), phase = 2;
        return game.tick - phaseBegan < 900 ? TickCommand{} : escape();
    }
    switch (phase) {
    case 0:  // fly a while, so that the tank is no longer full, then refuel
        if (game.tick > 900 && game.fuel == 100.0f && camera->speed == 0)
            nextPhase();
        return game.tick > 300 ? toTheDepot() : TickCommand{};
    case 1:
        if (game.craftState != Flying)
            nextPhase();
        return ram();
    case 2:  // the next life: the approach, then a while over the city
        if (game.craftState == Flying && game.tick - phaseBegan > 700)
            return escape();
        return TickCommand{};
    }
    return escape();
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        fprintf(stderr, "Usage: golden_pilot OUTPUT_FOLDER (run in a runtime folder)\n");
        return 2;
    }
    if (!initSystem() || !loadGraphics() || !loadSounds()) {
        fprintf(stderr, "golden_pilot: the game could not start\n");
        return 1;
    }
    for (HighScoreEntry &row : game.highScores)
        row.score = 1 << 30;  // no initials to type
    readPlayerFrom(pilot);
    int failed = 0;
    for (const Mission &m : missions) {
        game.settings.oldSchool = m.oldSchool, game.settings.classic = m.classic;
        game.settings.difficulty = m.difficulty, game.settings.numLives = m.lives;
        game.settings.pauseWhenUnfocused = false;
        game.pacingStarted = true, game.frameTime = 0;  // as fast as the frames go
        plan = m.plan, phase = 0, phaseBegan = 0, gaveUp = false;
        game.citySeed = m.seed;
        seedRandom(game.logicRandom, m.seed);
        game.citiesCleared = 0;
        buildCity();
        runGame();
        freeCity();
        std::string out = std::string(argv[1]) + "/" + m.file;
        std::filesystem::copy_file(lastDemoPath, out,
                                   std::filesystem::copy_options::overwrite_existing);
        printf("%s: score %d, cities %d, lives %d, ticks %u%s\n", m.file, game.score,
               game.citiesCleared, game.lives, game.tick, gaveUp ? " (gave up)" : "");
        failed += gaveUp;
    }
    freeSounds();
    freeGraphics();
    return failed ? 1 : 0;
}
END_OF_MAIN()
