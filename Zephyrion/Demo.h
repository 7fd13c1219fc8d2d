// Every tick of a game takes its command through here: from the player, and
// recorded, or from a demo being played back and checked against what was
// recorded with it. The game loop begins and ends each game's demo; the
// replays say which demo to play.
#pragma once

#include "Zephyrion/DemoFile.h"
#include "Zephyrion/TickCommand.h"

const char *const lastDemoPath = "demos/last.zdemo";

// The next tick's command, counting the tick. In flight the player's controls
// are read, and the pause is taken when it is asked for; in the sequences and
// the crash's wait only a request to end the program counts.
TickCommand nextTickCommand(bool inFlight);

void beginDemo();  // a game begins: the seed and the settings head its demo
void endDemo();    // a game ends: its result closes the demo; a played one is saved

// What a replay came to.
struct ReplayOutcome {
    bool ranToTheEnd;   // false when the player left it, or the program was asked to end
    bool inStep;        // it ended as recorded, every checkpoint alike
    uint32_t outOfStepTick;  // the first checkpoint that differed, else the last tick
    DemoResult result;  // how the replayed game ended
    uint32_t stateHash; // the whole state's hash as it ended
};

// A row of the high-score table keeps its game's demo as "demos/top-N.zdemo".
int keepGameDemo(int dropped);  // the last game's demo for a new row: its N, or 0
void dropRowDemo(int demo);     // a row has left the table: its demo goes with it
void rowDemoPath(int demo, char *out, int size);

// Who plays: the keys, the mouse and the pad (null), or a pilot of code that
// flies through the same door, as the golden demos' does.
void readPlayerFrom(TickCommand (*reader)());

void playBack(const Demo *demo);  // the demo a replay plays; it must outlive the replay
ReplayOutcome replayOutcome();    // once the replayed game has ended
