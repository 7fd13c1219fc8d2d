// Gameplay in memory: the timers' effects, frame pacing, the controls, the
// craft against buildings, the enemies, the beam and the damage.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "../TestPad.h"
#include "ScratchDir.h"
#include "Std/3D.h"
#include "Std/Clock.h"
#include "Std/Errors.h"
#include "Std/Gamepad.h"
#include "Std/Input.h"
#include "Zephyrion/City.h"
#include "Zephyrion/Enemies.h"
#include "Zephyrion/Flight.h"
#include "Zephyrion/Frame.h"
#include "Zephyrion/Game.h"
#include "Zephyrion/GameState.h"
#include "Zephyrion/Interpolation.h"
#include "Zephyrion/Shots.h"
#include "Zephyrion/TickCommand.h"
#include "Zephyrion/Timers.h"

namespace {

// A fresh game state over a fixed-seed city, the craft flying at its edge.
class Gameplay : public ::testing::Test {
  protected:
    void SetUp() override
    {
        set_color_depth(32);
        game = GameState();
        game.backBuffer = create_bitmap(800, 600);
        clear_bitmap(game.backBuffer);
        setupProjection(0, 0, 800, 600);
        createZBuffer(game.backBuffer);
        setViewDistance(1500);
        seedRandom(game.logicRandom, 7);
        buildCity();
        game.craft.x = 0, game.craft.y = -100, game.craft.z = -20;
        game.craftState = Flying;
        releaseKeys();
    }
    void TearDown() override
    {
        releaseKeys();
        freeEnemies();
        freeCity();
        destroyZBuffer();
        destroy_bitmap(game.backBuffer);
        game.backBuffer = nullptr;
    }
    static CityCell &cell(int index) { return game.city[index % citySlots][index / citySlots]; }
    static void hold(int binding) { holdKey(game.keyBindings[binding], true); }
    // The craft hovering just above the middle of a building's roof.
    static void overRoof(int index, float above)
    {
        const CityCell &c = cell(index);
        game.craft.x = c.quad->transform.x;
        game.craft.z = c.quad->transform.z + c.depth / 2;
        game.craft.y = -c.height - above;
    }
};

// ---- Timers ----

TEST_F(Gameplay, RecoveryAtSpeedTenEndsOnTheEleventhTick)
{
    game.craft.speed = 10;
    game.collisionFlag = true;
    game.recoveryMode = 1;
    for (int tick = 1; tick <= 10; tick++) {
        recoveryTick();
        ASSERT_TRUE(game.collisionFlag) << tick;
    }
    recoveryTick();
    EXPECT_FALSE(game.collisionFlag);
    EXPECT_EQ(0, game.craft.speed);
}

TEST_F(Gameplay, RecoveryWaitsForTheTurnToFinish)
{
    game.craft.speed = 10;
    game.collisionFlag = true;
    game.recoveryMode = 2;
    recoveryTick();
    EXPECT_EQ(10, game.craft.speed);
    game.settings.oldSchool = true;
    game.recoveryMode = 1;
    game.craft.speed = 0.6f;
    game.craft.torque = 4;
    recoveryTick();
    EXPECT_EQ(0, game.craft.torque);
}

TEST_F(Gameplay, FuelBurnsByDifficultyAndSpeed)
{
    const float factor[] = {1, 2, 3};
    const float fullSpeedBurn[] = {0.75f, 1.0f, 1.25f};
    for (int d = 0; d < 3; d++) {
        game.difficultyFactor = factor[d];
        game.fuel = 100;
        game.craft.speed = 0;
        fuelTick();
        EXPECT_FLOAT_EQ(99.5f, game.fuel) << d;
        game.craft.speed = -10;
        fuelTick();
        EXPECT_FLOAT_EQ(99.5f - fullSpeedBurn[d], game.fuel) << d;
    }
}

TEST_F(Gameplay, FuelHoldsUnderAutopilotWhileCrashingAndOnTheGround)
{
    game.fuel = 50;
    game.craftState = Autopilot;
    fuelTick();
    game.craftState = Crashing;
    fuelTick();
    game.craftState = Flying;
    game.craft.y = 0;
    fuelTick();
    EXPECT_EQ(50, game.fuel);
}

TEST_F(Gameplay, AnEmptyTankStartsTheCrash)
{
    game.fuel = 0.2f;
    fuelTick();
    EXPECT_EQ(0, game.fuel);
    EXPECT_EQ(Crashing, game.craftState);
}

TEST_F(Gameplay, ACollapsingBuildingIsGoneAfterThirtyEightTicks)
{
    CityCell &c = cell(12);
    c.state = BuildingExploding;
    for (int tick = 1; tick < 38; tick++) {
        collapseTick();
        ASSERT_EQ(BuildingExploding, c.state) << tick;
    }
    collapseTick();
    EXPECT_EQ(BuildingDestroyed, c.state);
    EXPECT_NEAR(38 * c.width * 0.05f, c.blastDistance, 0.01);
    EXPECT_EQ(BuildingStanding, cell(13).state);
}

// Game time moves only with the ticks, 33 ms each at 30 a second: each timer
// fires in the tick its period ends in, and a game that ends stops them all.
TEST_F(Gameplay, GameTimersFireInTheTickTheirPeriodEndsIn)
{
    resetGameTime(33);
    startRecoveryTimer();
    startCollapseTimer();
    startFuelTimer();
    cell(12).state = BuildingExploding;
    game.collisionFlag = true, game.recoveryMode = 1, game.craft.speed = 10;
    game.difficultyFactor = 0;  // only the idle burn, whatever the recovery does to the speed
    auto ticks = [](int n) {
        for (int i = 0; i < n; i++)
            runGameTimers();
    };
    ticks(30);  // 990 ms
    EXPECT_EQ(100, game.fuel);
    ticks(1);  // 1023 ms: the first burn
    EXPECT_FLOAT_EQ(99.5f, game.fuel);
    ticks(8);  // 1287 ms: the recovery's 10th beat was at 1200
    EXPECT_TRUE(game.collisionFlag);
    ticks(1);  // 1320 ms: its 11th
    EXPECT_FALSE(game.collisionFlag);
    ticks(52);  // 3036 ms
    EXPECT_FLOAT_EQ(98.5f, game.fuel);
    EXPECT_EQ(BuildingExploding, cell(12).state);
    ticks(1);  // 3069 ms: the collapse's 38th beat fell at 3040
    EXPECT_EQ(BuildingDestroyed, cell(12).state);
    EXPECT_EQ(93u * 33, game.gameMs);
    startFuelTimer();  // a new life keeps the beat
    ticks(29);         // 4026 ms
    EXPECT_FLOAT_EQ(98.0f, game.fuel);

    stopGameTimers();  // the game is over: nothing burns behind the title
    ticks(1000);
    EXPECT_FLOAT_EQ(98.0f, game.fuel);
}

// 400 ms end in the 13th tick after the shot, whenever it was fired.
TEST_F(Gameplay, AShotLastsTwelveTicksAndTheNextHasItsOwn)
{
    resetGameTime(33);
    for (int shot = 0; shot < 2; shot++) {
        startShot();
        for (int n = 0; n < 12; n++)
            runGameTimers();
        EXPECT_TRUE(game.beamActive) << shot;
        runGameTimers();
        EXPECT_FALSE(game.beamActive) << shot;
    }
}

// However a life ends, its shot and its beam on a building end with it.
TEST_F(Gameplay, ALifeEndsWithItsShotAndItsBeamLoop)
{
    for (int result : {EscapePressed, CraftCrashed, CityCleared}) {
        resetGameTime(33);
        startShot();
        game.beamVoice = 3;
        endLife(result);
        EXPECT_FALSE(game.beamActive) << result;
        EXPECT_EQ(-1, game.beamVoice) << result;
        EXPECT_FALSE(game.timerRunning[FireTimer]) << result;
    }
}

// ---- Frame pacing ----

TEST(FramePacing, FrameTimeNeverDividesByZero)
{
    EXPECT_EQ(33u, frameTimeFor(30));
    EXPECT_EQ(1u, frameTimeFor(1000));
    EXPECT_EQ(0u, frameTimeFor(5000));
    EXPECT_EQ(1000u, frameTimeFor(0));
    EXPECT_EQ(1000u, frameTimeFor(-4));
}

TEST(FramePacing, TheSecondWindowSpansAWrapOfTheClock)
{
    game = GameState();
    game.msTicks = 0xFFFFFE00u;
    countFrame();  // the first count of the run opens the window
    game.frameCount = 25;
    game.msTicks = 0x100u;  // 768 ms later
    countFrame();
    EXPECT_EQ(0, game.fpsValue);
    game.msTicks = 0x200u;  // 1024 ms later
    countFrame();
    EXPECT_EQ(25, game.fpsValue);
    EXPECT_EQ(0, game.frameCount);
}

// ---- Frames between ticks ----

// A frame halfway between two ticks shows the camera, its needles and the
// enemies' cubes halfway, and a heading and a pitch the short way across
// north; a collision's push back shows at once where it left the craft.
TEST_F(Gameplay, AFrameBetweenTicksShowsTheWayThereButNotAJump)
{
    ASSERT_TRUE(setupEnemies());
    game.craft.x = 0, game.craft.yaw = 350, game.craft.pitch = 6, game.craft.speed = 2;
    keepTickStart();
    const Enemy &e = game.enemies[0];
    const Transform was = e.cubes[1]->transform;
    moveEnemies();
    const Transform now = e.cubes[1]->transform;
    ASSERT_NE(was.x, now.x);
    game.craft.x = 10, game.craft.yaw = 10, game.craft.pitch = 354, game.craft.speed = 4;
    {
        SeenBetweenTicks seen(0.5f);
        EXPECT_FLOAT_EQ(5, craftSeen().x);
        EXPECT_NEAR(0, fmodf(craftSeen().yaw, 360), 1e-3);
        EXPECT_NEAR(0, fmodf(craftSeen().pitch, 360), 1e-3);
        EXPECT_FLOAT_EQ(3, craftSeen().speed);
        EXPECT_FLOAT_EQ(5, viewCamera().x);  // the frame is drawn from there
        EXPECT_NEAR(0, fmodf(viewCamera().yaw, 360), 1e-3);
        EXPECT_EQ(10, game.craft.x);  // and the craft itself stays where the tick left it
        Transform t = cubeSeen(e, 1);
        EXPECT_FLOAT_EQ((was.x + now.x) / 2, t.x);
        EXPECT_FLOAT_EQ((was.z + now.z) / 2, t.z);
        EXPECT_FLOAT_EQ((was.scale + now.scale) / 2, t.scale);
    }
    EXPECT_EQ(10, craftSeen().x);  // outside a frame, the craft as it is
    {
        SeenBetweenTicks seen(0.25f);
        EXPECT_NEAR(355, craftSeen().yaw, 1e-3);
    }

    const CityCell &c = cell(5);
    game.craft.x = c.quad->transform.x, game.craft.z = c.quad->transform.z - 2;  // before its south wall
    game.craft.y = -c.height / 2, game.craft.yaw = 30, game.craft.pitch = 0, game.craft.speed = 4;
    keepTickStart();
    moveCraft();
    ASSERT_NE(game.craftBefore.z, game.craft.z) << "pushed back";
    SeenBetweenTicks seen(0.5f);
    EXPECT_EQ(game.craft.z, craftSeen().z);
    EXPECT_EQ(game.craft.x, viewCamera().x);
}

// A timed replay's clock: at 60 fps two frames a tick, halfway and on the
// tick; at 144 fps 4.8, each 6875/33000 of a tick on from the last. With the
// real clock, a frame late by three ticks lets one tick run, not three.
TEST(FramePacing, FramesFallBetweenTheTicksAndALateOneLetsOneTickRun)
{
    game = GameState();
    game.replay = TimedReplay;
    for (int rate : {60, 144}) {
        startFrames(rate);
        int ticks = 0, frames = 0;
        while (ticks < 30) {
            while (tickDue())
                ticks++;
            float expected = (frames + 1) * 30.0f / rate - (ticks - 1);  // in ticks since the last
            EXPECT_NEAR(expected, frameBetween(), 1e-4) << rate << " fps, frame " << frames;
            presentFrame();
            frames++;
        }
        EXPECT_EQ(rate == 60 ? 59 : 140, frames) << rate;
    }
    game.replay = NoReplay;
    startClock();
    startFrames(60);
    sleepUntilMicros(clockMicros() + 100000);  // three ticks and more
    game.nextTickUs = game.nextFrameUs = 0;
    presentFrame();
    int ticks = 0;
    while (tickDue())
        ticks++;
    EXPECT_EQ(1, ticks);
}

// ---- Controls ----

TEST_F(Gameplay, PitchStopsAtItsLimits)
{
    game.craft.pitch = 28;
    hold(BindPitchForward);
    applyControls(readTickCommand());
    EXPECT_EQ(30, game.craft.pitch);
    holdKey(game.keyBindings[BindPitchForward], false);
    hold(BindPitchBack);
    game.craft.pitch = 282;
    applyControls(readTickCommand());
    EXPECT_EQ(280, game.craft.pitch);
    game.craft.pitch = 0;
    applyControls(readTickCommand());
    EXPECT_EQ(357, game.craft.pitch);
}

TEST_F(Gameplay, OfTwoOpposedKeysTheFirstActs)
{
    game.craft.speed = 4;
    hold(BindLeft);
    hold(BindRight);
    hold(BindAccelerate);
    hold(BindDeccelerate);
    applyControls(readTickCommand());
    EXPECT_FLOAT_EQ(357, game.craft.yaw);
    EXPECT_FLOAT_EQ(4.5f, game.craft.speed);
    EXPECT_FLOAT_EQ(4, game.craft.roll);  // the roll is the speed, taken before the throttle
}

TEST_F(Gameplay, StopAndTheSpeedLimit)
{
    game.craft.speed = 9.8f;
    hold(BindAccelerate);
    applyControls(readTickCommand());
    EXPECT_EQ(10, game.craft.speed);
    game.settings.oldSchool = true;
    game.craft.torque = 6;
    hold(BindStop);
    applyControls(readTickCommand());
    EXPECT_EQ(0, game.craft.speed);
    EXPECT_EQ(0, game.craft.torque);
}

TEST_F(Gameplay, OldSchoolTorqueClimbsDecaysAndPitchFollowsSpeed)
{
    game.settings.oldSchool = true;
    game.craft.speed = 4;
    hold(BindTorqueIncrease);  // Down by default: climb harder
    for (int frame = 0; frame < 8; frame++)
        applyControls(readTickCommand());
    EXPECT_EQ(-10, game.craft.torque);
    EXPECT_EQ(4, game.craft.pitch);
    holdKey(game.keyBindings[BindTorqueIncrease], false);
    applyControls(readTickCommand());
    EXPECT_EQ(-9, game.craft.torque);
}

TEST_F(Gameplay, ShiftedF1ClearsTheCityAndF2TogglesTheCounter)
{
    game.enemiesRemaining = 5;
    holdKey(KEY_F1, true);
    applyControls(readTickCommand());
    EXPECT_EQ(5, game.enemiesRemaining);  // no shift flag
    for (int lock : {KEY_NUMLOCK, KEY_CAPSLOCK, KEY_SCRLOCK})
        holdKey(lock, true);
    applyControls(readTickCommand());
    EXPECT_EQ(5, game.enemiesRemaining) << "the lock keys are no shift";
    holdKey(KEY_RSHIFT, true);
    applyControls(readTickCommand());
    EXPECT_EQ(0, game.enemiesRemaining);
    holdKey(KEY_F2, true);
    applyControls(readTickCommand());
    EXPECT_TRUE(game.settings.showFPS);
}

TEST_F(Gameplay, MouseDivisorFollowsSensitivityAndNeverReachesZero)
{
    game.settings.mouseRatio = 24;
    game.settings.sensitivity = 1;
    EXPECT_EQ(72, mouseDivisor());
    game.settings.sensitivity = 3;
    EXPECT_EQ(48, mouseDivisor());
    game.settings.sensitivity = 6;
    EXPECT_EQ(24, mouseDivisor());
    game.settings.mouseRatio = 0;
    EXPECT_EQ(1, mouseDivisor());
}

// ---- The gamepad in flight ----

// SDL's virtual pad, plugged in as the game runs. Its stick and triggers are
// set in SDL's units; each readControls reads what the last poll saw.
class GamepadFlight : public Gameplay {
  protected:
    void SetUp() override
    {
        Gameplay::SetUp();
        ASSERT_TRUE(openGamepads()) << gamepadError();
        index = attachTestPad();
        pad = SDL_JoystickOpen(index);
        ASSERT_NE(nullptr, pad) << SDL_GetError();
        pumpInput();
        ASSERT_EQ(1, gamepadsConnected());
        game.settings.sensitivity = 6;
        game.settings.gamepadDeadZone = 25;
    }
    void TearDown() override
    {
        if (pad)
            SDL_JoystickClose(pad);
        SDL_JoystickDetachVirtual(index);
        closeGamepads();
        enableGamepads(true);
        Gameplay::TearDown();
    }
    // One frame with the stick at this share of its travel (down and right positive).
    void fly(float x, float y)
    {
        SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTX, (Sint16)(x * 32767));
        SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTY, (Sint16)(y * 32767));
        pumpInput();
        applyControls(readTickCommand());
    }
    SDL_Joystick *pad = nullptr;
    int index = -1;
};

