// The real game under Xvfb: start-up, the splash, the failures that end
// start-up, and what it leaves in its folder.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <string>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "Harness.h"

namespace {

const long black = 0x000000;
const long white = 0xFFFFFF;
const long grey = 0x8C8C8C;  // unselected menu items
const std::string banner = "\n\n-----------  New log\n";
// The splash's 5 s, and the intro's 300 stripes frames of 33 ms, its 2 s
// still and its 50 spin-out frames: the title cannot come sooner than 18.5 s.
const double splashAndIntroSeconds = 18;

bool endedCleanly(const GameRun &game)
{
    return WIFEXITED(game.exitStatus) && WEXITSTATUS(game.exitStatus) == 0;
}

// A start-up that failed says so in its exit status.
bool failedToStart(const GameRun &game)
{
    return WIFEXITED(game.exitStatus) && WEXITSTATUS(game.exitStatus) == 1;
}

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

class Game : public ::testing::Test {
  protected:
    void TearDown() override { killGame(game); }

    // The splash of w x h on the full screen's picture; the line of text at its
    // bottom is left out of the match. A picture smaller than the screen is
    // scaled Sharp, its pixels blended where they meet: each within a
    // quarter of its neighbour's colour of what it shows.
    void expectSplash(const std::string &file, int w, int h)
    {
        Image screen = grabScreen(dir.file("splash-shot.png"));
        bool scaled = screen.width != w;
        Image shot = gamePicture(screen, w, h);
        Image splash = loadImage(dir.file(file));
        ASSERT_EQ(w, splash.width);
        ASSERT_EQ(h, splash.height);
        int textTop = h - 30, textBottom = h - 14;
        EXPECT_LT(differingPixels(shot, 0, 0, splash, textTop, textBottom, scaled ? 64 : 0),
                  w * h / 200)
            << "no " << file << " on the screen";
        // The black line of text, centred under the sponsors.
        EXPECT_GT(shot.count(black, w / 4, textTop, w * 3 / 4, textBottom), scaled ? 60 : 150);
        EXPECT_EQ(0, shot.count(black, 0, textTop, w / 5, textBottom));
    }

