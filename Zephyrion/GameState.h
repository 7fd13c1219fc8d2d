// The game state record: the one process-wide set of plain values through which
// every part of the game shares its state. Declared here, defined in GameState.cpp,
// read and written directly on the game thread.
#pragma once

#include <allegro.h>

#include <cstdint>

#include "Std/3D.h"
#include "Std/Clock.h"
#include "Std/Random.h"

// ---- Settings ("Zephyrion.cfg") ----

// The ten flight controls, in the order of the "Keys" section.
enum KeyBinding {
    BindLeft,
    BindRight,
    BindPitchForward,
    BindPitchBack,
    BindTorqueIncrease,
    BindTorqueDecrease,
    BindAccelerate,
    BindDeccelerate,
    BindStop,
    BindFire,
    keyBindingCount
};

// "Smooth Motion": one frame a tick, frames at a rate, or at the display's own rate.
const int smoothMotionOff = 0;
const int smoothMotionDisplay = -1;
const int fastestSmoothMotion = 1000;  // frames a second; a faster hand-set rate is mended

struct Settings {
    bool lowSpeedPC = false;  // 640 x 480 and the low splash when on, else 800 x 600
    bool classic = false;     // game type: Classic (one enemy at a time) when on, Modern when off
    int numLives = 3;         // lives at the start of a game, 0..99 (0 still plays one life)
    int difficulty = 2;       // 1 Easy, 2 Normal, 3 Hard; any other value plays and shows as Normal
    bool useMouse = false;    // steer with the mouse as well as the keys
    bool oldSchool = false;   // control type: torque when on, pitch when off
    int sensitivity = 3;      // turn rate, degrees per frame, 1..90: 1 Fine, 3 Normal, 6 Coarse
    bool showFPS = false;     // the HUD shows "FPS: %d"
    int frameRate = 30;       // target frames per second, 1 and up
    int mouseRatio = 24;      // mouse counts per degree of turn, 1 and up
    bool fullScreen = true;   // full screen at the desktop's size when on, else a window
    int windowScale = 0;      // the window in multiples of the game's size: 0 Auto, 1..3
    bool pauseWhenUnfocused = true;  // a window that loses the keyboard focus pauses the game
    int smoothMotion = smoothMotionDisplay;  // frames a second drawn between the ticks: 0 Off,
                                             // 1..1000, or -1 the display's refresh rate
    bool vsync = true;        // frames shown in step with the monitor's refresh, where it can be had
    int scaling = 0;          // how the picture is scaled to the screen: 0 Sharp, 1 Pixel Perfect, 2 Smooth
    bool widescreen = true;   // the picture widened to the screen's shape, else 4:3
    int resolution = 0;       // the picture's lines: 1 Classic (600, or 480), 2 Double, 0 the screen's
    int soundVolume = 100;    // per cent of full volume over every sample, 0..100 (0 mixes nothing)
    bool useGamepad = true;   // gamepads steer, fire and work the menus as well as the keys
    int gamepadDeadZone = 25; // per cent of the stick's travel that does nothing, 0..90
};

// ---- High-score table ----

const int highScoreRows = 10;
const int ratingCount = 6;  // the rating table's levels, best first
const int noRating = 5;     // "None": a game without a cleared city

struct HighScoreEntry {
    int score;     // points, may be negative
    char name[4];  // the player's initials: up to 3 characters, NUL-terminated
    int cities;    // cities cleared in that game, 0 and up
    int rating;    // overall rating, index 0..5 into the rating table (5 is "None")
    int demo;      // its game's demo, "demos/top-<demo>.zdemo"; 0 when it has none
};

// ---- Assets: loaded at start-up, released at shutdown ----

struct TtfFont;

// The instrument, icon and logo bitmaps, in loading order. A bitmap whose file
// could not be loaded is null and is left out where it would be drawn.
struct Bitmaps {
    BITMAP *radar;      // radar disc, turned with the heading
    BITMAP *radarDir;   // radar frame, centre of the instrument row
    BITMAP *speedo;     // speedometer dial
    BITMAP *pitch;      // pitch gauge (Modern controls)
    BITMAP *torque;     // torque gauge (Old School controls)
    BITMAP *altimeter;  // altimeter dial
    BITMAP *crosshair;  // screen-centre crosshair
    BITMAP *damage;     // damage bar gauge
    BITMAP *fuel;       // fuel bar gauge
    BITMAP *hudBar;     // strip behind the life and enemy icons
    BITMAP *lifeInd;    // one per life left
    BITMAP *enemyInd;   // one per enemy left
    BITMAP *fuelDir;    // arrow to the fuel depot
    BITMAP *logo;       // the title logo
};

