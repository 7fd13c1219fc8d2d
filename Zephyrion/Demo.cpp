// Recording and playing back demos. See Demo.h.
#include "Zephyrion/Demo.h"

#include <allegro.h>

#include <cstdio>

#include "Std/Errors.h"
#include "Std/Files.h"
#include "Std/Input.h"
#include "Std/Platform.h"
#include "Zephyrion/GameState.h"
#include "Zephyrion/Pause.h"

static const uint32_t checkpointTicks = 30;  // a checkpoint of the state every this many ticks
static const char *const demoFolder = "demos";
static const int watchPollMs = 10;

static Demo recording;               // the game being played
static const Demo *playing;          // the demo the next replay plays back
static size_t playEvent;             // the event of it being played
static uint32_t playUsed;            // commands of that event already played
static bool replayLeft, replayRanOut, outOfStep;
static uint32_t outOfStepTick;
static uint32_t endHash;             // the state's hash as the last game ended
static TickCommand (*readPlayer)() = readTickCommand;  // the player's controls

// ---- Playing ----

static TickCommand playerCommand(bool inFlight)
{
    if (game.tick % checkpointTicks == 0)
        recordCheckpoint(recording, game.tick, hashGameState());
    TickCommand cmd = {};
    if (inFlight) {
        cmd = readPlayer();
        if (!(cmd.buttons & (CmdEscape | CmdQuit)) && pauseWanted()) {
            uint32_t began = game.msTicks;
            if (!pauseGame())
                cmd.buttons |= CmdEscape;
            recordPause(recording, game.tickMs ? (game.msTicks - began) / game.tickMs : 0);
        }
    } else if (quitRequested()) {
        cmd.buttons = CmdQuit;
    }
    recordCommand(recording, cmd);
    return cmd;
}

// ---- Playing back ----

// Escape leaves a replay that was asked for; any key leaves the attract mode;
// only a request to end the program leaves the others.
static bool playerLeaves()
{
    if (quitRequested())
        return true;
    if (game.replay == TimedReplay || game.replay == HeadlessReplay)
        return false;
    serveInput();
    if (game.replay == WatchedReplay)
        return keyHeld(KEY_ESC);
    if (!keyWaiting())
        return false;
    clearKeys();  // the key does nothing else
    return true;
}

// A watched replay holds the last frame as long as the player's pause lasted.
static void watchPause(uint32_t ticks)
{
    if (game.replay != WatchedReplay)
        return;
    uint32_t began = game.msTicks, ms = ticks * game.tickMs;
    while (game.msTicks - began < ms && !playerLeaves()) {
        restMs(watchPollMs);
        serveInput();
    }
}

static TickCommand playedCommand()
{
    TickCommand quit = {};
    quit.buttons = CmdQuit;
    if (replayLeft || playerLeaves()) {
        replayLeft = true;
        return quit;
    }
    const std::vector<DemoEvent> &events = playing->events;
    for (; playEvent < events.size(); playEvent++, playUsed = 0) {
        const DemoEvent &e = events[playEvent];
        if (e.kind == DemoCheckpoint) {
            if (!outOfStep && (e.tick != game.tick || e.hash != hashGameState()))
                outOfStep = true, outOfStepTick = e.tick;
        } else if (e.kind == DemoPause) {
            watchPause(e.count);
        } else if (playUsed < e.count) {
            playUsed++;
            return e.cmd;
        }
    }
    replayRanOut = true;
    return quit;
}

TickCommand nextTickCommand(bool inFlight)
{
    TickCommand cmd = game.replay ? playedCommand() : playerCommand(inFlight);
    game.tick++;
    return cmd;
}

// ---- Beginning and ending ----

static DemoHeader headerOfSettings()
{
    const Settings &s = game.settings;
    DemoHeader h = {};
    h.seed = game.citySeed;
    h.frameRate = s.frameRate, h.difficulty = s.difficulty, h.classic = s.classic;
    h.numLives = s.numLives, h.oldSchool = s.oldSchool, h.useMouse = s.useMouse;
    h.mouseRatio = s.mouseRatio, h.sensitivity = s.sensitivity;
    h.deadZone = s.gamepadDeadZone, h.useGamepad = s.useGamepad, h.lowSpeedPC = s.lowSpeedPC;
    return h;
}

void beginDemo()
{
    if (game.replay) {
        playEvent = 0, playUsed = 0;
        replayLeft = replayRanOut = outOfStep = false;
        return;
    }
    recording = Demo();
    recording.header = headerOfSettings();
}

static DemoResult resultOfGame()
{
    return {game.score, game.citiesCleared, game.ratingSum, game.lives, game.tick};
}

void endDemo()
{
    endHash = hashGameState();
    if (game.replay)
        return;
    recording.result = resultOfGame();
    recording.result.ticks = recording.ticks;
    if (!makeFolder(demoFolder) || !saveDemo(lastDemoPath, recording))
        logError(__LINE__, __FILE__, SevWarning, "Unable to save the game's demo as %s",
                 lastDemoPath);
}

void rowDemoPath(int demo, char *out, int size)
{
    snprintf(out, (size_t)size, "%s/top-%d.zdemo", demoFolder, demo);
}

static bool demoInUse(int demo, int dropped)
{
    if (demo == dropped)
        return true;  // its file is still there until the table has been written
    for (const HighScoreEntry &row : game.highScores)
        if (row.demo == demo)
            return true;
    return false;
}

// The first number no row holds; the file is written before the table names it.
int keepGameDemo(int dropped)
{
    int demo = 1;
    while (demoInUse(demo, dropped))
        demo++;
    char path[64];
    rowDemoPath(demo, path, sizeof path);
    if (makeFolder(demoFolder) && saveDemo(path, recording))
        return demo;
    logError(__LINE__, __FILE__, SevWarning, "Unable to keep the game's demo as %s", path);
    return 0;
}

void dropRowDemo(int demo)
{
    if (demo <= 0)
        return;
    char path[64];
    rowDemoPath(demo, path, sizeof path);
    removeFile(path);
}

void readPlayerFrom(TickCommand (*reader)())
{
    readPlayer = reader ? reader : readTickCommand;
}

void playBack(const Demo *demo)
{
    playing = demo;
}

ReplayOutcome replayOutcome()
{
    ReplayOutcome out = {};
    out.result = resultOfGame();
    out.ranToTheEnd = !replayLeft;
    out.stateHash = endHash;
    const DemoResult &r = playing->result, &now = out.result;
    bool sameResult = now.score == r.score && now.cities == r.cities &&
                      now.ratingSum == r.ratingSum && now.lives == r.lives && now.ticks == r.ticks;
    out.inStep = !outOfStep && !replayRanOut && sameResult;
    out.outOfStepTick = outOfStep ? outOfStepTick : now.ticks;
    return out;
}
