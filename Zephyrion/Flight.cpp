// The craft's flight. See Flight.h.
#include "Zephyrion/Flight.h"

#include <allegro.h>

#include <cmath>

#include "Std/3D.h"
#include "Zephyrion/GameState.h"
#include "Zephyrion/Layout.h"
#include "Zephyrion/Interpolation.h"
#include "Zephyrion/Sounds.h"
#include "Zephyrion/Shots.h"
#include "Zephyrion/TickCommand.h"
#include "Zephyrion/Timers.h"

static const float crashPitchStep = 3.0f;   // degrees a frame the nose drops while falling
static const float pitchDownLimit = 30.0f;  // the steepest nose-down pitch
static const float pitchUpLimit = 280.0f;   // the steepest nose-up pitch (80 up)
static const float crashTopSpeed = 10.0f;
static const float crashSpeedGain = 0.5f;   // a frame, while falling
static const float crashTorqueGain = 0.5f;  // a frame, Old School
static const float lowestFlight = -20.0f;   // y of the lowest altitude: the ground for a fall
static const float highestFlight = -300.0f; // y of the highest altitude
static const float pitchStep = 3.0f;        // degrees a frame, keys and recovery turns
static const float speedStep = 0.5f;        // a frame, throttle
static const float topSpeed = 10.0f;        // either way
static const float torqueStep = 2.0f, torqueDecay = 1.0f, topTorque = 10.0f;
static const float landingPitch = 20.0f;    // the steepest pitch a roof landing allows
static const float landingSpeed = 2.0f;     // the fastest
static const float landingTorque = 5.0f;    // Old School: the hardest sink rate
static const float pushBack = -3.0f;        // a bounce moves the craft back 3 x its speed
static const float bounceKeep = 0.75f;      // of the speed, after a bounce
static const int hardDifficulty = 3;
static const int hardCollisionDamage = 50;
static const int maxDamage = 50;            // the craft goes down beyond this
static const int crackTop = 50;             // a crack starts at least this far below the top
static const int crackLean = 50;            // degrees either side of straight down, at most
static const uint32_t recoveryMs = 120;     // the collision recovery's beat
static const float recoveryDamping = 0.75f; // speed kept per recovery tick
static const float recoveryStopSpeed = 0.5f;// below this the recovery is over
static const uint32_t fuelMs = 1000;        // the fuel burn's beat
static const float burnPerSpeed = 0.1f / 4; // fuel per unit of |speed| and of difficulty, a second
static const float idleBurn = 0.5f;         // fuel a second whatever the speed

static void keepPitchInRange()
{
    if (game.craft.pitch > pitchDownLimit && game.craft.pitch < pitchUpLimit)
        game.craft.pitch = pitchDownLimit;
}

static void recoveryTurn(float &angle)
{
    angle = game.recoveryTurnUp ? addAngle360(angle, pitchStep) : subAngle360(angle, pitchStep);
    if (fabsf(angle - game.recoveryTarget) <= pitchStep)
        game.recoveryMode = 1;
}

// The craft banks into a turn, as far as it is fast and the turn hard.
static void turn(const TickCommand &cmd)
{
    if (game.collisionFlag) {
        if (game.recoveryMode == 2)
            recoveryTurn(game.craft.yaw);
        else if (game.recoveryMode == 3)
            recoveryTurn(game.craft.pitch);
        return;
    }
    float rate = (float)game.settings.sensitivity;
    float steer = commandTravel(cmd.turn);
    if (steer < 0) {
        game.craft.yaw = subAngle360(game.craft.yaw, rate * -steer);
        game.craft.roll = game.craft.speed * -steer;
    } else if (steer > 0) {
        game.craft.yaw = addAngle360(game.craft.yaw, rate * steer);
        game.craft.roll = -game.craft.speed * steer;
    } else {
        game.craft.roll = 0;
    }
    int mx = cmd.mouseX;
    if (game.settings.useMouse && mx < 0)
        game.craft.yaw = subAngle360(game.craft.yaw, (float)-mx);
    else if (game.settings.useMouse && mx > 0)
        game.craft.yaw = addAngle360(game.craft.yaw, (float)mx);
}

static void noseDown(float degrees)
{
    game.craft.pitch = addAngle360(game.craft.pitch, degrees);
    keepPitchInRange();
}

static void noseUp(float degrees)
{
    game.craft.pitch = subAngle360(game.craft.pitch, degrees);
    if (game.craft.pitch > pitchDownLimit && game.craft.pitch < pitchUpLimit)
        game.craft.pitch = pitchUpLimit;
}

