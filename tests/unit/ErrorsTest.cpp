// The error log's line format, its length checks and how runs share the file;
// the trace's lines.
#include "Std/Errors.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "ScratchDir.h"

namespace {

const char banner[] = "\n\n-----------  New log\n";

// Each case starts as a new run: no log open, the first line truncates.
class ErrorLog : public ::testing::Test {
  protected:
    void SetUp() override
    {
        closeLogs();
        errorLogFresh = true;
    }
    void TearDown() override { closeLogs(); }
    std::string log() const { return readText("ErrorLog.txt"); }
    ScratchDir dir;
};

TEST_F(ErrorLog, FirstLineWritesBannerAndPrefix)
{
    EXPECT_FALSE(std::filesystem::exists("ErrorLog.txt"));  // opened lazily
    logError(625, "Zephyrion.cpp", SevError, "Unable to set %dx%d", 800, 600);
    EXPECT_EQ(std::string(banner) + "ERR:0625:Zephyrion.cpp - Unable to set 800x600\n", log());
}

TEST_F(ErrorLog, LineNumbersHaveAtLeastFourDigits)
{
    logError(42, "a.cpp", SevError, "x");
    logError(3061, "a.cpp", SevError, "x");
    logError(123456, "a.cpp", SevError, "x");
    EXPECT_EQ(std::string(banner) + "ERR:0042:a.cpp - x\nERR:3061:a.cpp - x\nERR:123456:a.cpp - x\n",
              log());
}

TEST_F(ErrorLog, SeverityTags)
{
    for (int severity = 0; severity <= 5; severity++)
        logError(1, "a.cpp", severity, "s");
    EXPECT_EQ(std::string(banner) +
                  "UNK:0001:a.cpp - s\nINF:0001:a.cpp - s\nWRN:0001:a.cpp - s\n"
                  "ERR:0001:a.cpp - s\nFATAL:0001:a.cpp - s\nUNK:0001:a.cpp - s\n",
              log());
}

TEST_F(ErrorLog, BaseNameIsTheTextAfterTheLastSeparator)
{
    logError(1, "C:\\Games\\Zephyrion\\Std\\3D.cpp", SevWarning, "w");
    logError(1, "/work/src/Zephyrion/Zephyrion.cpp", SevWarning, "w");
    logError(1, "Zephyrion.cpp", SevWarning, "w");
    logError(1, "dir\\", SevWarning, "w");
    EXPECT_EQ(std::string(banner) +
                  "WRN:0001:3D.cpp - w\nWRN:0001:Zephyrion.cpp - w\n"
                  "WRN:0001:Zephyrion.cpp - w\nWRN:0001: - w\n",
              log());
}

TEST_F(ErrorLog, BaseNameIsCutToThirtyCharacters)
{
    std::string thirty(30, 'n');
    logError(7, ("C:\\src\\" + thirty + "X.cpp").c_str(), SevError, "m");
    logError(7, thirty.c_str(), SevError, "m");
    EXPECT_EQ(std::string(banner) + "ERR:0007:" + thirty + " - m\nERR:0007:" + thirty + " - m\n",
              log());
}

TEST_F(ErrorLog, FormatOfTheLimitIsWrittenOneLongerIsReplaced)
{
    std::string exact(logTextMax, 'f');
    std::string over(logTextMax + 1, 'f');
    logError(9, "a.cpp", SevError, exact.c_str(), 0);
    logError(9, "a.cpp", SevError, over.c_str(), 0);
    EXPECT_EQ(std::string(banner) + "ERR:0009:a.cpp - " + exact +
                  "\nERR:0042:Errors.cpp - Error retrieved that is greater than max length "
                  "assigned to string\n",
              log());
}

TEST_F(ErrorLog, LongArgumentsAreWrittenWhole)
{
    std::string huge(100000, 'a');
    logError(1, "a.cpp", SevError, "%s|%s", huge.c_str(), huge.c_str());
    EXPECT_EQ(std::string(banner) + "ERR:0001:a.cpp - " + huge + "|" + huge + "\n", log());
}

TEST_F(ErrorLog, EachRunStartsAFreshFile)
{
    logError(1, "a.cpp", SevError, "first run");
    closeLogs();  // the process ends
    logError(2, "a.cpp", SevError, "second run");
    EXPECT_EQ(std::string(banner) + "ERR:0002:a.cpp - second run\n", log());
}

TEST_F(ErrorLog, NotFreshAppendsWithANewBanner)
{
    logError(1, "a.cpp", SevError, "first run");
    closeLogs();
    errorLogFresh = false;
    logError(2, "a.cpp", SevError, "second run");
    EXPECT_EQ(std::string(banner) + "ERR:0001:a.cpp - first run\n" + banner +
                  "ERR:0002:a.cpp - second run\n",
              log());
}

TEST_F(ErrorLog, EveryLineReachesTheFileAtOnce)
{
    logError(1, "a.cpp", SevError, "flushed");
    EXPECT_EQ(std::string(banner) + "ERR:0001:a.cpp - flushed\n", log());  // still open
}

TEST_F(ErrorLog, UnopenableFileDropsTheLineAndTriesAgainLater)
{
    std::filesystem::create_directory("ErrorLog.txt");
    logError(1, "a.cpp", SevError, "lost");
    std::filesystem::remove("ErrorLog.txt");
    logError(2, "a.cpp", SevError, "kept");
    EXPECT_EQ(std::string(banner) + "ERR:0002:a.cpp - kept\n", log());
}

class Trace : public ErrorLog {};

TEST_F(Trace, LinesGiveTheMillisecondsSinceThePreviousLine)
{
    logTrace("Cleared buffer");
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    logTrace("Drawn City");
    std::string trace = readText("Trace.txt");
    const std::string head = "\n\n-----------  New trace\nCleared buffer : ";
    ASSERT_EQ(head, trace.substr(0, head.size()));
    size_t second = trace.find("Drawn City : ");
    ASSERT_NE(std::string::npos, second);
    unsigned first = std::stoul(trace.substr(head.size()));
    unsigned elapsed = std::stoul(trace.substr(second + 13));
    EXPECT_LT(first, 50u);
    EXPECT_GE(elapsed, 60u);
    EXPECT_EQ('\n', trace.back());
}

TEST_F(Trace, OverlongLabelIsReportedInTheErrorLog)
{
    std::string exact(logTextMax, 'l');
    std::string over(logTextMax + 1, 'l');
    logTrace(over.c_str());
    EXPECT_FALSE(std::filesystem::exists("Trace.txt"));
    EXPECT_EQ(std::string(banner) +
                  "ERR:0140:Errors.cpp - Trace label retrieved that is greater than max length "
                  "assigned to string\n",
              log());
    logTrace(exact.c_str());
    EXPECT_NE(std::string::npos, readText("Trace.txt").find(exact + " : "));
}

}  // namespace
