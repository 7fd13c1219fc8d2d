// Demo files: what the recorder writes reads back the same, runs of one
// command take one entry, and every kind of bad file is told apart, never
// played.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "ScratchDir.h"
#include "Zephyrion/DemoFile.h"

namespace {

TickCommand command(int16_t turn, uint16_t buttons)
{
    TickCommand cmd = {};
    cmd.turn = turn, cmd.forward = -turn, cmd.mouseX = -3, cmd.mouseY = 700;
    cmd.buttons = buttons;
    return cmd;
}

// Three runs (one longer than an entry holds), a pause and two checkpoints.
Demo sample()
{
    Demo d = {};
    d.header = {0xDEADBEEFu, 30, 3, 1, 5, 1, 0, 24, 6, 25, 1, 0};
    recordCheckpoint(d, 0, 0x12345678u);
    for (int n = 0; n < 70000; n++)
        recordCommand(d, command(0, 0));
    recordPause(d, 90);
    recordCommand(d, command(-32767, CmdFire | CmdFaster));
    recordCheckpoint(d, d.ticks, 0x9abcdef0u);
    recordCommand(d, command(12345, CmdEscape));
    d.result = {-1250, 2, 3, 1, d.ticks};
    return d;
}

bool decode(const std::vector<unsigned char> &bytes, Demo &demo, DemoCheck &check)
{
    return decodeDemo(bytes.data(), bytes.size(), demo, check);
}

TEST(DemoFile, WhatIsRecordedReadsBackTheSameWithRunsInOneEntry)
{
    Demo d = sample();
    ASSERT_EQ(7u, d.events.size()) << "70000 ticks alike take two entries";
    EXPECT_EQ(65535u, d.events[1].count);
    std::vector<unsigned char> bytes = encodeDemo(d);
    EXPECT_EQ(58u + 2 * 9 + 4 * 13 + 5 + 21, bytes.size()) << "header, checkpoints, runs, pause, end";
    Demo back;
    DemoCheck check;
    ASSERT_TRUE(decode(bytes, back, check)) << check.fault << " at " << check.tick;
    EXPECT_EQ(0, memcmp(&d.header, &back.header, sizeof d.header));
    EXPECT_EQ(0, memcmp(&d.result, &back.result, sizeof d.result));
    ASSERT_EQ(d.events.size(), back.events.size());
    for (size_t n = 0; n < d.events.size(); n++) {
        const DemoEvent &a = d.events[n], &b = back.events[n];
        EXPECT_EQ(a.kind, b.kind) << n;
        EXPECT_EQ(a.count, b.count) << n;
        EXPECT_EQ(a.tick, b.tick) << n;
        EXPECT_EQ(a.hash, b.hash) << n;
        EXPECT_TRUE(a.kind != DemoCommands || sameCommand(a.cmd, b.cmd)) << n;
    }
    EXPECT_EQ(70002u, back.ticks);

    ScratchDir dir;  // and through a file, written in one step
    ASSERT_TRUE(saveDemo("d.zdemo", d));
    ASSERT_TRUE(loadDemo("d.zdemo", back, check));
    EXPECT_EQ(70002u, back.result.ticks);
}

std::string faultLine(const std::vector<unsigned char> &bytes)
{
    Demo demo;
    DemoCheck check;
    EXPECT_FALSE(decode(bytes, demo, check));
    EXPECT_TRUE(demo.events.empty());
    char line[256];
    describeDemoFault(check, "F", line, sizeof line);
    return line;
}

TEST(DemoFile, EveryBadFileSaysWhatIsWrongInOneLine)
{
    std::vector<unsigned char> good = encodeDemo(sample());
    EXPECT_EQ("Not a Zephyrion demo: F", faultLine({}));
    EXPECT_EQ("Not a Zephyrion demo: F", faultLine({'[', 'S', 'e', 't', 't', 'i', 'n', 'g', 's'}));
    std::vector<unsigned char> newer = good;
    newer[8] = 2;
    EXPECT_EQ("Demo F is of version 2; this game plays version 1", faultLine(newer));

    // Cut anywhere, a file ends early at the tick it reached; never played.
    for (size_t size = 8; size < good.size(); size++) {
        std::vector<unsigned char> cut(good.begin(), good.begin() + (long)size);
        std::string line = faultLine(cut);
        EXPECT_EQ(0u, line.find("Demo F ends early at tick ")) << size << ": " << line;
    }
    EXPECT_EQ("Demo F ends early at tick 70001",
              faultLine(std::vector<unsigned char>(good.begin(), good.end() - 22)));

    std::vector<unsigned char> longer = good;  // something after the result
    longer.push_back(0);
    EXPECT_EQ("Demo F is damaged at tick 70002", faultLine(longer));
    std::vector<unsigned char> kind = good;
    kind[58] = 9;  // the first event's kind
    EXPECT_EQ("Demo F is damaged at tick 0", faultLine(kind));
    std::vector<unsigned char> rate = good;
    rate[14] = 0;  // FrameRate 0
    EXPECT_EQ("Demo F is damaged at tick 0", faultLine(rate));
    std::vector<unsigned char> ticks = good;
    ticks[ticks.size() - 1] = 1;  // a result of more ticks than were recorded
    EXPECT_EQ("Demo F is damaged at tick 70002", faultLine(ticks));

    ScratchDir dir;
    Demo demo;
    DemoCheck check;
    EXPECT_FALSE(loadDemo("missing.zdemo", demo, check));
    char line[256];
    describeDemoFault(check, "missing.zdemo", line, sizeof line);
    EXPECT_STREQ("Cannot read the demo missing.zdemo: No such file or directory", line);
}

}  // namespace