    Scratch dir;
    GameRun game;
};

void expectTitle(const Image &shot, int w, int h)
{
    TitleLook look = lookAtTitle(shot, w, h);
    EXPECT_GT(look.startGame, 1500) << "Start Game";
    EXPECT_GT(look.otherItems, 3000) << "the other items";
    EXPECT_EQ(0, look.whiteBelow);
    EXPECT_GT(look.logo, 2000);
}

// The best match of sprite along the screen row whose centre is at y: its
// left edge on the shot and how much of it shows there.
struct Found {
    int left = 0;
    double share = 0;
};

Found findAlongRow(const Image &shot, const Image &sprite, int y, int fromX, int toX)
{
    Found best;
    for (int x = fromX; x < toX; x++) {
        double share = spriteMatch(shot, x, y - sprite.height / 2, sprite);
        if (share > best.share)
            best = {x, share};
    }
    return best;
}

// The flying HUD of a w x h screen centred on the display: every instrument
// wholly on the screen along the bottom row, the icons on their bars, the
// sights in the middle.
void expectHud(const Scratch &dir, const Image &screen, int w, int h, const char *lives,
               const char *enemies)
{
    Image shot = gamePicture(screen, w, h);
    Image frame = loadImage(dir.file("bitmaps/RadarDir.png"));
    int row = h - frame.height / 2;
    const struct {
        const char *file;
        double share;  // needles, markers and blips cover a little; the disc most of the frame
    } instruments[] = {{"Altimeter", 0.9}, {"Speedo", 0.9}, {"Pitch", 0.9}, {"Damage", 0.9},
                       {"Fuel", 0.9},      {"Radar", 0.9},  {"RadarDir", 0.2}};
    for (const auto &instrument : instruments) {
        Image sprite = loadImage(dir.file(std::string("bitmaps/") + instrument.file + ".png"));
        Found found = findAlongRow(shot, sprite, row, -sprite.width, w);
        EXPECT_GE(found.share, instrument.share) << instrument.file << " at " << w;
        EXPECT_GE(found.left, 0) << instrument.file << " at " << w;
        EXPECT_LE(found.left + sprite.width, w) << instrument.file << " at " << w;
    }
    const int barRise = 30;
    const struct {
        const char *file;
        int y;
        const char *count;
    } icons[] = {{"LifeInd", h - frame.height + barRise, lives},
                 {"EnemyInd", h - barRise, enemies}};
    for (const auto &icon : icons) {
        Image sprite = loadImage(dir.file(std::string("bitmaps/") + icon.file + ".png"));
        std::string seen;
        for (int x = 0; x + sprite.width <= w; x++)
            if (spriteMatch(shot, x, icon.y - sprite.height / 2, sprite) > 0.95) {
                seen += '*';
                x += sprite.width - 1;
            }
        EXPECT_EQ(icon.count, seen) << icon.file << " at " << w;
    }
    Image sights = loadImage(dir.file("bitmaps/Crosshair.png"));
    EXPECT_GT(spriteMatch(shot, (w - sights.width) / 2, (h - sights.height) / 2, sights),
              0.5)
        << "the crosshair at " << w;
}

TEST_F(Game, ASessionFromTheSplashThroughAGameBackToTheTitleAndOut)
{
    Clock::time_point start = Clock::now();
    game = startGame(dir);
    std::string window = waitForWindow(10000);
    ASSERT_FALSE(window.empty());
    usleep(1500 * 1000);
    expectSplash("bitmaps/SplashScreenHigh.png", 800, 600);
    EXPECT_FALSE(dir.exists("Zephyrion.cfg"));  // nothing is written before the end

    Image title = waitForTitle(dir, 800, 600);  // after the splash and the intro
    expectTitle(title, 800, 600);
    EXPECT_GE(secondsSince(start), splashAndIntroSeconds);

    pressKey(window, "Return");  // start a game over the city shown
    usleep(7000 * 1000);         // the approach
    Image flying = grabScreen(dir.file("flying.png"));
    EXPECT_EQ(0, flying.count(grey, 0, 300, 800, 420)) << "the menu is gone";
    EXPECT_GT(flying.count(white, 5, 5, 120, 25), 20) << "the score";

    holdKey(window, "Escape", 300);  // the game ends at once: game over, then the title
    usleep(1000 * 1000);
    Image over = grabScreen(dir.file("game-over.png"));
    EXPECT_GT(over.count(0xDC0000, 0, 60, 800, 110), 500) << "Game Over";
    usleep(5000 * 1000);
    Image again = grabScreen(dir.file("title-again.png"));
    expectTitle(again, 800, 600);
    EXPECT_GT(differingPixels(again, 0, 0, title), 20000) << "a new city";

    pressKey(window, "Escape");
    ASSERT_TRUE(waitForExit(game, 10000));
    EXPECT_TRUE(endedCleanly(game));

    std::string cfg = dir.read("Zephyrion.cfg");
    for (const char *line :
         {"[Settings]", "LowSpeedPC = 0", "OldSchool = 0", "Classic = 0", "NumLives = 3",
          "Difficulty = 2", "UseMouse = 0", "Sensitivity = 3", "[Keys]", "Left = 82",
          "Right = 83", "PitchForward = 84", "PitchBack = 85", "TorqueIncrease = 85",
          "TorqueDecrease = 84", "Accelerate = 80", "Deccelerate = 81", "Stop = 79", "Fire = 75",
          "[HighScore]", "00 = 1000,0,", "09 = 100,0,", "[Misc]", "ShowFPS = 0", "FrameRate = 30",
          "MouseRatio = 24"})
        EXPECT_NE(std::string::npos, cfg.find(line)) << line;
    EXPECT_FALSE(dir.exists("ErrorLog.txt"));
    EXPECT_FALSE(dir.exists("Trace.txt"));
}

TEST_F(Game, LowSpeedPcShowsTheLowSplashAndAMissingBitmapIsOnlyAWarning)
{
    dir.write("Zephyrion.cfg", "[Settings]\nLowSpeedPC = 1\n\n[Display]\nResolution = 1\n");
    std::filesystem::remove(dir.file("bitmaps/Radar.png"));
    game = startGame(dir);
    std::string window = waitForWindow(10000);
    ASSERT_FALSE(window.empty());
    usleep(1500 * 1000);
    expectSplash("bitmaps/SplashScreenLow.png", 640, 480);
    expectTitle(waitForTitle(dir, 640, 480), 640, 480);
    pressKey(window, "Escape");
    ASSERT_TRUE(waitForExit(game, 15000));
    EXPECT_TRUE(endedCleanly(game));
    EXPECT_EQ(banner + "WRN:0700:Zephyrion.cpp - Unable to load bitmaps/Radar.png; the game "
                       "goes on without it\n",
              dir.read("ErrorLog.txt"));
    EXPECT_NE(std::string::npos, dir.read("Zephyrion.cfg").find("LowSpeedPC = 1"));
}

TEST_F(Game, MissingSampleEndsStartUpBeforeTheSplashAndSavesNothing)
{
    const std::string cfg = "# hand-made\n[Settings]\nNumLives = 7\n";
    dir.write("Zephyrion.cfg", cfg);
    std::filesystem::remove(dir.file("sounds/010.wav"));
    Clock::time_point start = Clock::now();
    game = startGame(dir);
    ASSERT_TRUE(waitForExit(game, 10000));
    EXPECT_LT(secondsSince(start), 5.0);
    EXPECT_TRUE(failedToStart(game));
    EXPECT_EQ(banner + "ERR:0759:Zephyrion.cpp - Unable to load sounds/010.wav\n"
                       "ERR:0536:Zephyrion.cpp - Unable to load sounds/010.wav\n",
              dir.read("ErrorLog.txt"));
    EXPECT_EQ(cfg, dir.read("Zephyrion.cfg"));
}

TEST_F(Game, AMissingIntroSampleEndsStartUpAfterTheSplashAndSavesNothing)
{
    std::filesystem::remove(dir.file("sounds/016.wav"));
    Clock::time_point start = Clock::now();
    game = startGame(dir);
    ASSERT_TRUE(waitForExit(game, 15000));
    EXPECT_GE(secondsSince(start), 5.0) << "the splash comes first";
    EXPECT_TRUE(failedToStart(game));
    EXPECT_EQ(banner + "ERR:0996:Zephyrion.cpp - Unable to load sounds/016.wav\n"
                       "ERR:0540:Zephyrion.cpp - Unable to load sounds/016.wav\n",
              dir.read("ErrorLog.txt"));
    EXPECT_FALSE(dir.exists("Zephyrion.cfg"));
}

TEST_F(Game, MissingFontEndsStartUpAndSavesNothing)
{
    std::filesystem::remove(dir.file("bitmaps/chintzy.ttf"));
    game = startGame(dir);
    ASSERT_TRUE(waitForExit(game, 10000));
    EXPECT_TRUE(failedToStart(game));
    EXPECT_EQ(banner + "ERR:0688:Zephyrion.cpp - Unable to load bitmaps/chintzy.ttf\n"
                       "ERR:0535:Zephyrion.cpp - Unable to load bitmaps/chintzy.ttf\n",
              dir.read("ErrorLog.txt"));
    EXPECT_FALSE(dir.exists("Zephyrion.cfg"));
}

// A sound device that cannot be had (SDL is asked for a driver it does not
// have) is no reason to stop: one warning in the log, and a silent game that
// reaches its title and ends cleanly when asked.
TEST_F(Game, ASoundDeviceThatCannotBeOpenedLeavesASilentGame)
{
    dir.write("run.sh", "#!/bin/sh\nexec " GAME_BINARY "\n");
    chmod(dir.file("run.sh").c_str(), 0755);
    game = startProgram(dir.path, dir.file("run.sh"),
                        {"DISPLAY=" + testDisplay(), "SDL_AUDIODRIVER=nosuchdevice"});
    ASSERT_FALSE(waitForWindow(10000).empty()) << dir.read("ErrorLog.txt");
    expectTitle(waitForTitle(dir, 800, 600), 800, 600);
    kill(game.pid, SIGTERM);
    ASSERT_TRUE(waitForExit(game, 15000));
    EXPECT_TRUE(endedCleanly(game));
    EXPECT_EQ(banner + "WRN:0078:Zephyrion.cpp - No sound: Audio target 'nosuchdevice' not available\n",
              dir.read("ErrorLog.txt"));
    EXPECT_TRUE(dir.exists("Zephyrion.cfg"));
}

TEST_F(Game, WithoutADisplayItSaysSoAndEnds)
{
    game = startGame(dir, NoDisplay);
    ASSERT_TRUE(waitForExit(game, 10000));
    EXPECT_TRUE(failedToStart(game));
    std::string log = dir.read("ErrorLog.txt");
    EXPECT_EQ(0u, log.find(banner + "ERR:0520:Zephyrion.cpp - No display: ")) << log;
    EXPECT_NE(std::string::npos, log.find("\nERR:0534:Zephyrion.cpp - No display: ")) << log;
    EXPECT_NE(std::string::npos, dir.read("game-output.txt").find("(neither X nor Wayland)"));
    EXPECT_FALSE(dir.exists("Zephyrion.cfg"));
}

// A demo that cannot be played is said in one line, and in the log, before
// any window opens; the game exits 2 and writes nothing else.
TEST_F(Game, ADemoThatCannotBePlayedIsSaidInOneLineAndExitsTwo)
{
    dir.write("foreign.zdemo", "[Settings]\nNumLives = 3\n");
    dir.write("cut.zdemo", std::string("ZEPHDEMO\x01\x00", 10));
    const std::pair<std::string, std::string> cases[] = {
        {"--play foreign.zdemo", "Not a Zephyrion demo: foreign.zdemo"},
        {"--timedemo cut.zdemo", "Demo cut.zdemo ends early at tick 0"},
        {"--timedemo missing.zdemo",
         "Cannot read the demo missing.zdemo: No such file or directory"},
        {"--timedemo", "Usage: Zephyrion [--play FILE | --timedemo FILE] [--shot TICK PNG]..."},
        {"--timedemo cut.zdemo --shot 6O a.png",
         "Usage: Zephyrion [--play FILE | --timedemo FILE] [--shot TICK PNG]..."},
    };
    for (const auto &c : cases) {
        std::string out = run("cd '" + dir.path + "' && DISPLAY=" + testDisplay() + " " GAME_BINARY
                              " " + c.first + " 2>&1; echo status $?");
        EXPECT_EQ(c.second + "\nstatus 2\n", out) << c.first;
        if (c.first.find(".zdemo ") == std::string::npos && c.first != "--timedemo") {
            EXPECT_NE(std::string::npos, dir.read("ErrorLog.txt").find("WRN:")) << c.first;
            EXPECT_NE(std::string::npos, dir.read("ErrorLog.txt").find(c.second)) << c.first;
        }
    }
    EXPECT_FALSE(dir.exists("Zephyrion.cfg"));
    EXPECT_FALSE(dir.exists("demos"));
}

// A timed replay draws the frames a tick that "Smooth Motion" asks for: one a
// tick (none in the crash's wait) at Off, two at 60 fps, in step either way.
// At Off, the frame of tick 600 (--shot) is the very picture the game drew
// when the reference was taken; a tick past the end writes nothing, and says so.
TEST_F(Game, ATimedDemoDrawsAFrameATickAtOffAndTwoAtSixty)
{
    unsigned ticks[2] = {}, frames[2] = {};
    for (int n = 0; n < 2; n++) {
        dir.write("Zephyrion.cfg", std::string("[Display]\nFullScreen = 0\nSmoothMotion = ") +
                                       (n ? "60" : "0") + "\n");
        std::string out = run("cd '" + dir.path + "' && rm -f frame.png && DISPLAY=" +
                              testDisplay() + " timeout 300 " GAME_BINARY " --timedemo " GOLDEN_DIR
                              "/old-school-refuel-and-crash.zdemo --shot 600 frame.png"
                              " --shot 2500 late.png 2>&1; echo status $?");
        ASSERT_NE(std::string::npos, out.find("Score -38, cities 0, ticks 1996\n")) << out;
        ASSERT_NE(std::string::npos, out.find("status 0\n")) << out;
        EXPECT_NE(std::string::npos, out.find(" fps\nPicture 800x600\n")) << out;
        EXPECT_NE(std::string::npos, out.find("No frame at tick 2500: the game ended at tick 1996\n"))
            << out;
        EXPECT_FALSE(dir.exists("late.png"));
        ASSERT_TRUE(dir.exists("frame.png"));
        if (n == 0) {
            Image frame = loadImage(dir.file("frame.png")),
                  before = loadImage(GOLDEN_DIR "/old-school-tick-600.png");
            ASSERT_EQ(800, frame.width);
            ASSERT_EQ(600, frame.height);
            EXPECT_EQ(0, differingPixels(frame, 0, 0, before));
        }
        size_t line = out.find(" ticks, ");
        ASSERT_NE(std::string::npos, line) << out;
        sscanf(out.c_str() + out.rfind('\n', line) + 1, "%u ticks, %u frames", &ticks[n], &frames[n]);
    }
    EXPECT_EQ(1996u, ticks[0]);
    EXPECT_GT(frames[0], ticks[0] * 9 / 10);
    EXPECT_LE(frames[0], ticks[0]);
    EXPECT_EQ(2 * frames[0], frames[1]);
}

// Widescreen widens the view and keeps its height: the frame of a tick on a
// 16:9 screen (1067 x 600) shows the 4:3 frame's view in its middle, the
// horizon and the buildings' edges on the same rows, and the city goes on at
// both sides of it.
TEST_F(Game, AWidescreenFrameShowsTheClassicViewInItsMiddleAndMoreAtTheSides)
{
    struct BackToTheTestDesktop {
        ~BackToTheTestDesktop() { useDesktopOfSize(rootWidth, rootHeight); }
    } after;
    Image frames[2];
    for (int wide = 0; wide < 2; wide++) {
        if (wide)
            useDesktopOfSize(1920, 1080);
        dir.write("Zephyrion.cfg", std::string("[Display]\nFullScreen = ") + (wide ? "1" : "0") +
                                       "\nWidescreen = 1\nResolution = 1\nSmoothMotion = 0\n");
        std::string out = run("cd '" + dir.path + "' && DISPLAY=" + testDisplay() +
                              " timeout 300 " GAME_BINARY " --timedemo " GOLDEN_DIR
                              "/twenty-one-cities.zdemo --shot 400 frame.png 2>&1; echo status $?");
        ASSERT_NE(std::string::npos, out.find("status 0\n")) << out;
        EXPECT_NE(std::string::npos, out.find(wide ? "Picture 1067x600\n" : "Picture 800x600\n"))
            << out;
        frames[wide] = loadImage(dir.file("frame.png"));
        rename(dir.file("frame.png").c_str(), dir.file(wide ? "wide.png" : "classic.png").c_str());
    }
    const Image &classic = frames[0], &wide = frames[1];
    ASSERT_EQ(800, classic.width);
    ASSERT_EQ(1067, wide.width);
    const int shift = 1067 / 2 - 800 / 2, top = 40, bottom = 440;  // the view above the HUD
    long same = 0, all = 0;
    for (int y = top; y < bottom; y++)
        for (int x = 20; x < 780; x++, all++)
            same += classic.at(x, y) == wide.at(x + shift, y);
    EXPECT_GT(same, all * 97 / 100) << "the classic view, unmoved, in the middle";
    // Across each seam the picture runs on: no border, nothing left undrawn.
    int runsOn = 0;
    for (int y = top; y < bottom; y++)
        runsOn += (wide.at(shift - 1, y) == wide.at(shift, y)) +
                  (wide.at(shift + 800, y) == wide.at(shift + 799, y));
    EXPECT_GT(runsOn, 2 * (bottom - top) * 8 / 10);
    int sideColours = 0;
    for (int y = top; y < bottom; y += 8)
        sideColours += wide.at(10, y) != wide.at(10, top) || wide.at(1056, y) != wide.at(1056, top);
    EXPECT_GT(sideColours, 5) << "the sides show the city, not one flat colour";
}

}  // namespace