// The samples, in loading order.
struct Samples {
    SAMPLE *engine;              // looped while flying
    SAMPLE *crashDive;           // looped while going down
    SAMPLE *crashExplosion;      // the crash; the game waits for its end
    SAMPLE *fireBeam;            // a shot
    SAMPLE *logoEntrance;        // the title logo flying in
    SAMPLE *beamOnBuilding;      // looped while the beam hits a building
    SAMPLE *buildingDestroyed;   // a building blown up
    SAMPLE *enemyHit;            // an enemy hit
    SAMPLE *explosionEnd;        // an enemy's explosion over
    SAMPLE *refusal;             // a key that cannot be taken
    SAMPLE *ram;                 // an enemy rams the craft
    SAMPLE *lowFuel;             // low-fuel beep
    SAMPLE *briefing;            // a line of the first briefing
    SAMPLE *refuel;              // refuelling at the depot
    uint32_t cuesSounded;        // one-shot cues started since start-up; counts up, wraps
};

// ---- The city ----

const int citySlots = 10;    // buildings along x in each strip
const int cityStrips = 12;   // strips along z, strip 0 the southernmost
const int depotMarkers = 4;  // pyramids on the fuel depot's roof

enum BuildingState { BuildingStanding = 0, BuildingExploding = 1, BuildingDestroyed = 2 };

struct CityCell {
    int state;                  // BuildingState: only moves forward
    unsigned char isFuelDepot;  // 1 for the one refuelling building
    float blastDistance;        // how far an exploding building's faces have flown, units
    float blastScale;           // an exploding building's scale, 1.0 down to below 0.02
    float blastSpin;            // turn of the exploding faces, turn steps 0..255
    float width;                // along x, 30..149 units
    float height;               // above the ground, 80..779 units (the level's cap + 79)
    float depth;                // along z, 30..149 units
    float gap;                  // street after it along x, 10..49 units
    int red, green, blue;       // its colour, 0..255 each: the beam adds red, a bump all three
    Quad *quad;                 // its box, standing on the ground; null if it could not be made
};

struct CityBounds {
    float minX, minY, minZ;  // world units; minY lies 20 above the tallest roof
    float maxX, maxY, maxZ;  // maxY is the ground, 0
};

// ---- Enemies ----

const int enemyCubes = 4;

enum EnemyState { EnemyActive = 0, EnemyExploding = 1, EnemyGone = 2, EnemyWaiting = 3 };

// An enemy as the last tick began: frames between ticks draw it on from here.
struct EnemyBefore {
    float x, y, z;                     // the cubes' place, world units
    float scale[enemyCubes];           // each cube's scale, 0.1..2.5
    float blastDistance, blastScale, blastSpin;  // its explosion, as below
};

struct Enemy {
    int state;                         // EnemyState
    unsigned char blastGrowing;        // 1 while the explosion expands, 0 while it falls back
    float blastDistance;               // how far the exploded faces have flown, units, 0..300
    float blastScale;                  // scale of the exploded faces, 1.0 down
    float blastSpin;                   // spin of the exploded faces, turn steps 0..255
    float speed;                       // units a frame
    float yaw;                         // heading, degrees 0..360
    float pitch;                       // climb, degrees 0..360, positive downward
    float pulseMin, pulseMax;          // the cubes' scale swings between these, 0.1..2.5
    unsigned char growing[enemyCubes]; // per cube: 1 while its scale grows
    Quad *cubes[enemyCubes];           // four 6 x 6 x 6 boxes at the enemy's position
    EnemyBefore before;                // as the last tick began, for the frames between ticks
};

// ---- Damage ----

const int maxCracks = 30;
const int crackSegments = 5;

struct CrackSegment {
    int x1, y1, x2, y2;  // screen pixels, start and end
};

struct Crack {
    CrackSegment segments[crackSegments];  // each starts a little short of the last one's end
};

// ---- The game ----

// The player's craft in the world. Each frame's camera is made from it, and
// nothing of the picture ever writes it. Angles in degrees.
struct Craft {
    float x;       // east, world units
    float y;       // down: the ground is y = 0, altitude is -y
    float z;       // north
    float yaw;     // heading, 0 north (+z), 90 east (+x), 0..360
    float pitch;   // positive noses down, 0..360
    float roll;    // banked in a turn, -10..10
    float torque;  // vertical rate of the Old School controls, units a tick
    float speed;   // forward speed, units a tick, -10..10
};

