// The timer callbacks. See Timers.h.
#include "Zephyrion/Timers.h"

#include <allegro.h>

#include <cmath>

#include "Std/3D.h"
#include "Zephyrion/Flight.h"
#include "Zephyrion/GameState.h"

static const int tickPeriodMs = 1;
static const int recoveryPeriodMs = 120;
static const int collapsePeriodMs = 80;
static const int fuelPeriodMs = 1000;
static const int firePeriodMs = 400;

static const float recoveryDamping = 0.75f;  // speed kept per recovery tick
static const float recoveryStopSpeed = 0.5f; // below this the recovery is over
static const float blastGrowth = 0.05f;      // of the building's width, per collapse tick
static const float blastSpinStep = 2.0f;     // turn steps per collapse tick
static const float blastShrink = 0.9f;       // scale kept per collapse tick
static const float blastGoneScale = 0.02f;   // below this the building is gone
static const float burnPerSpeed = 0.1f / 4;  // fuel per unit of |speed| and of difficulty, a second
static const float idleBurn = 0.5f;          // fuel a second whatever the speed

void tickMs()
{
    game.msTicks = game.msTicks + 1u;
}

void recoveryTick()
{
    if (!game.collisionFlag || game.recoveryMode != 1)
        return;
    camera->speed = camera->speed * recoveryDamping;
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
            cell.blastDistance = cell.blastDistance + cell.width * blastGrowth;
            cell.blastSpin = addAngle255(cell.blastSpin, blastSpinStep);
            cell.blastScale = cell.blastScale * blastShrink;
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
    game.fuel = game.fuel - (fabsf(camera->speed) * burnPerSpeed * game.difficultyFactor + idleBurn);
    if (game.fuel < 0) {
        game.fuel = 0;
        startCrashing();
    }
}

void fireEndTick()
{
    if (game.beamActive) {
        game.beamActive = false;
        if (game.samples.fireBeam)
            stop_sample(game.samples.fireBeam);
    }
    remove_int(fireEndTick);
}

void installStartupTimers()
{
    install_int(tickMs, tickPeriodMs);
    install_int(recoveryTick, recoveryPeriodMs);
    install_int(collapseTick, collapsePeriodMs);
}

void startFuelTimer()
{
    install_int(fuelTick, fuelPeriodMs);
}

void stopFuelTimer()
{
    remove_int(fuelTick);
}

void startFireTimer()
{
    install_int(fireEndTick, firePeriodMs);
}

// The callbacks that play samples are taken off before the samples are freed.
void stopSampleTimers()
{
    remove_int(fireEndTick);
    remove_int(fuelTick);
}