namespace {

// A whole game: the HUD in flight, firing, Shift+F1 clearing the city, and
// the initials entered for the table, saved at once: the game is killed
// before it can leave. The table holds only hopeless scores, so that whatever
// this game scores makes its first row.
TEST_F(Game, AGameFiresClearsACityAndEntersItsInitials)
{
    std::string table = "[HighScore]\n";
    for (int row = 0; row < 10; row++)
        table += "0" + std::to_string(row) + " = -99999,0,5,ZZZ\n";
    dir.write("Zephyrion.cfg", table);
    game = startGame(dir);
    std::string window = waitForWindow(10000);
    ASSERT_FALSE(window.empty());
    expectTitle(waitForTitle(dir, 800, 600), 800, 600);
    pressKey(window, "Return");
    usleep(7500 * 1000);          // the approach, down to the street ahead of strip 0
    Image before = grabScreen(dir.file("before-firing.png"));
    expectHud(dir, before, 800, 600, "***", "******");

    keyDown("space");  // hold Fire: a shot every 400 ms
    usleep(1500 * 1000);
    Image firing = grabScreen(dir.file("firing.png"));
    keyUp("space");
    // The solid red core of the left beam, from the bottom-left corner toward the centre.
    EXPECT_GT(firing.count(0xFF0000, 0, 300, 400, 560), 150) << "the beams";
    EXPECT_GT(scoreDifference(before, firing), 0) << "the score changed";

    keyDown("Prior");  // accelerate and turn left: the view swings round
    keyDown("Left");
    usleep(600 * 1000);
    keyUp("Left");
    keyUp("Prior");
    usleep(300 * 1000);
    Image turned = grabScreen(dir.file("turned.png"));
    EXPECT_GT(differingPixels(turned, 0, 0, firing, 0, 0), 50000) << "the craft turned";

    holdKey(window, "shift+F1", 300);  // the developers' key: the city is cleared
    usleep(1500 * 1000);
    Image cleared = grabScreen(dir.file("city-cleared.png"));
    EXPECT_GT(cleared.count(grey, 0, 150, 800, 200), 1000) << "City Cleared";

    usleep(13000 * 1000);            // the climb out, then the next city's approach
    holdKey(window, "Escape", 300);  // game over, then the initials
    usleep(3500 * 1000);
    for (const char *key : {"a", "BackSpace", "shift+a", "shift+b", "shift+c"}) {
        pressKey(window, key);
        usleep(400 * 1000);
    }
    Image initials = grabScreen(dir.file("initials.png"));
    EXPECT_GT(initials.count(0x0000FF, 0, 270, 800, 330), 1000) << "Congratulations!";
    EXPECT_GT(initials.count(0xA0A0A0, 0, 370, 800, 480), 3000) << "the initials";
    usleep(1000 * 1000);  // "High Score recorded": the row is saved as it shows
    killGame(game);  // a power cut now takes nothing the player typed
    std::string cfg = dir.read("Zephyrion.cfg");
    size_t row = cfg.find("00 = ");
    ASSERT_NE(std::string::npos, row) << cfg;
    std::string first = cfg.substr(row, cfg.find('\n', row) - row);
    EXPECT_NE(std::string::npos, first.find(",1,")) << first;  // one city cleared
    EXPECT_EQ(first.size() - 4, first.rfind(",ABC")) << first;
    int kept = 0;  // the old rows moved down one, the last one dropped
    for (size_t at = cfg.find(",ZZZ"); at != std::string::npos; at = cfg.find(",ZZZ", at + 1))
        kept++;
    EXPECT_EQ(9, kept);

    // The game is a demo, kept as the last one and as its row's, and replays in step.
    EXPECT_TRUE(dir.exists("demos/last.zdemo"));
    EXPECT_NE(std::string::npos, cfg.find("[HighScoreDemo]\n00 = 1\n")) << cfg;
    std::string score = first.substr(5, first.find(',') - 5);
    std::string timed = run("cd '" + dir.path + "' && DISPLAY=" + testDisplay() +
                            " " GAME_BINARY " --timedemo demos/top-1.zdemo 2>&1; echo status $?");
    EXPECT_NE(std::string::npos, timed.find("Score " + score + ", cities 1, ticks ")) << timed;
    EXPECT_NE(std::string::npos, timed.find(" fps\nPicture 800x600\nstatus 0")) << timed;

    // Ten seconds of the title and ten of the High Scores later, the attract
    // mode shows it; any key returns to the title.
    game = startGame(dir);
    window = waitForWindow(10000);
    ASSERT_FALSE(window.empty());
    waitForTitle(dir, 800, 600);
    usleep(21000 * 1000);
    Image demo = grabScreen(dir.file("attract.png"));
    EXPECT_GT(demo.count(white, 0, 360, 800, 440), 300) << "Demo, and whose game it is";
    pressKey(window, "space");
    expectTitle(waitForTitle(dir, 800, 600), 800, 600);
}

// The low-speed screen of 640 x 480 shows the whole HUD too, on a desktop of
// its size, which shows it pixel for pixel.
TEST_F(Game, TheHudFitsTheLowSpeedScreen)
{
    useDesktopOfSize(640, 480);
    dir.write("Zephyrion.cfg", "[Settings]\nLowSpeedPC = 1\n");
    game = startGame(dir);
    std::string window = waitForWindow(10000);
    ASSERT_FALSE(window.empty());
    expectTitle(waitForTitle(dir, 640, 480), 640, 480);
    pressKey(window, "Return");
    usleep(7500 * 1000);
    expectHud(dir, grabScreen(dir.file("hud-640.png")), 640, 480, "***", "******");
    holdKey(window, "Escape", 300);  // game over with no place in the table, then the title
    usleep(3500 * 1000);
    pressKey(window, "Escape");
    ASSERT_TRUE(waitForExit(game, 15000));
    EXPECT_TRUE(endedCleanly(game));
    useDesktopOfSize(rootWidth, rootHeight);
}

}  // namespace

