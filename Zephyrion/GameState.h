// The game state record: the one process-wide set of plain values through which
// every part of the game shares its state. Declared here, defined in GameState.cpp,
// read and written directly on the game thread.
#pragma once

#include <allegro.h>

#include "Std/3D.h"

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
};

// ---- High-score table ----

const int highScoreRows = 10;

struct HighScoreEntry {
    int score;     // points, may be negative
    char name[4];  // the player's initials: up to 3 characters, NUL-terminated
    int cities;    // cities cleared in that game, 0 and up
    int rating;    // overall rating, index 0..5 into the rating table (5 is "None")
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
    SAMPLE *engine;             // looped while flying
    SAMPLE *crashDive;          // looped while going down
    SAMPLE *crashExplosion;     // the crash; the game waits for its end
    SAMPLE *fireBeam;           // a shot
    SAMPLE *logoEntrance;       // the title logo flying in
    SAMPLE *beamOnBuilding;     // looped while the beam hits a building
    SAMPLE *buildingDestroyed;  // a building blown up
    SAMPLE *enemyHit;           // an enemy hit
    SAMPLE *explosionEnd;       // an enemy's explosion over
    SAMPLE *refusal;            // a key that cannot be taken
    SAMPLE *ram;                // an enemy rams the craft
    SAMPLE *lowFuel;            // low-fuel beep
    SAMPLE *briefing;           // a line of the first briefing
    SAMPLE *refuel;             // refuelling at the depot
};

// ---- The city ----

const int citySlots = 10;    // buildings along x in each strip
const int cityStrips = 12;   // strips along z, strip 0 the southernmost
const int depotMarkers = 4;  // pyramids on the fuel depot's roof

enum BuildingState { Standing = 0, Exploding = 1, Destroyed = 2 };

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
    Quad *quad;                 // its box, standing on the ground; null if it could not be made
};

struct CityBounds {
    float minX, minY, minZ;  // world units; minY lies 20 above the tallest roof
    float maxX, maxY, maxZ;  // maxY is the ground, 0
};

// ---- The record ----

struct GameState {
    Settings settings;                                 // see above; read at start-up, written at exit
    int keyBindings[keyBindingCount] = {               // Allegro scan codes, 1..KEY_MAX-1
        KEY_LEFT, KEY_RIGHT, KEY_UP,  KEY_DOWN, KEY_DOWN,
        KEY_UP,   KEY_PGUP,  KEY_PGDN, KEY_END, KEY_SPACE,
    };
    HighScoreEntry highScores[highScoreRows] = {};     // best first; filled by resetHighScores

    int screenWidth = -1;         // requested mode, pixels: 800 or 640 (-1 before start-up)
    int screenHeight = -1;        // requested mode, pixels: 600 or 480 (-1 before start-up)
    BITMAP *backBuffer = nullptr; // every screen is composed here, SCREEN_W x SCREEN_H
    TtfFont *gameFont = nullptr;  // "bitmaps/chintzy.ttf", all text of the game
    Bitmaps bitmaps = {};         // HUD, icons and logo; null where a file was missing
    Samples samples = {};         // all non-null once start-up has loaded them

    int citiesCleared = 0;                   // cities cleared this game, 0 up: the level of the city in play
    CityCell city[citySlots][cityStrips] = {};  // [slot i][strip j]; building index j * 10 + i
    CityBounds cityBounds = {};              // the box holding the city, with a margin of 20
    int fuelDepotIndex = 0;                  // building index of the depot, 0..119
    Rect *groundRect = nullptr;              // the ground plate, exactly the bounds in x and z
    Pyramid *depotPyramids[depotMarkers] = {};  // the depot's spinning markers
};

extern GameState game;