// What the craft is doing. Only Flying reads the controls.
enum CraftState { Flying = 0, Crashing = 1, Destroyed = 2, Autopilot = 3 };

// The timers that run on game time (the clock runs on its own thread).
enum GameTimer { RecoveryTimer, CollapseTimer, FuelTimer, FireTimer, gameTimerCount };

// Whether the game in play is a replay, and how it is shown: at its own pace
// with its sounds, or as fast as it can be drawn in silence.
// The title's attract mode is watched too, and any key ends it. A headless
// replay, for the tests, runs the ticks alone and shows no frame at all.
enum Replay { NoReplay = 0, WatchedReplay, TimedReplay, AttractReplay, HeadlessReplay };

// What a life's frame loop ended with.
enum CityResult { EscapePressed = 0, CraftCrashed = 1, CityCleared = 2 };

// The intervals between presented frames, for the report of a watched replay.
struct PresentGaps {
    uint64_t lastUs;   // clockMicros at the last present, 0 when a loop has just begun
    uint32_t count;    // intervals measured, 0 up
    double sum;        // their sum, us
    double squares;    // the sum of their squares, us^2
    double worst;      // the longest, us
};

// ---- The record ----

struct GameState {
    // Where the game is
    const char *loop = "start-up";    // the loop running: "title", "flight", "pause", ...; a literal

    // Settings and the stored tables
    Settings settings;                                 // see above; read at start-up, written at exit
    int keyBindings[keyBindingCount] = {               // Allegro scan codes, 1..KEY_MAX-1
        KEY_LEFT, KEY_RIGHT, KEY_UP,  KEY_DOWN, KEY_DOWN,
        KEY_UP,   KEY_PGUP,  KEY_PGDN, KEY_END, KEY_SPACE,
    };
    HighScoreEntry highScores[highScoreRows] = {};     // best first; filled by resetHighScores

    // Start-up and assets
    int screenWidth = -1;         // the picture, pixels: 800 or 640 at 4:3 Classic, as wide and
                                  // as tall as the screen at most (-1 before start-up)
    int screenHeight = -1;        // its height: 600 or 480 at Classic, else the screen's or twice
    BITMAP *backBuffer = nullptr; // every screen is composed here, screenWidth x screenHeight
    TtfFont *gameFont = nullptr;  // "bitmaps/chintzy.ttf", all text of the game
    Bitmaps bitmaps = {};         // HUD, icons and logo; null where a file was missing
    int artSize = 1;              // the size of the art they were made from: 1 classic, 2..4
                                  // for pictures that many times as tall
    float artScale = 1;           // the picture's scale they were brought to from it
    Samples samples = {};         // all non-null once start-up has loaded them

    // Time: the clock runs by itself from start-up; game time moves a tick at a time.
    MsClock msTicks = 0u;             // ms since start-up; wraps, so compare differences
    uint32_t tickMs = 33;             // ms of game time a tick: 1000 / FrameRate, fixed as a game begins
    uint32_t tick = 0;                // ticks since the game began, 0 up
    uint32_t gameMs = 0;              // ms of game time since the game began: tick x tickMs
    bool paused = false;              // the pause is up: P, Pause or a lost focus; no tick runs
    bool timerRunning[gameTimerCount] = {};  // which of the game's timers are on
    uint32_t timerDue[gameTimerCount] = {};  // gameMs at which each running timer next fires
    uint32_t timerPeriod[gameTimerCount] = {};  // ms between its firings, as its owner set it

    // Randomness: the logic's numbers are the game's, the picture's its own
    uint32_t citySeed = 0;            // what the logic's generator was seeded with for the city shown
    Random logicRandom = {};          // the city, the enemies, their drift, the cracks
    Random pictureRandom = {};        // the beam's flicker and the intro's stripes only