namespace {

const long yellow = 0xFFFF00, blue = 0x0000FF;

// Everything a newcomer meets, screen by screen, each one photographed: the
// splash, the intro (keys pressed during it change nothing), the title, Game
// Options with the display mode switched there and back, Controls, a whole
// Define Keys pass, a game, game over, the High Scores interlude and the way out.
TEST_F(Game, ANewcomersPathThroughEveryScreen)
{
    Clock::time_point start = Clock::now();
    game = startGame(dir);
    std::string window = waitForWindow(10000);
    ASSERT_FALSE(window.empty());
    usleep(1500 * 1000);
    expectSplash("bitmaps/SplashScreenHigh.png", 800, 600);

    usleep(5500 * 1000);  // into the intro's stripes
    Image stripes = grabScreen(dir.file("intro-stripes.png"));
    int frame = stripes.count(yellow, 0, 0, 40, 600) + stripes.count(blue, 0, 0, 40, 600);
    EXPECT_GT(frame, 40 * 600 * 9 / 10) << "stripes down the 40-pixel frame";
    EXPECT_EQ(0, stripes.count(yellow, 40, 40, 760, 560)) << "the loading picture inside it";
    for (const char *key : {"Return", "Escape", "space"})
        pressKey(window, key);  // the intro reads no keys
    Image still;  // the still title picture, once the stripes have gone
    for (int tries = 0; tries < 60; tries++) {
        still = grabScreen();
        if (still.count(yellow, 0, 0, 40, 600) == 0)
            break;
        usleep(250 * 1000);
    }
    still = grabScreen(dir.file("intro-still.png"));
    Image picture = loadImage(dir.file("bitmaps/Intro.png"));  // the picture's own size
    EXPECT_LT(differingPixels(still, 40, 40, picture), 720 * 520 / 20)
        << "the title picture, centred";
    EXPECT_EQ(0, still.count(yellow, 0, 0, 40, 600)) << "the stripes are gone";

    Image title = waitForTitle(dir, 800, 600);
    expectTitle(title, 800, 600);
    EXPECT_GE(secondsSince(start), splashAndIntroSeconds);

    pressKey(window, "Down");
    pressKey(window, "Return");
    usleep(800 * 1000);
    Image options = grabScreen(dir.file("game-options.png"));
    EXPECT_GT(options.count(white, 60, 180, 300, 220), 300) << "System";
    EXPECT_GT(options.count(0xFF0000, 390, 180, 700, 340), 500)
        << "the values";

    pressKey(window, "Return");  // System: to 640 x 480...
    usleep(1500 * 1000);
    Image low = gamePicture(grabScreen(dir.file("game-options-640.png")), 640, 480);
    EXPECT_GT(low.count(white, 60, 180, 300, 220), 300) << "System, laid out at 640 x 480";
    pressKey(window, "Return");  // ...and back
    usleep(1500 * 1000);
    Image high = gamePicture(grabScreen(), 800, 600);
    EXPECT_GT(high.count(white, 60, 180, 300, 220), 300) << "System, at 800 x 600 again";

    for (int i = 0; i < 4; i++)
        pressKey(window, "Down");
    pressKey(window, "Return");
    usleep(800 * 1000);
    Image controls = grabScreen(dir.file("controls.png"));
    EXPECT_GT(controls.count(white, 60, 180, 330, 220), 300) << "Use Mouse";

    for (int i = 0; i < 4; i++)
        pressKey(window, "Down");
    pressKey(window, "Return");
    usleep(800 * 1000);
    grabScreen(dir.file("define-keys.png"));
    for (const char *key : {"a", "d", "w", "s", "q", "e", "x", "Return"})
        pressKey(window, key);
    usleep(600 * 1000);
    Image selected = grabScreen(dir.file("keys-selected.png"));
    EXPECT_GT(selected.count(white, 250, 450, 550, 480), 200)
        << "Keys Selected";
    usleep(2000 * 1000);
    pressKey(window, "Escape");  // Controls
    usleep(500 * 1000);

    pressKey(window, "Down");
    pressKey(window, "Return");  // Display and Sound
    usleep(800 * 1000);
    Image display = grabScreen(dir.file("display-and-sound.png"));
    EXPECT_GT(display.count(white, 60, 180, 250,
                            220), 300) << "Display";
    EXPECT_GT(display.count(0xFF0000, 390, 180, 700,
                            340), 500) << "the values";
    // Window Size, Widescreen, Resolution, Scaling, VSync, Smooth Motion, Sound Volume,
    // Pause When Unfocused
    for (int row = 0; row < 8; row++) {
        pressKey(window, "Down");
        pressKey(window, "Return");
    }
    usleep(500 * 1000);
    Image changed = grabScreen(dir.file("display-and-sound-changed.png"));
    EXPECT_GT(differingPixels(changed, 0, 0, display), 1000) << "the values changed";
    pressKey(window, "Escape");  // back on Game Options
    usleep(500 * 1000);
    pressKey(window, "Escape");  // Game Options
    usleep(1500 * 1000);
    Image back = grabScreen(dir.file("title-after-options.png"));
    EXPECT_GT(back.count(white, 0, 300, 800, 360), 1500) << "still on Game Options";

    pressKey(window, "Up");
    pressKey(window, "Return");  // "Start Game"
    usleep(7000 * 1000);
    grabScreen(dir.file("flying.png"));
    holdKey(window, "Escape", 300);
    usleep(1000 * 1000);
    Image over = grabScreen(dir.file("game-over.png"));
    EXPECT_GT(over.count(0xDC0000, 0, 60, 800, 110), 500) << "Game Over";

    usleep(5000 * 1000);  // the title again, then ten quiet seconds
    usleep(10500 * 1000);
    Image table = grabScreen(dir.file("high-scores.png"));
    EXPECT_GT(table.count(0x0000FF, 20, 210, 500, 450), 1000)
        << "the rows in blue";
    pressKey(window, "Return");  // only brings the title back
    usleep(1000 * 1000);
    pressKey(window, "Escape");
    ASSERT_TRUE(waitForExit(game, 15000));
    EXPECT_TRUE(endedCleanly(game));

    std::string cfg = dir.read("Zephyrion.cfg");
    for (const char *line : {"Left = 1\n", "Right = 4\n", "PitchForward = 23\n",
                             "PitchBack = 19\n", "TorqueIncrease = 23\n", "TorqueDecrease = 19\n",
                             "Accelerate = 17\n", "Deccelerate = 5\n", "Stop = 24\n",
                             "Fire = 67\n", "LowSpeedPC = 0\n", "WindowSize = 1\n",
                             "Volume = 0\n", "PauseWhenUnfocused = 0\n", "FullScreen = 1\n",
                             "SmoothMotion = 0\n", "Scaling = 1\n", "VSync = 0\n",
                             "Widescreen = 0\n", "Resolution = 1\n"})
        EXPECT_NE(std::string::npos, cfg.find(line)) << line;
    EXPECT_FALSE(dir.exists("ErrorLog.txt"));
}

}  // namespace

