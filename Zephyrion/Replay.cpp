// Replays. See Replay.h.
#include "Zephyrion/Replay.h"

#include <allegro.h>

#include <cmath>
#include <cstdio>

#include "Std/Errors.h"
#include "Std/Folders.h"
#include "Zephyrion/City.h"
#include "Zephyrion/Game.h"
#include "Zephyrion/GameState.h"

static const int outOfStepStatus = 3;
static const int shippedDemos = 9;  // "attract/1.zdemo" and on, as many as are there

static int attractRow;      // the row whose demo the attract mode looks at next
static int attractShipped;  // and the shipped demo, while no row has one

// What the header sets for the replay; the screen stays as the player has it.
static void applyHeader(const DemoHeader &h)
{
    Settings &s = game.settings;
    s.frameRate = h.frameRate, s.difficulty = h.difficulty, s.classic = h.classic != 0;
    s.numLives = h.numLives, s.oldSchool = h.oldSchool != 0, s.useMouse = h.useMouse != 0;
    s.mouseRatio = h.mouseRatio, s.sensitivity = h.sensitivity;
    s.gamepadDeadZone = h.deadZone, s.useGamepad = h.useGamepad != 0;
}

ReplayOutcome replayDemo(const Demo &demo, int replay)
{
    Settings kept = game.settings;
    applyHeader(demo.header);
    game.replay = replay;
    playBack(&demo);
    game.citySeed = demo.header.seed;
    seedRandom(game.logicRandom, demo.header.seed);
    game.citiesCleared = 0;
    buildCity();
    runGame();
    freeCity();
    ReplayOutcome out = replayOutcome();
    playBack(nullptr);
    game.replay = NoReplay;
    bool fullScreen = game.settings.fullScreen;  // a switch made meanwhile stands
    game.settings = kept;
    game.settings.fullScreen = fullScreen;
    return out;
}

// How evenly a watched replay's frames came: the mean interval between two
// frames of a loop, its standard deviation and the longest, in ms.
static void reportPacing(uint32_t frames)
{
    const PresentGaps &g = game.presentGaps;
    if (!g.count)
        return;
    double mean = g.sum / g.count, variance = g.squares / g.count - mean * mean;
    printf("%u frames, every %.2f ms: standard deviation %.2f ms, worst gap %.2f ms\n", frames,
           mean / 1000, sqrt(variance > 0 ? variance : 0) / 1000, g.worst / 1000);
    fflush(stdout);
}

int runDemoFromCommandLine(const Demo &demo, const char *path, int replay)
{
    uint32_t frames = game.framesPresented, began = game.msTicks;
    game.presentGaps = PresentGaps();
    ReplayOutcome out = replayDemo(demo, replay);
    uint32_t ms = game.msTicks - began;
    frames = game.framesPresented - frames;
    if (replay == TimedReplay) {
        double seconds = ms / 1000.0;
        printf("Score %d, cities %d, ticks %u\n", out.result.score, out.result.cities,
               out.result.ticks);
        printf("%u ticks, %u frames in %.2f s: %.1f fps\n", out.result.ticks, frames, seconds,
               seconds > 0 ? frames / seconds : 0.0);
        printf("Picture %dx%d\n", game.backBuffer->w, game.backBuffer->h);
        fflush(stdout);
    } else {
        reportPacing(frames);
    }
    if (!out.ranToTheEnd || out.inStep)
        return 0;
    fprintf(stderr, "Demo out of step at tick %u\n", out.outOfStepTick);
    logError(__LINE__, __FILE__, SevWarning, "Demo %s out of step at tick %u", path,
             out.outOfStepTick);
    return replay == TimedReplay ? outOfStepStatus : 0;
}

bool loadDemoToPlay(const char *path, Demo &demo, bool sayOnStderr)
{
    DemoCheck check;
    if (loadDemo(path, demo, check))
        return true;
    char line[512];
    describeDemoFault(check, path, line, sizeof line);
    if (sayOnStderr)
        fprintf(stderr, "%s\n", line);
    logError(__LINE__, __FILE__, SevWarning, "%s", line);
    return false;
}

// The rows' own demos, best first and the next one each round; until a
// player's game is in the table, those that ship with the game.
static bool nextAttractDemo(Demo &demo)
{
    for (int n = 0; n < highScoreRows; n++) {
        int row = (attractRow + n) % highScoreRows;
        const HighScoreEntry &entry = game.highScores[row];
        char path[64];
        rowDemoPath(entry.demo, path, sizeof path);
        if (entry.demo && loadDemoToPlay(path, demo, false)) {
            attractRow = row + 1;
            snprintf(game.replayCaption, sizeof game.replayCaption, "%s  %d", entry.name,
                     entry.score);
            return true;
        }
    }
    for (int n = 0; n < shippedDemos; n++) {
        int shipped = (attractShipped + n) % shippedDemos;
        char name[64];
        snprintf(name, sizeof name, "attract/%d.zdemo", shipped + 1);
        std::string path = dataFile(name);
        if (!exists(path.c_str()) || !loadDemoToPlay(path.c_str(), demo, false))
            continue;
        attractShipped = shipped + 1;
        snprintf(game.replayCaption, sizeof game.replayCaption, "%d", demo.result.score);
        return true;
    }
    return false;
}

bool playAttractDemo()
{
    static Demo demo;
    if (!nextAttractDemo(demo))
        return false;
    freeCity();
    replayDemo(demo, AttractReplay);
    game.replayCaption[0] = 0;
    return true;
}