static void throttle(const TickCommand &cmd)
{
    if (cmd.buttons & CmdFaster)
        game.craft.speed = game.craft.speed + speedStep;
    else if (cmd.buttons & CmdSlower)
        game.craft.speed = game.craft.speed - speedStep;
}

// The right mouse button is a throttle: held it speeds up, released it takes
// 0.5 off a forward speed every frame.
static void mouseThrottle(const TickCommand &cmd)
{
    if (cmd.buttons & CmdMouseThrottle)
        game.craft.speed = game.craft.speed + speedStep;
    else if (game.craft.speed > 0)
        game.craft.speed = game.craft.speed - speedStep;
}

static void modernControls(const TickCommand &cmd)
{
    float pitch = commandTravel(cmd.forward);
    int my = cmd.mouseY;
    if (pitch > 0)
        noseDown(pitchStep * pitch);
    else if (pitch < 0)
        noseUp(pitchStep * -pitch);
    throttle(cmd);
    if (game.settings.useMouse) {
        if (my < 0)
            noseDown((float)-my);
        else if (my > 0)
            noseUp((float)my);
        mouseThrottle(cmd);
    }
}

static void decayTorque()
{
    if (game.craft.torque > 0)
        game.craft.torque = game.craft.torque - torqueDecay;
    else if (game.craft.torque < 0)
        game.craft.torque = game.craft.torque + torqueDecay;
}

static float clampFloat(float v, float low, float high)
{
    return v < low ? low : v > high ? high : v;
}

static void oldSchoolControls(const TickCommand &cmd)
{
    int my = cmd.mouseY;
    throttle(cmd);
    if (game.collisionFlag) {
        if (game.craft.pitch > 0 && game.craft.pitch < pitchDownLimit)
            game.craft.pitch -= 1;
        else if (game.craft.pitch > pitchUpLimit && game.craft.pitch < 360)
            game.craft.pitch += 1;
    } else {
        game.craft.pitch = game.craft.speed >= 0 ? (float)game.craft.speed : -(float)game.craft.speed;
    }
    // Forward, as the key Up drives it by default: the craft sinks.
    float sink = commandTravel(cmd.forward);
    if (sink < 0)
        game.craft.torque = game.craft.torque - torqueStep * -sink;
    else if (sink > 0)
        game.craft.torque = game.craft.torque + torqueStep * sink;
    else if (!game.settings.useMouse)
        decayTorque();
    if (game.settings.useMouse) {
        if (my == 0)
            decayTorque();
        else
            game.craft.torque = game.craft.torque + (float)my;
        mouseThrottle(cmd);
    }
    game.craft.torque = clampFloat(game.craft.torque, -topTorque, topTorque);
}

void applyControls(const TickCommand &cmd)
{
    if (cmd.buttons & CmdClearCity)
        game.enemiesRemaining = 0;
    if (cmd.buttons & CmdToggleFps)
        game.settings.showFPS = !game.settings.showFPS;
    turn(cmd);
    bool mouseFires = game.settings.useMouse && (cmd.buttons & CmdMouseFire);
    if (((cmd.buttons & CmdFire) || mouseFires) && !game.beamActive)
        startShot();
    if (game.settings.oldSchool)
        oldSchoolControls(cmd);
    else
        modernControls(cmd);
    if (cmd.buttons & CmdStop) {
        game.craft.speed = 0;
        game.craft.torque = 0;
    }
    game.craft.speed = clampFloat(game.craft.speed, -topSpeed, topSpeed);
}

void moveCraft()
{
    double yaw = game.craft.yaw * 3.14159 / 180, pitch = game.craft.pitch * 3.14159 / 180;
    float speed = game.craft.speed;
    float nx = game.craft.x + (float)(sin(yaw) * cos(pitch) * speed);
    float nz = game.craft.z + (float)(cos(yaw) * cos(pitch) * speed);
    float ny = game.settings.oldSchool ? game.craft.y + game.craft.torque
                                       : game.craft.y + (float)(sin(pitch) * speed);
    if (craftHitsBuilding(nx, ny, nz))
        return;
    game.craft.x = nx;
    game.craft.y = ny;
    game.craft.z = nz;
}

void clampCraft()
{
    const CityBounds &b = game.cityBounds;
    game.craft.x = clampFloat(game.craft.x, b.minX, b.maxX);
    game.craft.y = clampFloat(game.craft.y, highestFlight, lowestFlight);
    game.craft.z = clampFloat(game.craft.z, b.minZ, b.maxZ);
}