TEST_F(GamepadFlight, TheStickTurnsAndPitchesPastItsDeadZoneUpToTheKeysRate)
{
    game.craft.speed = 4;
    fly(0.2f, -0.2f);  // inside the dead zone
    EXPECT_FLOAT_EQ(0, game.craft.yaw);
    EXPECT_FLOAT_EQ(0, game.craft.pitch);
    fly(0.625f, 0);  // half way from the dead zone's edge: half the turn rate
    EXPECT_NEAR(3, game.craft.yaw, 0.01);
    EXPECT_NEAR(-2, game.craft.roll, 0.01) << "banked by half the speed";
    fly(-1, 0);  // full travel: the rate a key turns at
    EXPECT_NEAR(357, game.craft.yaw, 0.01);
    fly(0, -1);  // pushed forward: the nose goes down, as Up does
    EXPECT_NEAR(3, game.craft.pitch, 0.01);
    game.settings.oldSchool = true;
    game.craft.torque = 0;
    fly(0, -0.625f);  // Old School: the torque Up drives, by half a step
    EXPECT_NEAR(1, game.craft.torque, 0.01);

    enableGamepads(false);  // "Gamepad" Off: the pad does nothing
    float yaw = game.craft.yaw;
    fly(1, 0);
    EXPECT_FLOAT_EQ(yaw, game.craft.yaw);
}

