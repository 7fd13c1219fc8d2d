// The game state record: the one process-wide set of plain values through which
// every part of the game shares its state. Declared here, defined in GameState.cpp,
// read and written directly on the game thread.
#pragma once

#include <allegro.h>

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

// ---- The record ----

struct GameState {
    Settings settings;                                 // see above; read at start-up, written at exit
    int keyBindings[keyBindingCount] = {               // Allegro scan codes, 1..KEY_MAX-1
        KEY_LEFT, KEY_RIGHT, KEY_UP,  KEY_DOWN, KEY_DOWN,
        KEY_UP,   KEY_PGUP,  KEY_PGDN, KEY_END, KEY_SPACE,
    };
    HighScoreEntry highScores[highScoreRows] = {};     // best first; filled by resetHighScores
};

extern GameState game;
