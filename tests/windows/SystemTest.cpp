// The game's Windows pieces, cross-compiled and run under Wine: the settings
// store's save in one step, the player's folder and the shipped files, and the
// clock. Allegro runs without a display, as in the unit tests on Linux.
#include <allegro.h>
#include <winalleg.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

#include "Std/Clock.h"
#include "Std/Errors.h"
#include "Std/Files.h"
#include "Std/Folders.h"
#include "Zephyrion/GameState.h"
#include "Zephyrion/Settings.h"

namespace {

const char *const saveForever = "--save-forever";  // the child that is killed while saving
std::string program;                               // this test program, to start that child

std::string readText(const char *path)
{
    std::string text;
    FILE *in = fopen(path, "rb");
    char chunk[4096];
    for (size_t got; in && (got = fread(chunk, 1, sizeof chunk, in)) > 0;)
        text.append(chunk, got);
    if (in)
        fclose(in);
    return text;
}

void writeText(const char *path, const std::string &text)
{
    FILE *out = fopen(path, "wb");
    fwrite(text.data(), 1, text.size(), out);
    fclose(out);
}

std::set<std::string> filesHere()
{
    std::set<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA("*", &found);
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found))
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.insert(found.cFileName);
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    return names;
}

// One of two whole tables, the same in every process.
void fillTable(int table)
{
    for (int i = 0; i < highScoreRows; i++)
        game.highScores[i] = {(10 - i) * 100 + table, "WIN", i, i % ratingCount, 0};
}

// Saves the two tables in turn until it is killed.
int saveUntilKilled()
{
    selectSettingsFile("Zephyrion.cfg");
    for (int table = 0;; table = 1 - table) {
        fillTable(table);
        writeSettingsFile();
    }
}

// A folder of the test's own in the temporary folder, worked in while it lasts.
class InScratchFolder : public ::testing::Test {
  protected:
    void SetUp() override
    {
        char temp[MAX_PATH];
        GetCurrentDirectoryA(MAX_PATH, before);
        GetTempPathA(MAX_PATH, temp);
        folder = std::string(temp) + "zephyrion-test-" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(folder.c_str(), nullptr);
        ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str()));
        errorLogFresh = true;
        resetHighScores();
    }
    void TearDown() override
    {
        closeLogs();
        for (const std::string &name : filesHere()) {
            SetFileAttributesA(name.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(name.c_str());
        }
        SetCurrentDirectoryA(before);
        RemoveDirectoryA(folder.c_str());
    }
    char before[MAX_PATH];
    std::string folder;
};

// Windows will not rename onto a file that is there: a save must replace the
// old file in one step all the same, and a kill at any moment of it leaves
// the old table or the new one, whole.
TEST_F(InScratchFolder, AGameKilledWhileSavingLeavesTheOldTableOrTheNew)
{
    std::string tables[2];
    selectSettingsFile("Zephyrion.cfg");
    for (int table = 0; table < 2; table++) {
        fillTable(table);
        ASSERT_TRUE(writeSettingsFile()) << "a save over the file of the save before";
        tables[table] = readText("Zephyrion.cfg");
    }
    ASSERT_NE(tables[0], tables[1]);
    srand(3);
    const int rounds = 25;
    for (int round = 0; round < rounds; round++) {
        std::string command = "\"" + program + "\" " + saveForever;
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION child;
        ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                                   nullptr, &startup, &child));
        Sleep(150 + rand() % 150);  // the child's start, then some of its saves
        TerminateProcess(child.hProcess, 1);
        WaitForSingleObject(child.hProcess, INFINITE);
        CloseHandle(child.hProcess);
        CloseHandle(child.hThread);
        std::string text = readText("Zephyrion.cfg");
        ASSERT_TRUE(text == tables[0] || text == tables[1]) << "round " << round << ":\n" << text;
    }
    writeText("Zephyrion.cfg.saving-Ab12Cd", "half a table");  // as a kill leaves one
    writeText("Zephyrion.cfg.backup", "the player's own");
    selectSettingsFile("Zephyrion.cfg");  // the next start: unfinished saves are taken away
    EXPECT_EQ((std::set<std::string>{"Zephyrion.cfg", "Zephyrion.cfg.backup"}), filesHere());
}

// A save that cannot be made says so and leaves the old file as it was: here
// another program holds the file open and shares it with no one.
TEST_F(InScratchFolder, ASaveThatCannotBeMadeSaysWhyAndLeavesTheOldFile)
{
    errno = 0;
    EXPECT_FALSE(replaceFileAtomically("missing\\Zephyrion.cfg", "x", 1));
    EXPECT_EQ(ENOENT, errno);

    const std::string old = "[Settings]\nNumLives = 5\n";
    writeText("Zephyrion.cfg", old);
    selectSettingsFile("Zephyrion.cfg");
    loadSettings();
    game.settings.numLives = 4;
    HANDLE held = CreateFileA("Zephyrion.cfg", GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    EXPECT_FALSE(writeSettingsFile());
    CloseHandle(held);
    EXPECT_EQ(old, readText("Zephyrion.cfg"));
    EXPECT_EQ((std::set<std::string>{"ErrorLog.txt", "Zephyrion.cfg"}), filesHere())
        << "no half-written file left";
    EXPECT_NE(std::string::npos, readText("ErrorLog.txt").find("Unable to save the settings"));

    EXPECT_TRUE(writeSettingsFile()) << "once the file is let go";
    EXPECT_NE(std::string::npos, readText("Zephyrion.cfg").find("NumLives = 4"));
}

// The player's files go to the application data, made on the first run; the
// shipped ones are found beside the program, whatever the working folder.
TEST(PlayerFolder, IsMadeInTheApplicationDataAndTheDataIsBesideTheProgram)
{
    char before[MAX_PATH], appData[MAX_PATH], now[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, before);
    ASSERT_EQ(S_OK, SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, 0, appData));
    std::string expected = std::string(appData) + "\\Zephyrion";
    RemoveDirectoryA(expected.c_str());  // gone, unless an earlier run left files in it

    ASSERT_TRUE(enterPlayerFolder());
    GetCurrentDirectoryA(MAX_PATH, now);
    EXPECT_STREQ(expected.c_str(), now);

    std::string self = program.substr(program.find_last_of("\\/") + 1);
    FILE *shipped = fopen(dataFile(self.c_str()).c_str(), "rb");
    EXPECT_NE(nullptr, shipped) << dataFile(self.c_str()) << " from " << now;
    if (shipped)
        fclose(shipped);
    SetCurrentDirectoryA(before);
}

TEST(Clock, SleepsUntilTheMomentAndTellsTheSameTimeInBothUnits)
{
    startClock();
    for (int step = 0; step < 20; step++) {
        uint64_t until = clockMicros() + 1000 + step * 700;
        sleepUntilMicros(until);
        uint64_t woke = clockMicros();
        EXPECT_GE(woke, until);
        uint32_t ms = clockRun();
        EXPECT_LE(woke / 1000, ms);
        EXPECT_LE(ms, clockMicros() / 1000);
    }
}

class AllegroWithoutDisplay : public ::testing::Environment {
  public:
    void SetUp() override { ASSERT_EQ(0, install_allegro(SYSTEM_NONE, &errno, atexit)); }
};

}  // namespace

int main(int argc, char **argv)
{
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    program = self;
    if (argc == 2 && strcmp(argv[1], saveForever) == 0) {
        install_allegro(SYSTEM_NONE, &errno, atexit);
        return saveUntilKilled();
    }
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new AllegroWithoutDisplay);
    return RUN_ALL_TESTS();
}