TEST_F(GamepadFlight, TriggersSpeedUpAndSlowDownRightShoulderFiresYStops)
{
    SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767);
    fly(0, 0);
    EXPECT_FLOAT_EQ(0.5f, game.craft.speed);
    EXPECT_FALSE(game.beamActive);
    SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, -32768);
    SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_TRIGGERLEFT, 32767);
    SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, 1);
    fly(0, 0);
    EXPECT_FLOAT_EQ(0, game.craft.speed);
    EXPECT_TRUE(game.beamActive) << "the right shoulder fires where the pad has triggers";
    SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_TRIGGERLEFT, -32768);
    game.craft.speed = 7;
    SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_Y, 1);
    fly(0, 0);
    EXPECT_FLOAT_EQ(0, game.craft.speed);

    EXPECT_FALSE(gamepadPulledOut());
    SDL_JoystickClose(pad);
    pad = nullptr;
    SDL_JoystickDetachVirtual(index);
    pumpInput();
    EXPECT_EQ(0, gamepadsConnected());
    EXPECT_TRUE(gamepadPulledOut()) << "the pause hears of it once";
    EXPECT_FALSE(gamepadPulledOut());
}

// ---- The craft against buildings ----

TEST_F(Gameplay, AGentleTouchLandsAndTheDepotRefuels)
{
    int depot = game.fuelDepotIndex;
    overRoof(depot, 0.3f);
    game.fuel = 12;
    game.craft.pitch = 20;
    game.craft.speed = 2;
    moveCraft();
    EXPECT_EQ(0, game.craft.speed);
    EXPECT_EQ(0, game.craft.pitch);
    EXPECT_EQ(100.0f, game.fuel);
    EXPECT_FALSE(game.collisionFlag);
    EXPECT_EQ(0, game.damage);
}

