// A demo as a file: a header with the seed and every setting that changes
// play, then the tick commands in runs, the pauses, checkpoints of the game's
// state and the result. The recorder appends to a Demo in memory; saving
// writes it whole, and loading reads one and says what is wrong with a bad one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "Zephyrion/TickCommand.h"

const int demoVersion = 1;

struct DemoHeader {
    uint32_t seed;       // the logic's generator, as the city was built with it
    int32_t frameRate;   // FrameRate: the tick's length
    int32_t difficulty;  // 1 Easy, 2 Normal, 3 Hard
    int32_t classic;     // game type: 1 Classic, 0 Modern
    int32_t numLives;    // lives at the start, 0..99
    int32_t oldSchool;   // control type: 1 Old School, 0 Modern
    int32_t useMouse;    // 1 when the mouse steered
    int32_t mouseRatio;  // mouse counts per degree, 1 and up
    int32_t sensitivity; // turn rate, degrees a tick, 1..90
    int32_t deadZone;    // the pad's dead zone, per cent, 0..90
    int32_t useGamepad;  // 1 when the pad played
    int32_t lowSpeedPC;  // 1 when it was played on the small screen
};

struct DemoResult {
    int32_t score;      // points at the end
    int32_t cities;     // cities cleared
    int32_t ratingSum;  // sum of their ratings
    int32_t lives;      // lives left
    uint32_t ticks;     // ticks the whole game took
};

enum DemoEventKind { DemoCommands = 1, DemoPause = 2, DemoCheckpoint = 3, DemoEnd = 4 };

struct DemoEvent {
    uint8_t kind;       // DemoEventKind, but never DemoEnd: the result closes the list
    uint32_t count;     // commands: ticks the command held, 1..65535; pause: its ticks
    uint32_t tick;      // checkpoint: the tick it was taken before
    uint32_t hash;      // checkpoint: the game state's hash then
    TickCommand cmd;    // commands: what the player did
};

struct Demo {
    DemoHeader header;
    std::vector<DemoEvent> events;  // in the order they happened
    DemoResult result;              // filled when the game ended
    uint32_t ticks;                 // commands recorded, so far
};

// What is wrong with a file that could not be read as a demo.
enum DemoFault { DemoFine, DemoUnreadable, DemoForeign, DemoNewer, DemoEndsEarly, DemoCorrupt };

struct DemoCheck {
    int fault;      // DemoFault
    uint32_t tick;  // where an early end or a fault was met
    int version;    // a newer file's version
    int error;      // errno of an unreadable file
};

void recordCommand(Demo &demo, const TickCommand &cmd);
void recordPause(Demo &demo, uint32_t ticks);
void recordCheckpoint(Demo &demo, uint32_t tick, uint32_t hash);

std::vector<unsigned char> encodeDemo(const Demo &demo);
bool decodeDemo(const unsigned char *bytes, size_t size, Demo &demo, DemoCheck &check);

bool loadDemo(const char *path, Demo &demo, DemoCheck &check);
bool saveDemo(const char *path, const Demo &demo);  // in one step; false with errno set

// The one line that says what is wrong with the file, e.g. "Not a Zephyrion demo: FILE".
void describeDemoFault(const DemoCheck &check, const char *path, char *out, int size);
