// One game. See Game.h.
#include "Zephyrion/Game.h"

#include <allegro.h>

#include <initializer_list>

#include "Std/3D.h"
#include "Std/Display.h"
#include "Std/Gamepad.h"
#include "Std/Input.h"
#include "Std/Sound.h"
#include "Zephyrion/City.h"
#include "Zephyrion/Demo.h"
#include "Zephyrion/Enemies.h"
#include "Zephyrion/Flight.h"
#include "Zephyrion/Frame.h"
#include "Zephyrion/GameState.h"
#include "Zephyrion/HighScores.h"
#include "Zephyrion/Sequences.h"
#include "Zephyrion/Shots.h"
#include "Zephyrion/Timers.h"

static const int engineVolume = 190;  // under the cues

static const int easy = 1, hard = 3;

static void setDifficulty()
{
    int d = game.settings.difficulty;
    game.difficultyScale = d == easy ? 10 : d == hard ? 30 : 20;
    game.difficultyFactor = d == easy ? 1.0f : d == hard ? 3.0f : 2.0f;
}

void startLife()
{
    game.craft.x = 0, game.craft.y = -20.0f, game.craft.z = -20.0f;
    game.craft.pitch = 30.0f, game.craft.yaw = 0, game.craft.roll = 0;
    game.craft.torque = 0, game.craft.speed = 0;
    game.craftState = Flying;
    game.fuel = 100.0f;
    startFuelTimer();
    game.collisionFlag = false;
    if (game.samples.engine)
        playSample(game.samples.engine, engineVolume, soundCentre, soundOwnPitch, true);
}

// However a life ends, nothing of it sounds on: not its engine, its fall,
// its shot nor its beam on a building.
static void endLifeSounds()
{
    if (game.samples.engine)
        stopSample(game.samples.engine);
    if (game.samples.crashDive)
        stopSample(game.samples.crashDive);
    endShot();
    stopBeamLoop();
}

// Easy mends everything, Normal a quarter of the damage, Hard nothing.
void repairAfterCity()
{
    int d = game.settings.difficulty;
    if (d == easy) {
        game.crackCount = 0;
        game.damage = 0;
    } else if (d != hard) {
        game.damage -= game.damage / 4;
    }
}

// The rating is the city's as it was cleared: buildings that are still
// falling when the last enemy goes do not count against it, in the sum nor
// on the screen.
bool nextCity()
{
    int rating = cityRatingIndex();
    game.citiesCleared++;
    game.ratingSum += rating;
    exitCity(rating);
    freeCity();
    freeEnemies();
    buildCity();
    bool made = setupEnemies();
    repairAfterCity();
    return made;
}

// Everything of the game in play starts afresh, so that a game depends only
// on its city's seed, its settings and its tick commands: a demo replays it.
bool beginGame()
{
    game.lives = game.settings.numLives;
    game.score = game.ratingSum = game.citiesCleared = 0;
    game.firstApproach = true;
    game.craftState = Flying;
    game.crackCount = game.damage = 0;
    game.collisionFlag = game.beamActive = game.recoveryTurnUp = false;
    game.recoveryMode = 1;
    game.recoveryTarget = 0;
    game.lowFuelBlinkOn = false;
    game.lowFuelToggledMs = 0;
    for (Pyramid *marker : game.depotPyramids)
        if (marker)
            marker->transform.rotY = 0;
    setDifficulty();
    resetGameTime(frameTimeFor(game.settings.frameRate));
    startRecoveryTimer();
    startCollapseTimer();
    // A focus lost, a display switched or a pad pulled out before the game
    // began does not pause it.
    focusLost();
    displaySwitched();
    gamepadPulledOut();
    bool made = setupEnemies();
    beginDemo();
    return made;
}

// A crash replays the same city, with its ruins and its surviving enemies;
// Escape ends the game whatever lives are left. The lives are counted only
// at the end of a life, so a game always plays at least one.
bool endLife(int cityResult)
{
    game.firstApproach = false;
    endLifeSounds();
    if (cityResult == EscapePressed)
        return false;
    if (cityResult == CraftCrashed) {
        game.craftState = Flying;
        game.crackCount = game.damage = 0;
    }
    return game.lives > 0;
}

// Game over is silent: what the last moments set off is cut short.
static void endGameSounds()
{
    const Samples &s = game.samples;
    for (SAMPLE *cue : {s.crashExplosion, s.buildingDestroyed, s.enemyHit, s.explosionEnd, s.ram,
                        s.lowFuel, s.briefing, s.refuel})
        if (cue)
            stopSample(cue);
}

bool runGame()
{
    bool made = beginGame();
    bool going = made;
    while (going) {
        startLife();
        approachCity();
        int mx, my;
        mouseMotion(mx, my);  // the approach's motion does not steer
        int result = runCityFrames();
        going = endLife(result);
        if (result == CityCleared) {
            made = nextCity();
            going = going && made;
        }
    }
    endDemo();
    captureMouse(false);  // the pointer is the player's again
    // Game time ends with the game: nothing burns fuel behind the title
    // screen, and no crash starts there.
    stopGameTimers();
    game.craftState = Flying;
    endGameSounds();
    freeEnemies();
    if (!game.replay)
        gameOver();  // a game that could not go on still has its score
    return made;
}