TEST_F(Gameplay, ATouchTooFastBouncesAndHurts)
{
    overRoof(game.fuelDepotIndex == 0 ? 1 : 0, 0.3f);
    game.craft.pitch = 20;
    game.craft.speed = 2.5f;
    moveCraft();
    EXPECT_TRUE(game.collisionFlag);
    EXPECT_EQ(3, game.recoveryMode);
    EXPECT_FLOAT_EQ(340, game.recoveryTarget);
    EXPECT_GT(game.damage, 0);
    EXPECT_EQ(1, game.crackCount);
}

TEST_F(Gameplay, ANoseUpCraftNeverLands)
{
    overRoof(game.fuelDepotIndex == 0 ? 1 : 0, 0.05f);
    game.craft.pitch = 355;  // five degrees nose up, reversing down onto the roof
    game.craft.speed = -1;
    moveCraft();
    EXPECT_TRUE(game.collisionFlag);
    EXPECT_EQ(3, game.recoveryMode);
}

TEST_F(Gameplay, ACornerReversesWithoutATurn)
{
    const CityCell &c = cell(5);
    float west = c.quad->transform.x - c.width / 2, south = c.quad->transform.z;
    game.craft.x = west - 1, game.craft.z = south - 1, game.craft.y = -c.height / 2;
    game.craft.yaw = 45, game.craft.pitch = 0, game.craft.speed = 4;  // diagonally into the corner
    moveCraft();
    EXPECT_EQ(1, game.recoveryMode);
    EXPECT_EQ(-4, game.craft.speed);
    EXPECT_EQ(4, game.damage);  // not head-on: |speed| once
}

