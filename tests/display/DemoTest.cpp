// Demos on a real screen: a game replays to the very same end twice and on
// the other screen size, and the golden demos, which the pilot played, and
// the attract mode's, which the attract pilot played, replay in step to the
// results they were recorded with.
#include <allegro.h>
#include <gtest/gtest.h>

#include <string>

#include "GameScreen.h"
#include "Zephyrion/Demo.h"
#include "Zephyrion/GameState.h"
#include "Zephyrion/Graphics.h"
#include "Zephyrion/Replay.h"
#include "Zephyrion/Timers.h"
#include "Zephyrion/Zephyrion.h"

namespace {

class Demos : public GameScreen {
  protected:
    void SetUp() override
    {
        GameScreen::SetUp();
        ASSERT_TRUE(loadGraphics());
        ASSERT_TRUE(loadSounds());
        installClock();
    }
    void TearDown() override
    {
        freeSounds();
        freeGraphics();
    }
};

// A game written as its tick commands: the approach, a wide turn with the
// beam held on, a dive, the beam again, then Escape.
Demo scriptedGame(int16_t turn)
{
    Demo d = {};
    d.header = {4321, 30, 2, 0, 3, 0, 0, 24, 3, 25, 1, 0};
    auto hold = [&d](int ticks, int16_t t, int16_t forward, uint16_t buttons) {
        TickCommand cmd = {};
        cmd.turn = t, cmd.forward = forward, cmd.buttons = buttons;
        for (int n = 0; n < ticks; n++)
            recordCommand(d, cmd);
    };
    hold(160, 0, 0, 0);  // the approach
    hold(12, 0, 0, CmdFaster);
    hold(400, turn, 0, CmdFire);
    hold(10, 0, commandFullTravel, 0);
    hold(300, 0, 0, CmdFire);
    hold(1, 0, 0, CmdEscape);
    d.result.ticks = d.ticks;
    return d;
}

// Drawn at 800 x 600, not drawn at all, and drawn at 640 x 480: drawing
// changes nothing, and neither does the screen's size.
TEST_F(Demos, AGameReplaysToTheSameEndDrawnOrNotOnEitherScreen)
{
    Demo d = scriptedGame(commandFullTravel / 2);
    ReplayOutcome a = replayDemo(d, TimedReplay);
    ReplayOutcome b = replayDemo(d, HeadlessReplay);
    freeGraphics();
    ASSERT_TRUE(openGameScreen(true));
    ASSERT_TRUE(loadGraphics());
    ReplayOutcome c = replayDemo(d, TimedReplay);
    EXPECT_EQ(d.ticks, a.result.ticks);
    EXPECT_NE(0, a.result.score) << "the beam met something";
    for (const ReplayOutcome &o : {b, c}) {
        EXPECT_EQ(a.stateHash, o.stateHash);
        EXPECT_EQ(a.result.score, o.result.score);
    }
    Demo other = scriptedGame(commandFullTravel / 2 + 1);  // a hair more turn
    EXPECT_NE(a.stateHash, replayDemo(other, HeadlessReplay).stateHash) << "the hash sees it";
}

// Recorded by tools/record-golden-demos.sh. A change of the game's rules that
// changes these results re-records them, and says why.
TEST_F(Demos, TheGoldenDemosReplayInStepToTheirResults)
{
    struct Golden {
        const char *file;
        int score, cities, lives;
    };
    const Golden goldens[] = {
        {"clear-a-city.zdemo", -127, 1, 1},
        {"old-school-refuel-and-crash.zdemo", -38, 0, 1},
        {"twenty-one-cities.zdemo", 10159, 21, 3},
    };
    for (const Golden &g : goldens) {
        Demo d;
        DemoCheck check;
        ASSERT_TRUE(loadDemo((std::string(GOLDEN_DIR) + "/" + g.file).c_str(), d, check)) << g.file;
        ReplayOutcome out = replayDemo(d, HeadlessReplay);
        EXPECT_TRUE(out.ranToTheEnd) << g.file;
        EXPECT_TRUE(out.inStep) << g.file << " out of step at tick " << out.outOfStepTick;
        EXPECT_EQ(g.score, out.result.score) << g.file;
        EXPECT_EQ(g.cities, out.result.cities) << g.file;
        EXPECT_EQ(g.lives, out.result.lives) << g.file;
    }
}

// The attract mode's demos, recorded by tools/record-attract-demos.sh: the
// same games the title shows, each of its cities cleared without a crash.
TEST_F(Demos, TheAttractDemosReplayInStepToTheirResults)
{
    struct Shipped {
        const char *file;
        int score, cities, lives;
        uint32_t ticks;
    };
    const Shipped shipped[] = {
        {"1.zdemo", 8910, 2, 3, 3252},
        {"2.zdemo", 8840, 2, 3, 3567},
        {"3.zdemo", 8735, 1, 3, 2101},
    };
    for (const Shipped &s : shipped) {
        Demo d;
        DemoCheck check;
        ASSERT_TRUE(loadDemo((std::string(ATTRACT_DIR) + "/" + s.file).c_str(), d, check)) << s.file;
        ReplayOutcome out = replayDemo(d, HeadlessReplay);
        EXPECT_TRUE(out.ranToTheEnd) << s.file;
        EXPECT_TRUE(out.inStep) << s.file << " out of step at tick " << out.outOfStepTick;
        EXPECT_EQ(s.score, out.result.score) << s.file;
        EXPECT_EQ(s.cities, out.result.cities) << s.file;
        EXPECT_EQ(s.lives, out.result.lives) << s.file;
        EXPECT_EQ(s.ticks, out.result.ticks) << s.file;
    }
}

}  // namespace