namespace {

// The row of the fuel gauge's white level marker on the 800 x 600 picture, or
// -1: one pixel a percent of the tank.
int fuelMarkerRow(const Scratch &dir, const Image &shot)
{
    Image frame = loadImage(dir.file("bitmaps/RadarDir.png"));
    Image gauge = loadImage(dir.file("bitmaps/Fuel.png"));
    int centre = 600 - frame.height / 2;
    Found found = findAlongRow(shot, gauge, centre, 0, 800);
    for (int y = centre - gauge.height / 2; y < centre + gauge.height / 2; y++)
        if (shot.count(white, found.left, y, found.left + gauge.width, y + 1) > gauge.width - 4)
            return y;
    return -1;
}

// Eight seconds paused would have burnt 4 % of the tank, four rows of the gauge.
void expectNoFuelBurnt(const Scratch &dir, const Image &before, const Image &after)
{
    int row = fuelMarkerRow(dir, before);
    ASSERT_GT(row, 0) << "the fuel marker";
    EXPECT_LE(abs(fuelMarkerRow(dir, after) - row), 1) << "fuel burnt while paused";
}

// What the game sounds like, heard in its real output: nothing on the title,
// the three briefing cues and the engine on the way in, nothing while paused
// (when nothing moves and no fuel burns either), the beam's loop on the first
// building in its way, and nothing of the game once it is over.
TEST_F(Game, WhatIsHeardFromTheTitleThroughAPauseAndABeamToGameOver)
{
    game = startGame(dir, WithSound);
    std::string window = waitForWindow(10000);
    ASSERT_FALSE(window.empty());
    expectTitle(waitForTitle(dir, 800, 600), 800, 600);
    usleep(1500 * 1000);  // the logo's entrance has sounded
    EXPECT_EQ(0, hear(dir, soundMark(dir)).level) << "the title is silent";

    long approach = soundMark(dir);
    pressKey(window, "Return");
    usleep(7500 * 1000);
    long flying = soundMark(dir);
    EXPECT_EQ(3, timesHeard(dir, "014", approach, flying)) << "the briefing's cues";
    EXPECT_GT(hear(dir, flying).share("002"), 0.5) << "the engine";

    Image before = grabScreen(dir.file("before-pause.png"));
    pressKey(window, "p");
    usleep(500 * 1000);
    Image paused = grabScreen(dir.file("paused.png"));
    EXPECT_GT(paused.count(white, 250, 180, 550, 250), 800) << "Paused";
    usleep(1500 * 1000);  // what sounded as the pause began has ended
    EXPECT_EQ(0, hear(dir, soundMark(dir)).level) << "paused, nothing sounds";
    usleep(1000 * 1000);
    EXPECT_EQ(0, differingPixels(grabScreen(dir.file("paused-later.png")), 0, 0, paused))
        << "paused, nothing moves";
    usleep(5000 * 1000);
    pressKey(window, "p");
    usleep(300 * 1000);
    expectNoFuelBurnt(dir, before, grabScreen(dir.file("resumed.png")));
    EXPECT_GT(hear(dir, soundMark(dir)).share("002"), 0.5) << "the engine again";

    // Held: shot after shot into the buildings ahead. What is heard is the
    // first second of it, once the beam has reached the building ahead: in a
    // city of deep blocks the beam can bring down every building in reach on
    // its line within the 1.5 s.
    keyDown("space");
    usleep(300 * 1000);
    long firing = soundMark(dir);
    usleep(1200 * 1000);
    EXPECT_GT(hear(dir, firing, "004=550").share("007"), 0.1) << "the beam on a building";
    keyDown("Escape");
    usleep(300 * 1000);
    keyUp("Escape");
    keyUp("space");
    usleep(700 * 1000);
    long overMark = soundMark(dir);
    Image over = grabScreen(dir.file("game-over.png"));  // before the hearing's 0.75 s
    EXPECT_GT(over.count(0xDC0000, 0, 60, 800, 110), 500) << "Game Over";
    Heard gameOver = hear(dir, overMark);
    EXPECT_EQ(0, gameOver.level) << "game over is silent: " << gameOver;
    usleep(2500 * 1000);  // 4 s after Escape, on the title
    EXPECT_LT(hear(dir, soundMark(dir)).share("007"), 0.02) << "the beam's loop";

    pressKey(window, "Escape");
    ASSERT_TRUE(waitForExit(game, 15000));
    EXPECT_TRUE(endedCleanly(game));
}

// In a window: another window taking the focus pauses the game, silent and
// still, and coming back leaves it paused until P. Escape ends a paused game.
TEST_F(Game, LosingTheFocusPausesAWindowedGameUntilPIsPressed)
{
    dir.write("Zephyrion.cfg", "[Display]\nFullScreen = 0\n");
    game = startGame(dir, WithSound);
    std::string window = waitForWindow(10000);
    ASSERT_FALSE(window.empty());
    ASSERT_TRUE(titleShown(waitForTitle(dir, 800, 600, 40000, true), 800, 600, true));
    run("xlogo -geometry 100x100+900+0 >/dev/null 2>&1 &");
    pressKey(window, "Return");
    usleep(7500 * 1000);
    Image before = grabScreen(dir.file("before-pause.png"));
    std::string other = run("xdotool search --sync --class xlogo | head -n 1");
    run("xdotool windowfocus --sync " + other);
    usleep(500 * 1000);
    Image paused = grabScreen(dir.file("paused.png"));
    EXPECT_GT(paused.count(white, 250, 180, 550, 250), 800) << "Paused";
    usleep(1500 * 1000);
    EXPECT_EQ(0, hear(dir, soundMark(dir)).level) << "paused, nothing sounds";
    run("xdotool windowfocus --sync " + window);
    usleep(1000 * 1000);
    EXPECT_EQ(0, differingPixels(grabScreen(dir.file("back.png")), 0, 0, paused))
        << "coming back does not resume";
    usleep(5000 * 1000);
    pressKey(window, "p");
    usleep(300 * 1000);
    expectNoFuelBurnt(dir, before, grabScreen(dir.file("resumed.png")));
    EXPECT_GT(hear(dir, soundMark(dir)).share("002"), 0.5) << "the engine again";

    pressKey(window, "p");  // Escape ends a paused game as it does a flying one
    usleep(500 * 1000);
    holdKey(window, "Escape", 300);
    usleep(700 * 1000);
    Image over = grabScreen(dir.file("game-over.png"));
    EXPECT_GT(over.count(0xDC0000, 0, 60, 800, 110), 500) << "Game Over";
    usleep(3500 * 1000);
    pressKey(window, "Escape");
    ASSERT_TRUE(waitForExit(game, 15000));
    EXPECT_TRUE(endedCleanly(game));
    EXPECT_NE(std::string::npos, dir.read("Zephyrion.cfg").find("FullScreen = 0"));
}

}  // namespace