TEST_F(Gameplay, StraightIntoAWallReversesAndDoublesTheDamage)
{
    const CityCell &c = cell(5);
    game.craft.x = c.quad->transform.x - c.width / 2 - 3;  // just west of its west wall
    game.craft.z = c.quad->transform.z + c.depth / 2;
    game.craft.y = -c.height / 2;
    game.craft.yaw = 90, game.craft.pitch = 0, game.craft.speed = 5;
    moveCraft();
    EXPECT_EQ(-5, game.craft.speed);
    EXPECT_EQ(1, game.recoveryMode);
    EXPECT_EQ(10, game.damage);
    game.damage = 0;
    game.settings.difficulty = 3;
    game.craft.speed = 5;
    moveCraft();
    EXPECT_EQ(50, game.damage);
}

TEST_F(Gameplay, ARoofWhileFallingDestroysTheCraft)
{
    overRoof(0, 1);
    game.lives = 2;
    game.craftState = Crashing;
    game.craft.speed = 3, game.craft.pitch = 30;
    moveCraft();
    EXPECT_EQ(Destroyed, game.craftState);
    EXPECT_EQ(1, game.lives);
}

TEST_F(Gameplay, TheCraftIsHeldInsideTheCity)
{
    game.craft.x = 1e6, game.craft.y = -1000, game.craft.z = -1e6;
    clampCraft();
    EXPECT_EQ(game.cityBounds.maxX, game.craft.x);
    EXPECT_EQ(-300, game.craft.y);
    EXPECT_EQ(game.cityBounds.minZ, game.craft.z);
    game.craft.y = 5;
    clampCraft();
    EXPECT_EQ(-20, game.craft.y);
}

TEST_F(Gameplay, AFallingCraftSpinsAndIsLostAtTheLowestHeight)
{
    game.lives = 3;
    game.craftState = Crashing;
    game.craft.y = -25, game.craft.yaw = 359, game.craft.pitch = 29, game.craft.speed = 9.8f;
    crashStep();
    EXPECT_FLOAT_EQ(2, game.craft.yaw);  // Sensitivity 3 degrees a frame
    EXPECT_EQ(30, game.craft.pitch);
    EXPECT_FLOAT_EQ(10.3f, game.craft.speed);
    EXPECT_EQ(3, game.lives);
    game.craft.y = -20;
    crashStep();
    EXPECT_EQ(Destroyed, game.craftState);
    EXPECT_EQ(2, game.lives);
}

// ---- Game loop steps ----

TEST_F(Gameplay, RepairsByDifficultyAfterACity)
{
    const int damageAfter[] = {0, 6, 7};
    const int cracksAfter[] = {0, 4, 4};
    for (int d = 1; d <= 3; d++) {
        game.settings.difficulty = d;
        game.damage = 7;
        game.crackCount = 4;
        repairAfterCity();
        EXPECT_EQ(damageAfter[d - 1], game.damage) << d;
        EXPECT_EQ(cracksAfter[d - 1], game.crackCount) << d;
    }
}

TEST_F(Gameplay, LivesAreCountedAtTheEndOfALifeOnly)
{
    game.settings.numLives = 0;
    ASSERT_TRUE(beginGame());
    EXPECT_FALSE(endLife(CraftCrashed));  // the one life played is the last
    game.lives = 3;
    EXPECT_FALSE(endLife(EscapePressed));  // Escape forfeits the rest
    game.damage = 9, game.crackCount = 2, game.craftState = Destroyed;
    EXPECT_TRUE(endLife(CraftCrashed));
    EXPECT_EQ(0, game.damage);
    EXPECT_EQ(0, game.crackCount);
    EXPECT_EQ(Flying, game.craftState);
    EXPECT_FALSE(game.firstApproach);
}

TEST_F(Gameplay, DifficultySetsTheBeamAndTheFuelBurn)
{
    const int scale[] = {20, 10, 20, 30, 20};
    for (int d = 0; d <= 4; d++) {
        game.settings.difficulty = d;
        beginGame();
        EXPECT_EQ(scale[d], game.difficultyScale) << d;
        EXPECT_EQ(scale[d] / 10.0f, game.difficultyFactor) << d;
        freeEnemies();
    }
}

// ---- Enemies ----

