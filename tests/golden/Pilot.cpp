// The golden demos' pilot: plays whole games through the tick command's door
// as a player would, steering by what a player sees (where the enemies and the
// depot are, its own instruments), and keeps each game's demo. Run by
// tools/record-golden-demos.sh; the demos are checked into tests/golden. The
// attract mode's games are another pilot's: AttractPilot.cpp.
#include <allegro.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "Std/3D.h"
#include "Zephyrion/City.h"
#include "Zephyrion/Demo.h"
#include "Zephyrion/Game.h"
#include "Zephyrion/GameState.h"
#include "Zephyrion/Graphics.h"
#include "Zephyrion/Shots.h"
#include "Zephyrion/Zephyrion.h"

namespace {

const float pi = 3.14159f;
const uint32_t giveUpTicks = 40000;  // over 20 minutes of play: the plan does not work here

enum Plan { HuntTwoCities, RefuelThenCrash, ClearTwentyOne };

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
    {"twenty-one-cities.zdemo", ClearTwentyOne, false, false, 2, 3, 777u},  // the soak's
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
    cmd.turn = travel(turnBetween(heading, game.craft.yaw) / (float)game.settings.sensitivity);
}

void holdSpeed(TickCommand &cmd, float speed)
{
    if (game.craft.speed < speed - 0.25f)
        cmd.buttons |= CmdFaster;
    else if (game.craft.speed > speed + 0.25f)
        cmd.buttons |= CmdSlower;
}

// Old School: the torque that sinks (or climbs) toward a height.
void holdHeight(TickCommand &cmd, float y)
{
    float rate = clampf((y - game.craft.y) / 8, -4, 4);
    cmd.forward = travel((rate - game.craft.torque) / 2);
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
        float d = hypotf(hypotf(t.x - game.craft.x, t.z - game.craft.z), t.y - game.craft.y);
        if (d < best)
            best = d, nearest = &e;
    }
    return nearest;
}

// The pitch as degrees the nose is down, -80 .. 30.
float noseDown()
{
    return game.craft.pitch > 180 ? game.craft.pitch - 360 : game.craft.pitch;
}

// Where an enemy will be when the beam is tested: after its move this tick.
void lead(const Enemy &e, float &x, float &y, float &z)
{
    const Transform &t = e.cubes[0]->transform;
    x = t.x, y = t.y, z = t.z;
    moveAlongHeading(&x, &y, &z, e.yaw, e.pitch, e.speed);
}

// The beam as the game marches it: does it meet the enemy before a building?
bool inTheSights(const Enemy &e, float x, float y, float z)
{
    double yaw = game.craft.yaw * 3.14159 / 180, pitch = game.craft.pitch * 3.14159 / 180;
    float dx = (float)(sin(yaw) * cos(pitch)), dy = (float)sin(pitch),
          dz = (float)(cos(yaw) * cos(pitch));
    float reach = 6 * e.cubes[0]->transform.scale;
    float px = game.craft.x, py = game.craft.y, pz = game.craft.z;
    for (int t = 0; t < 750; t++) {
        px += dx, py += dy, pz += dz;
        if (fabsf(px - x) <= reach && fabsf(py - y) <= reach && fabsf(pz - z) <= reach)
            return true;
        if (buildingAtPoint(px, py, pz) >= 0)
            return false;
    }
    return false;
}

// Modern: hovering high on the city's southern edge, clear of every
// building, the nose on the nearest enemy and the beam on while it is in the
// sights.
TickCommand hunt()
{
    TickCommand cmd = {};
    const float post = -280;  // y of the hover
    if (game.craft.y > post + 50)
        phase = 0;  // a new life, low on the city's edge
    if (phase == 0) {         // face south, away from the buildings, and climb
        steerTo(cmd, 180);
        if (fabsf(turnBetween(180, game.craft.yaw)) < 1) {
            cmd.forward = travel((-80 - noseDown()) / 3);  // the nose all the way up
            holdSpeed(cmd, game.craft.y > post ? 2.0f : 0.0f);
        }
        if (game.craft.y <= post + 2)
            phase = 1;
        return cmd;
    }
    if (game.craft.speed != 0)
        cmd.buttons |= CmdStop;
    const Enemy *e = nearestEnemy();
    if (!e)
        return cmd;
    float x, y, z;
    lead(*e, x, y, z);
    float dx = x - game.craft.x, dy = y - game.craft.y, dz = z - game.craft.z;
    float pitch = clampf(atan2f(dy, hypotf(dx, dz)) * 180 / pi, -80, 30);
    steerTo(cmd, headingTo(dx, dz));
    cmd.forward = travel((pitch - noseDown()) / 3);
    if (inTheSights(*e, x, y, z))
        cmd.buttons |= CmdFire;
    return cmd;
}

