// The game's timers. See Timers.h.
#include "Zephyrion/Timers.h"

#include <allegro.h>

#include <cmath>
#include <cstdint>

#include "Std/3D.h"
#include "Zephyrion/Flight.h"
#include "Zephyrion/GameState.h"
#include "Zephyrion/Shots.h"

static const float recoveryDamping = 0.75f;  // speed kept per recovery tick
static const float recoveryStopSpeed = 0.5f; // below this the recovery is over
static const float blastGrowth = 0.05f;      // of the building's width, per collapse tick
static const float blastSpinStep = 2.0f;     // turn steps per collapse tick
static const float blastShrink = 0.9f;       // scale kept per collapse tick
static const float blastGoneScale = 0.02f;   // below this the building is gone
static const float burnPerSpeed = 0.1f / 4;  // fuel per unit of |speed| and of difficulty, a second
static const float idleBurn = 0.5f;          // fuel a second whatever the speed

struct TimerKind {
    void (*tick)();
    uint32_t periodMs;
};

// In GameTimer order.
static const TimerKind timerKinds[gameTimerCount] = {
    {recoveryTick, 120},
    {collapseTick, 80},
    {fuelTick, 1000},
    {fireEndTick, 400},
};

void recoveryTick()
{
    if (!game.collisionFlag || game.recoveryMode != 1)
        return;
    camera->speed *= recoveryDamping;
    if (fabsf(camera->speed) < recoveryStopSpeed) {
        camera->speed = 0;
        game.collisionFlag = false;
        if (game.settings.oldSchool)
            camera->torque = 0;
    }
}

void collapseTick()
{
    for (int j = 0; j < cityStrips; j++)
        for (int i = 0; i < citySlots; i++) {
            CityCell &cell = game.city[i][j];
            if (cell.state != BuildingExploding)
                continue;
            cell.blastDistance += cell.width * blastGrowth;
            cell.blastSpin = addAngle255(cell.blastSpin, blastSpinStep);
            cell.blastScale *= blastShrink;
            if (cell.blastScale < blastGoneScale)
                cell.state = BuildingDestroyed;
        }
}

// Only a craft in the air and under the player's control burns fuel: not on
// the autopilot's approach, not while it falls.
void fuelTick()
{
    if (!(camera->y < 0) || game.craftState != Flying)
        return;
    game.fuel -= fabsf(camera->speed) * burnPerSpeed * game.difficultyFactor + idleBurn;
    if (game.fuel < 0) {
        game.fuel = 0;
        startCrashing();
    }
}

void fireEndTick()
{
    endShot();
}

void installClock()
{
    startClock();
}

// Game time as it stands when the clock reads now, between two catch-ups.
static uint32_t gameTimeAt(uint32_t now)
{
    return game.paused ? game.gameMs : game.gameMs + (now - game.gameClockSeen);
}

// As with Allegro's own timers, starting a running timer keeps its beat.
static void startTimer(int timer)
{
    if (game.timerRunning[timer])
        return;
    game.timerRunning[timer] = true;
    game.timerDue[timer] = gameTimeAt(game.msTicks) + timerKinds[timer].periodMs;
}

static void stopTimer(int timer)
{
    game.timerRunning[timer] = false;
}

void startGameTimers()
{
    game.gameClockSeen = game.msTicks;
    game.paused = false;
    startTimer(RecoveryTimer);
    startTimer(CollapseTimer);
}

void stopGameTimers()
{
    for (int timer = 0; timer < gameTimerCount; timer++)
        stopTimer(timer);
    game.paused = false;
}

// The timer due first by the time `until`, or -1; on a tie the one listed first.
static int nextDue(uint32_t until)
{
    int next = -1;
    for (int timer = 0; timer < gameTimerCount; timer++) {
        if (!game.timerRunning[timer] || (int32_t)(until - game.timerDue[timer]) < 0)
            continue;
        if (next < 0 || (int32_t)(game.timerDue[timer] - game.timerDue[next]) < 0)
            next = timer;
    }
    return next;
}

// Every period that has passed fires, in the order they fell due, so that a
// slow frame or a long wait changes nothing that the timers do.
void runGameTimers()
{
    uint32_t now = game.msTicks;
    uint32_t until = gameTimeAt(now);
    game.gameClockSeen = now;
    for (int timer = nextDue(until); timer >= 0; timer = nextDue(until)) {
        game.gameMs = game.timerDue[timer];
        game.timerDue[timer] += timerKinds[timer].periodMs;
        timerKinds[timer].tick();
    }
    game.gameMs = until;
}

void pauseGameTime()
{
    runGameTimers();
    game.paused = true;
}

void resumeGameTime()
{
    game.gameClockSeen = game.msTicks;
    game.paused = false;
}

void startFuelTimer()
{
    startTimer(FuelTimer);
}

void stopFuelTimer()
{
    stopTimer(FuelTimer);
}

void startFireTimer()
{
    startTimer(FireTimer);
}

void stopFireTimer()
{
    stopTimer(FireTimer);
}