TEST_F(Gameplay, EnemiesByDifficultyAndLevel)
{
    game.settings.difficulty = 1;
    std::set<int> hundredths;
    for (int round = 0; round < 40; round++) {
        ASSERT_TRUE(createEnemies());
        EXPECT_EQ(4, game.enemyCount);
        for (int n = 0; n < game.enemyCount; n++) {
            const Enemy &e = game.enemies[n];
            EXPECT_GE(e.speed, 2.5f);
            EXPECT_LT(e.speed, 5.0f);
            hundredths.insert((int)lroundf(e.speed * 100));
            // fRand truncates its float minimum: 1.9 can draw 1.8, so the
            // swing is at least 0.4 rather than 0.5.
            EXPECT_GE(e.pulseMax, e.pulseMin + 0.4f - 1e-5f);
            for (int k = 0; k < enemyCubes; k++) {
                EXPECT_EQ(e.pulseMin, e.cubes[k]->transform.scale);
                EXPECT_EQ(makecol(0, 100 + 20 * k, 0), e.cubes[k]->transform.colour);
            }
        }
        freeEnemies();
    }
    EXPECT_GT(hundredths.size(), 100u);
    game.citiesCleared = 9;
    for (int round = 0; round < 20; round++) {
        createEnemies();
        for (int n = 0; n < game.enemyCount; n++) {
            EXPECT_GE(game.enemies[n].pulseMin, 0.9f - 1e-5f);
            EXPECT_LT(game.enemies[n].pulseMin, 2.0f);
        }
        freeEnemies();
    }
    game.citiesCleared = 10;
    game.settings.difficulty = 3;
    createEnemies();
    EXPECT_EQ(8, game.enemyCount);
    for (int n = 0; n < game.enemyCount; n++)
        EXPECT_EQ(0.1f, game.enemies[n].pulseMin);
}

TEST_F(Gameplay, EnemiesStartAboveTheCityAndStayInside)
{
    ASSERT_TRUE(setupEnemies());
    EXPECT_EQ(6, game.enemiesRemaining);
    const CityBounds &b = game.cityBounds;
    for (int n = 0; n < game.enemyCount; n++) {
        const Transform &t = game.enemies[n].cubes[0]->transform;
        EXPECT_LT(t.y, b.minY);
        EXPECT_GE(t.x, b.minX);
        EXPECT_LE(t.x, b.maxX);
    }
    game.craft.x = 1e5;  // out of their way
    for (int frame = 0; frame < 600; frame++)
        moveEnemies();
    for (int n = 0; n < game.enemyCount; n++) {
        const Transform &t = game.enemies[n].cubes[0]->transform;
        EXPECT_GE(t.x, b.minX);
        EXPECT_LE(t.x, b.maxX);
        EXPECT_GE(t.y, b.minY);
        EXPECT_LE(t.y, b.maxY);
        EXPECT_GE(t.z, b.minZ);
        EXPECT_LE(t.z, b.maxZ);
        for (int k = 1; k < enemyCubes; k++)  // the cubes pulse in step
            EXPECT_EQ(t.scale, game.enemies[n].cubes[k]->transform.scale);
    }
}

TEST_F(Gameplay, AnEnemyTwentyUnitsAwayOnEveryAxisStillRams)
{
    ASSERT_TRUE(setupEnemies());
    Enemy &e = game.enemies[0];
    for (int n = 1; n < game.enemyCount; n++)
        game.enemies[n].state = EnemyGone;
    e.speed = 0;  // it stays where it is put
    for (Quad *cube : e.cubes)
        cube->transform.x = 100, cube->transform.y = -300, cube->transform.z = -10;
    game.craft.x = 80, game.craft.y = -280, game.craft.z = 10;
    game.craft.speed = 4;
    float yaw = e.yaw;
    moveEnemies();
    EXPECT_EQ(7, game.damage);  // trunc(|4 / 2| + 5)
    EXPECT_EQ(1, game.crackCount);
    EXPECT_TRUE(e.yaw == addAngle360(yaw, 100) || e.yaw == addAngle360(addAngle360(yaw, 15), 100));
    EXPECT_EQ(100, e.cubes[0]->transform.x);
}

TEST_F(Gameplay, ClassicEnemiesComeOneAtATime)
{
    game.settings.classic = true;
    ASSERT_TRUE(setupEnemies());
    EXPECT_EQ(EnemyActive, game.enemies[0].state);
    for (int n = 1; n < game.enemyCount; n++)
        EXPECT_EQ(EnemyWaiting, game.enemies[n].state);
    for (int n = 0; n < game.enemyCount; n++) {
        const Transform &t = game.enemies[n].cubes[0]->transform;
        game.craft.x = t.x, game.craft.y = t.y, game.craft.z = t.z - 3;  // right behind it
        game.craft.yaw = 0, game.craft.pitch = 0;
        game.beamActive = true;
        fireBeam();
        EXPECT_EQ(EnemyExploding, game.enemies[n].state) << n;
        if (n + 1 < game.enemyCount) {
            EXPECT_EQ(EnemyActive, game.enemies[n + 1].state) << n;
        }
    }
    EXPECT_EQ(0, game.enemiesRemaining);
}

TEST_F(Gameplay, AnExplosionFliesOutFallsBackAndEnds)
{
    ASSERT_TRUE(setupEnemies());
    Enemy &e = game.enemies[0];
    e.state = EnemyExploding;
    e.blastGrowing = 1;
    int frame = 0;
    while (e.blastGrowing && frame < 200) {
        explodeEnemies();
        frame++;
    }
    EXPECT_EQ(76, frame);  // 75 ticks out at 4 a tick, the sound on the 76th
    while (e.state == EnemyExploding && frame < 400) {
        explodeEnemies();
        frame++;
    }
    EXPECT_EQ(91, frame);
    EXPECT_EQ(EnemyGone, e.state);
}