// The same box test as the beam's: the first standing building in strip order.
// Whatever the collision does to the craft shows at once.
bool craftHitsBuilding(float nx, float ny, float nz)
{
    int index = buildingAtPoint(nx, ny, nz);
    if (index < 0)
        return false;
    cutCamera();
    const CityCell &c = game.city[index % citySlots][index / citySlots];
    const Transform &t = c.quad->transform;
    resolveBuildingCollision(t.x - c.width / 2, t.y, t.z, t.x + c.width / 2, t.y + c.height,
                             t.z + c.depth, c.isFuelDepot);
    return true;
}

// Moves the craft back along its motion by three times its speed.
static void pushCraftBack()
{
    double yaw = game.craft.yaw * 3.14159 / 180, pitch = game.craft.pitch * 3.14159 / 180;
    float back = pushBack * game.craft.speed;
    game.craft.x += (float)(sin(yaw) * cos(pitch) * back);
    game.craft.y = game.craft.y + (float)(sin(pitch) * back);
    game.craft.z += (float)(cos(yaw) * cos(pitch) * back);
}

static void land(bool isFuelDepot)
{
    game.craft.speed = 0;
    game.craft.y = game.craft.y - 1;  // resting one unit above the roof
    if (!isFuelDepot)
        return;
    playOnce(game.samples.refuel);
    game.fuel = 100.0f;
}

static void collisionEnding(bool headOn)
{
    game.collisionFlag = true;
    if (game.settings.difficulty == hardDifficulty)
        applyDamage(hardCollisionDamage);
    else
        applyDamage((int)(fabsf(game.craft.speed) * (headOn ? 2 : 1)));
}

// Down onto a roof: a gentle touch lands, anything else bounces off it.
static void roofContact(bool isFuelDepot)
{
    if (game.craftState == Crashing) {
        destroyCraft();
        game.lives--;
        return;
    }
    if (game.settings.oldSchool) {
        if (game.craft.torque < landingTorque && fabsf(game.craft.speed) <= landingSpeed) {
            game.craft.torque = 0;
            land(isFuelDepot);
            return;
        }
        game.craft.y = game.craft.y - 1;
        game.recoveryMode = 1;
        game.collisionFlag = true;
        applyDamage((int)game.craft.torque);
        return;
    }
    if (fabsf(game.craft.pitch) <= landingPitch && fabsf(game.craft.speed) <= landingSpeed) {
        game.craft.pitch = 0;
        land(isFuelDepot);
        return;
    }
    float p = game.craft.pitch;
    if (p > 0) {
        game.recoveryTarget = subAngle360(p, 2 * p);
        game.recoveryTurnUp = false;
    } else {
        game.recoveryTarget = addAngle360(p, 2 * p);
        if (game.craft.pitch > pitchDownLimit && game.craft.pitch < pitchUpLimit)
            game.craft.pitch = pitchUpLimit;
        game.recoveryTurnUp = true;
    }
    pushCraftBack();
    game.recoveryMode = 3;
    game.craft.speed = game.craft.speed * bounceKeep;
    collisionEnding(true);
}

static bool inRange(float v, float low, float high)
{
    return low < v && v <= high;
}

// Against a wall: turn away from it, mirrored in the wall, the shorter way.
static void wallContact(float minX, float minZ, float maxX, float maxZ)
{
    float yaw = game.craft.yaw;
    if (yaw == 0 || yaw == 90 || yaw == 180 || yaw == 270 || yaw == 360) {
        game.recoveryMode = 1;
        game.craft.speed = -game.craft.speed;
        collisionEnding(true);
        return;
    }
    bool alongX = inRange(yaw, 45, 135) || inRange(yaw, 225, 315);
    bool withinX = minX <= game.craft.x && game.craft.x <= maxX;
    bool withinZ = minZ <= game.craft.z && game.craft.z <= maxZ;
    bool headOn = false, faceFound = true;
    if (withinX)
        headOn = !alongX;
    else if (withinZ)
        headOn = alongX;
    else
        faceFound = false;
    if (!faceFound) {
        game.recoveryMode = 1;
        game.craft.speed = -game.craft.speed;
        collisionEnding(false);
        return;
    }
    game.recoveryMode = 2;
    pushCraftBack();
    game.craft.speed = game.craft.speed * bounceKeep;
    float target = alongX ? (headOn ? 360 - yaw : 180 - yaw) : (headOn ? 180 - yaw : 360 - yaw);
    game.recoveryTarget = target < 0 ? target + 360 : target;
    int octant = (int)(yaw / 45) % 8;  // [0,45) is 0, [45,90) is 1, ...
    game.recoveryTurnUp = octant % 2 == 0 ? headOn : !headOn;
    collisionEnding(headOn);
}