    // The game in play
    int lives = 0;                    // lives left; the game goes on while above 0
    int citiesCleared = 0;            // cities cleared this game, 0 up: the level of the city in play
    int score = 0;                    // points; may fall below 0
    int ratingSum = 0;                // sum of the cleared cities' rating indexes, 0 up
    Craft craft = {};                 // where it flies and how fast
    int craftState = Flying;          // CraftState; an empty tank may start the crash
    float fuel = 100.0f;              // percent, 0..100
    int damage = 0;                   // 0..50; 50 sends the craft down
    int crackCount = 0;               // windscreen cracks shown, 0..30
    Crack cracks[maxCracks] = {};     // the first crackCount are drawn
    int enemyCount = 0;               // enemies in this city: 4, 6 or 8
    Enemy *enemies = nullptr;         // enemyCount records, null between cities
    int enemiesRemaining = 0;         // enemies still alive, 0..enemyCount; 0 clears the city
    bool firstApproach = false;       // from a new game until its first life ends: the briefing shows
    bool collisionFlag = false;       // a collision recovery is on: no turning, the HUD says so
    bool beamActive = false;          // a shot is on: the beam is drawn and tested each frame
    int difficultyScale = 20;         // 10, 20 or 30 for Easy, Normal, Hard: the beam's damage
    float difficultyFactor = 2.0f;    // 1, 2 or 3 for Easy, Normal, Hard: the fuel burn

    // Flight: the collision recovery
    int recoveryMode = 1;             // 1 coast to a stop, 2 turn the yaw, 3 turn the pitch
    float recoveryTarget = 0;         // degrees, 0..360: what mode 2 or 3 turns toward
    bool recoveryTurnUp = false;      // the recovery turn adds 3 degrees a frame, else subtracts

    // HUD: the low-fuel warning's blink
    bool lowFuelBlinkOn = false;      // "Fuel is Low" shows this second
    uint32_t lowFuelToggledMs = 0;    // gameMs of its last change
    uint32_t screenshotNoteEnds = 0;  // msTicks when "Screenshot saved" goes from the HUD

    // Demos: every game is recorded; a replay plays one back and keeps nothing of it
    int replay = NoReplay;            // Replay: none, watched, timed, attract mode or headless
    char replayCaption[40] = "";      // over an attract-mode replay: whose game it is; else empty
    uint32_t framesPresented = 0;     // frames shown since the program started, for the timedemo

    // Frame pacing, shared by every loop that presents frames: ticks and frames
    // run on the one clock, clockMicros (a timed replay's runs a frame at a time)
    int frameCount = 0;               // frames presented since the last frames-per-second update
    int fpsValue = 0;                 // frames presented in the last full second
    uint32_t fpsWindowStart = 0;      // msTicks at the start of the current second
    uint32_t frameTime = 0;           // ms of real time a tick, 1000 / FrameRate, fixed at the first
                                      // present; 0 runs the ticks as fast as the frames go
    bool fpsStarted = false;          // fpsWindowStart has been set this run
    bool pacingStarted = false;       // frameTime has been set this run
    int displayRate = 60;             // the monitor's refresh rate, Hz; 60 where it cannot be told
    int framesPerSecond = 0;          // the loop's frame rate; 0: one frame a tick
    uint64_t nextTickUs = 0;          // the clock's time the next tick is due at, us
    uint64_t nextFrameUs = 0;         // the clock's time the next frame is shown at; at one a
                                      // tick, the time its tick ends, us
    bool tickRunThisFrame = false;    // one frame a tick: this frame's tick has run
    PresentGaps presentGaps = {};     // how evenly the frames have come
    int beamVoice = -1;               // voice of the looping beam-on-building sample, -1 when silent

    // Frames between ticks: the world as the last tick began (each enemy keeps its own)
    Craft craftBefore = {};           // the craft as the last tick began
    bool craftCut = false;            // it jumped in the last tick: frames show it where it landed
    Craft craftSeen = {};             // the craft as the frame being drawn shows it
    float between = 1;                // where the frame being drawn lies between the last two
                                      // ticks, 0..1; 1, the last tick's world, outside a frame

    // The city
    CityCell city[citySlots][cityStrips] = {};  // [slot i][strip j]; building index j * 10 + i
    CityBounds cityBounds = {};              // the box holding the city, with a margin of 20
    int fuelDepotIndex = 0;                  // building index of the depot, 0..119
    Rect *groundRect = nullptr;              // the ground plate, exactly the bounds in x and z
    Pyramid *depotPyramids[depotMarkers] = {};  // the depot's spinning markers
};

extern GameState game;

// Names the loop the game is in while it lasts, and gives back the name of
// the loop around it after.
struct InLoop {
    const char *around;
    explicit InLoop(const char *name) : around(game.loop) { game.loop = name; }
    ~InLoop() { game.loop = around; }
};

// The loop and the main fields of the game in play, in a line: where the game
// stood, for a report of a test that ran too long.
void describeGame(char *out, int size);

// A hash of everything a tick changes, to tell whether a replay is in step.
// The cracks' places on the screen are left out: they follow the screen's size.
uint32_t hashGameState();