// ---- The beam and the damage ----

TEST_F(Gameplay, AHitKillsAndScoresByTheEnemysSpeed)
{
    ASSERT_TRUE(setupEnemies());
    Enemy &e = game.enemies[2];
    const Transform &t = e.cubes[0]->transform;
    game.craft.x = t.x, game.craft.y = t.y, game.craft.z = t.z - 50;
    game.craft.yaw = 0, game.craft.pitch = 0;
    for (int n = 0; n < game.enemyCount; n++)
        if (n != 2)
            game.enemies[n].state = EnemyGone;
    EXPECT_FALSE(fireBeam());
    EXPECT_EQ(EnemyExploding, e.state);
    EXPECT_EQ(1, e.blastGrowing);
    EXPECT_EQ(100 * (int)e.speed, game.score);
    EXPECT_EQ(5, game.enemiesRemaining);
}

TEST_F(Gameplay, TheBeamHurtsNearBuildingsMore)
{
    game.difficultyScale = 30;
    const CityCell &c = cell(3);
    int red = getr(c.quad->transform.colour);
    game.craft.x = c.quad->transform.x;
    game.craft.z = c.quad->transform.z - 0.5f;  // the wall at the first step
    game.craft.y = -c.height / 2;
    game.craft.yaw = 0, game.craft.pitch = 0;
    EXPECT_TRUE(fireBeam());
    EXPECT_EQ(red + 30, getr(c.quad->transform.colour));
    EXPECT_EQ(-(int)(c.height / 25), game.score);
    game.craft.z = c.quad->transform.z - 375.5f;  // met at step 375
    fireBeam();
    EXPECT_EQ(red + 45, getr(c.quad->transform.colour));
}

TEST_F(Gameplay, ABuildingGivesWayWhenItsRedWouldReachTheTop)
{
    CityCell &c = cell(8);
    c.red = 250, c.green = c.blue = 10;
    damageBuilding(8, 4, false);
    EXPECT_EQ(BuildingStanding, c.state);
    EXPECT_EQ(makecol(254, 10, 10), c.quad->transform.colour);
    damageBuilding(8, 5, true);
    EXPECT_EQ(BuildingExploding, c.state);
    EXPECT_EQ(-(int)(c.height / 10), game.score);
    CityCell &d = cell(9);
    d.red = 20, d.green = 30, d.blue = 40;
    damageBuilding(9, 5, true);
    EXPECT_EQ(makecol(25, 35, 45), d.quad->transform.colour);
    EXPECT_EQ(-1, buildingAtPoint(c.quad->transform.x, -1, c.quad->transform.z + 1));
}

// Enemies' bumps whiten a building to white and no further, and bring it
// down after the same 51 bumps whatever the colour depth.
TEST_F(Gameplay, BumpsWhitenABuildingUpToWhiteAndBringItDownAtAnyDepth)
{
    for (int depth : {32, 16}) {
        set_color_depth(depth);
        freeCity();
        seedRandom(game.logicRandom, 7);
        buildCity();
        CityCell &c = cell(0);  // dark blue-green, no red
        int green = 0, blue = 0;
        for (int bump = 1; bump <= 50; bump++) {
            damageBuilding(0, 5, true);
            ASSERT_EQ(BuildingStanding, c.state) << depth << " bump " << bump;
            int colour = c.quad->transform.colour;  // a channel that wrapped would drop
            ASSERT_GE(getg_depth(depth, colour), green) << depth << " bump " << bump;
            ASSERT_GE(getb_depth(depth, colour), blue) << depth << " bump " << bump;
            green = getg_depth(depth, colour), blue = getb_depth(depth, colour);
        }
        EXPECT_EQ(makecol_depth(depth, 250, 255, 255), c.quad->transform.colour) << depth;
        damageBuilding(0, 5, true);
        EXPECT_EQ(BuildingExploding, c.state) << depth;
    }
    set_color_depth(32);
}

// A crack draws its lean before its start, and a screen too low for the
// usual start band still cracks, from 50 pixels down.
TEST_F(Gameplay, ACrackDrawsItsLeanBeforeItsStartOnTheClassicPictureAtAnySize)
{
    seedRandom(game.logicRandom, 11);
    Random &r = game.logicRandom;
    int lean = nextRandom(r) % 50, right = nextRandom(r) % 2, x = nextRandom(r) % 800;
    int y = nextRandom(r) % (600 / 5 - 50) + 50;
    double a = (right ? 360 - lean : lean) * 3.14159 / 180;
    seedRandom(game.logicRandom, 11);
    addCrack();
    const CrackSegment &s = game.cracks[0].segments[0];
    EXPECT_EQ(x, s.x1);
    EXPECT_EQ(y, s.y1);
    EXPECT_EQ(x - (int)(y * sin(a)), s.x2);
    EXPECT_EQ(y + (int)(y * cos(a)), s.y2);

    destroy_bitmap(game.backBuffer);
    game.backBuffer = create_bitmap(1920, 1080);
    seedRandom(game.logicRandom, 11);
    addCrack();
    EXPECT_EQ(x, s.x1);
    EXPECT_EQ(y, s.y1);
    destroy_bitmap(game.backBuffer);
    game.backBuffer = create_bitmap(800, 600);
}