void resolveBuildingCollision(float minX, float minAlt, float minZ, float maxX, float maxAlt,
                              float maxZ, bool isFuelDepot)
{
    (void)minAlt;
    if (minX <= game.craft.x && game.craft.x <= maxX && -game.craft.y >= maxAlt && minZ <= game.craft.z &&
        game.craft.z <= maxZ)
        roofContact(isFuelDepot);
    else
        wallContact(minX, minZ, maxX, maxZ);
}

void startCrashing()
{
    game.craftState = Crashing;
    if (game.samples.engine)
        stopSample(game.samples.engine);
    if (game.samples.crashDive)
        playSample(game.samples.crashDive, soundFullVolume, soundCentre, soundOwnPitch, true);
}

// The crash silences the life; its explosion sounds while the frame loop
// waits out the sample's length in ticks (crashWaitTicks).
void destroyCraft()
{
    game.craftState = Destroyed;
    if (game.samples.crashDive)
        stopSample(game.samples.crashDive);
    endShot();
    stopBeamLoop();
    playOnce(game.samples.crashExplosion);
}

// The explosion's length, rounded up to whole ticks: the same on every
// machine, with or without a sound card.
int crashWaitTicks()
{
    const SAMPLE *boom = game.samples.crashExplosion;
    if (!boom || boom->freq <= 0 || game.tickMs == 0)
        return 0;
    uint64_t ms = (uint64_t)boom->len * 1000 / (uint64_t)boom->freq;
    return (int)((ms + game.tickMs - 1) / game.tickMs);
}

void crashStep()
{
    game.craft.yaw = addAngle360(game.craft.yaw, (float)game.settings.sensitivity);
    game.craft.pitch = addAngle360(game.craft.pitch, crashPitchStep);
    keepPitchInRange();
    if (game.craft.speed < crashTopSpeed)
        game.craft.speed = game.craft.speed + crashSpeedGain;
    if (game.settings.oldSchool)
        game.craft.torque = game.craft.torque + crashTorqueGain;
    if (game.craft.y >= lowestFlight) {
        destroyCraft();
        game.lives--;
    }
}

void recoveryTick()
{
    if (!game.collisionFlag || game.recoveryMode != 1)
        return;
    game.craft.speed *= recoveryDamping;
    if (fabsf(game.craft.speed) < recoveryStopSpeed) {
        game.craft.speed = 0;
        game.collisionFlag = false;
        if (game.settings.oldSchool)
            game.craft.torque = 0;
    }
}

// Only a craft in the air and under the player's control burns fuel: not on
// the autopilot's approach, not while it falls.
void fuelTick()
{
    if (!(game.craft.y < 0) || game.craftState != Flying)
        return;
    game.fuel -= fabsf(game.craft.speed) * burnPerSpeed * game.difficultyFactor + idleBurn;
    if (game.fuel < 0) {
        game.fuel = 0;
        startCrashing();
    }
}

void startRecoveryTimer()
{
    startTimer(RecoveryTimer, recoveryMs, recoveryTick);
}

void startFuelTimer()
{
    startTimer(FuelTimer, fuelMs, fuelTick);
}

void applyDamage(int amount)
{
    if (game.craftState == Flying) {
        game.damage += amount;
        if (game.damage > maxDamage) {
            game.damage = maxDamage;
            startCrashing();
        }
    }
    if (game.crackCount < maxCracks) {
        addCrack();
        game.crackCount++;
    }
}

// A crack runs down the screen from near the top in five leaning segments,
// each as long as its start lies below the top edge. Each segment's lean is
// drawn before its start (only the first start is drawn at all). It is kept
// on the classic picture, and drawn stretched over a picture of any size.
void addCrack()
{
    Crack &crack = game.cracks[game.crackCount];
    int w = classicWidth(), h = classicHeight();
    int startSpan = h / 5 - crackTop;
    int x = 0, y = 0;
    for (int n = 0; n < crackSegments; n++) {
        CrackSegment &s = crack.segments[n];
        float a = (float)(nextRandom(game.logicRandom) % crackLean);
        if (nextRandom(game.logicRandom) % 2)
            a = subAngle360(360, a);
        if (n == 0)
            x = nextRandom(game.logicRandom) % w, y = nextRandom(game.logicRandom) % startSpan + crackTop;
        double r = a * 3.14159 / 180;
        s.x1 = x, s.y1 = y;
        s.x2 = x - (int)(y * sin(r));
        s.y2 = y + (int)(y * cos(r));
        int shortBy = y / 5 > 0 ? nextRandom(game.logicRandom) % (y / 5) : 0;
        int length = y - shortBy;
        x = x - (int)(length * sin(r));
        y = y + (int)(length * cos(r));
    }
}