const CityCell &depot()
{
    return game.city[game.fuelDepotIndex % citySlots][game.fuelDepotIndex / citySlots];
}

// Old School: along the city's southern edge, clear of the buildings, to
// the depot's street (the recorded cities have their depot in the first
// strip), then north over its roof, stop, and sink onto it.
TickCommand toTheDepot()
{
    TickCommand cmd = {};
    const CityCell &d = depot();
    float x = d.quad->transform.x, z = d.quad->transform.z + d.depth / 2;
    float above = -d.height - 40;
    holdHeight(cmd, above);
    if (game.craft.z < 0 && game.craft.y > above + 5)
        return cmd;  // up first, in place
    float dx = x - game.craft.x;
    if (fabsf(dx) > 3 && game.craft.z < 0) {  // along the edge
        float heading = dx > 0 ? 90 : 270;
        steerTo(cmd, heading);
        if (fabsf(turnBetween(heading, game.craft.yaw)) < 1)
            holdSpeed(cmd, fabsf(dx) > 60 ? 4.0f : 1.0f);
        else if (game.craft.speed != 0)
            cmd.buttons |= CmdStop;
        return cmd;
    }
    float dz = z - game.craft.z;
    if (dz > 3) {  // north, over the roof
        steerTo(cmd, 0);
        if (fabsf(turnBetween(0, game.craft.yaw)) < 1)
            holdSpeed(cmd, dz > 40 ? 2.0f : 1.0f);
        else if (game.craft.speed != 0)
            cmd.buttons |= CmdStop;
        return cmd;
    }
    if (game.craft.speed != 0)
        cmd.buttons |= CmdStop;  // which takes the torque too
    else
        holdHeight(cmd, -d.height + 5);  // down onto it
    return cmd;
}

// Old School: back to the southern edge, down below the roofs, and north
// into the first strip's wall at full speed, again and again, until the
// damage sends the craft down.
TickCommand ram()
{
    TickCommand cmd = {};
    if (game.collisionFlag)
        return cmd;
    if (phase == 1) {  // off the roof and back south, over the edge
        holdHeight(cmd, -depot().height - 40);
        steerTo(cmd, 180);
        if (fabsf(turnBetween(180, game.craft.yaw)) < 1)
            holdSpeed(cmd, 2);
        if (game.craft.z <= -19)
            phase = 2;
        return cmd;
    }
    holdHeight(cmd, -40);
    if (game.craft.y < -45) {
        if (game.craft.speed != 0)
            cmd.buttons |= CmdStop;
        return cmd;
    }
    steerTo(cmd, 0);
    if (game.craft.yaw == 0 || game.craft.yaw == 360)
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
    if (plan == ClearTwentyOne) {  // the developers' Shift+F1, as soon as each city is ours
        TickCommand cmd = {};
        cmd.buttons = game.citiesCleared < 21 ? CmdClearCity : CmdEscape;
        return cmd;
    }
    if (plan == HuntTwoCities) {
        if (game.citiesCleared == 0)
            return hunt();
        if (phase < 2)
            nextPhase(), phase = 2;
        return game.tick - phaseBegan < 900 ? TickCommand{} : escape();
    }
    switch (phase) {
    case 0:  // wait a while, so that the tank is no longer full, then refuel
        if (game.tick > 900 && game.fuel == 100.0f && game.craft.speed == 0)
            nextPhase();
        return game.tick > 600 ? toTheDepot() : TickCommand{};
    case 1:
    case 2:
        if (game.craftState != Flying)
            phase = 2, nextPhase();
        return ram();
    case 3:  // the next life: a while over the city
        if (game.craftState == Flying && game.tick - phaseBegan > 700)
            return escape();
        return TickCommand{};
    }
    return escape();
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc < 2 || argc > 3) {
        fprintf(stderr, "Usage: golden_pilot OUTPUT_FOLDER [DEMO] (run in a runtime folder)\n");
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
        if (argc == 3 && strcmp(argv[2], m.file) != 0)
            continue;
        game.settings.oldSchool = m.oldSchool, game.settings.classic = m.classic;
        game.settings.difficulty = m.difficulty, game.settings.numLives = m.lives;
        game.settings.pauseWhenUnfocused = false;
        game.pacingStarted = true, game.frameTime = 0;  // as fast as the frames go
        plan = m.plan, phase = 0, phaseBegan = 0, gaveUp = false;
        game.citySeed = m.seed;
        game.citiesCleared = 0;
        for (;; game.citySeed++) {  // the refuelling plan needs its depot by the edge
            seedRandom(game.logicRandom, game.citySeed);
            buildCity();
            if (m.plan != RefuelThenCrash || game.fuelDepotIndex < citySlots)
                break;
            freeCity();
        }
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