// Into a wall at a slant: the craft turns away, mirrored in the wall, three
// degrees a frame the shorter way round, and has the controls back near it.
TEST_F(Gameplay, ASlantedHitOnAWallTurnsTheCraftMirroredInIt)
{
    const CityCell &c = cell(5);
    for (float yaw : {30.0f, 330.0f}) {
        game.collisionFlag = false, game.damage = 0;
        game.craft.x = c.quad->transform.x, game.craft.z = c.quad->transform.z - 2;  // before its south wall
        game.craft.y = -c.height / 2, game.craft.yaw = yaw, game.craft.pitch = 0, game.craft.speed = 4;
        moveCraft();
        ASSERT_TRUE(game.collisionFlag) << yaw;
        EXPECT_EQ(2, game.recoveryMode) << yaw;
        EXPECT_FLOAT_EQ(yaw == 30 ? 150 : 210, game.recoveryTarget) << yaw;
        EXPECT_EQ(6, game.damage) << yaw;  // head on: twice the speed kept, 3
        for (int frame = 0; frame < 38; frame++)
            applyControls(readTickCommand());
        EXPECT_EQ(2, game.recoveryMode) << yaw;
        applyControls(readTickCommand());
        EXPECT_FLOAT_EQ(yaw == 30 ? 147 : 213, game.craft.yaw) << yaw;
        EXPECT_EQ(1, game.recoveryMode) << yaw;
    }
}

// Old School: a roof takes a sink rate under 5 gently; a harder one bounces
// and costs the torque in damage.
TEST_F(Gameplay, OldSchoolLandsUnderFiveOfTorqueAndAHarderTouchCosts)
{
    game.settings.oldSchool = true;
    int roof = game.fuelDepotIndex == 0 ? 1 : 0;
    overRoof(roof, 0.3f);
    game.craft.pitch = 0, game.craft.torque = 4, game.craft.speed = 1;
    moveCraft();
    EXPECT_FALSE(game.collisionFlag);
    EXPECT_EQ(0, game.craft.torque);
    EXPECT_EQ(0, game.craft.speed);
    overRoof(roof, 0.3f);
    game.craft.torque = 7, game.craft.speed = 1;
    moveCraft();
    EXPECT_TRUE(game.collisionFlag);
    EXPECT_EQ(1, game.recoveryMode);
    EXPECT_EQ(7, game.damage);
}

// A button pressed or let go, as SDL reports it.
static void mouseButton(Uint8 button, bool down)
{
    SDL_Event event = {};
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.button = button;
    SDL_PushEvent(&event);
    pumpInput();
}

// With the mouse on, its right button is a throttle and its left fires; its
// motion turns, at the mouse's ratio.
TEST_F(Gameplay, TheMouseButtonsThrottleAndFireAndItsMotionTurns)
{
    ASSERT_EQ(0, SDL_InitSubSystem(SDL_INIT_EVENTS)) << SDL_GetError();
    game.settings.useMouse = true;
    mouseButton(SDL_BUTTON_RIGHT, true);
    applyControls(readTickCommand());
    applyControls(readTickCommand());
    EXPECT_EQ(1.0f, game.craft.speed);
    mouseButton(SDL_BUTTON_RIGHT, false);  // let go, a forward flight slows
    applyControls(readTickCommand());
    EXPECT_EQ(0.5f, game.craft.speed);
    EXPECT_FALSE(game.beamActive);
    mouseButton(SDL_BUTTON_LEFT, true);
    applyControls(readTickCommand());
    EXPECT_TRUE(game.beamActive);
    mouseButton(SDL_BUTTON_LEFT, false);
    endShot();

    SDL_Event moved = {};
    moved.type = SDL_MOUSEMOTION;
    moved.motion.xrel = 3 * mouseDivisor();  // three degrees to the right, in two reports
    SDL_PushEvent(&moved);
    SDL_PushEvent(&moved);
    pumpInput();
    EXPECT_EQ(6, readTickCommand().mouseX);
    EXPECT_EQ(0, readTickCommand().mouseX) << "the motion is taken once";
    SDL_QuitSubSystem(SDL_INIT_EVENTS);
}

TEST_F(Gameplay, DamageCapsAtFiftyAndCracksAtThirty)
{
    applyDamage(50);
    EXPECT_EQ(50, game.damage);
    EXPECT_EQ(Flying, game.craftState);  // exactly 50 does not bring it down
    applyDamage(1);
    EXPECT_EQ(50, game.damage);
    EXPECT_EQ(Crashing, game.craftState);
    applyDamage(5);  // not flying: a crack, no damage
    EXPECT_EQ(50, game.damage);
    EXPECT_EQ(3, game.crackCount);
    for (int hit = 0; hit < 40; hit++)
        applyDamage(1);
    EXPECT_EQ(30, game.crackCount);
    for (int n = 0; n < game.crackCount; n++) {
        const CrackSegment &first = game.cracks[n].segments[0];
        EXPECT_GE(first.y1, 50);
        EXPECT_LT(first.y1, 120);
        for (const CrackSegment &s : game.cracks[n].segments)
            EXPECT_GT(s.y2, s.y1);  // cracks run down the screen
    }
}

}  // namespace
