// Start-up and shutdown. See Zephyrion.h.
#include "Zephyrion/Zephyrion.h"

#include <allegro.h>
#include <loadpng.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "Std/Display.h"
#include "Std/Errors.h"
#include "Std/Folders.h"
#include "Std/Gamepad.h"
#include "Std/Platform.h"
#include "Std/Sound.h"
#include "Zephyrion/GameState.h"
#include "Zephyrion/Graphics.h"
#include "Zephyrion/Intro.h"
#include "Zephyrion/Layout.h"
#include "Zephyrion/PadControls.h"
#include "Zephyrion/Pictures.h"
#include "Zephyrion/Replay.h"
#include "Zephyrion/Settings.h"
#include "Zephyrion/Sounds.h"
#include "Zephyrion/Timers.h"
#include "Zephyrion/Title.h"
#include "text/Ttf.h"

// Source lines the error log names for each start-up failure.
static const int initSystemFailedLine = 534;
static const int loadGraphicsFailedLine = 535;
static const int loadSoundsFailedLine = 536;
static const int introFailedLine = 540;
static const char *const configFile = "Zephyrion.cfg";
static const int noDisplayLine = 520;
static const int screenModeLine = 625;
static const int noSoundLine = 78;
static const int splashMs = 5000;
static const int splashStepMs = 50;  // how soon a new picture shows the splash again
static const int splashTextRise = 30;  // the splash line's top, pixels above the bottom edge
static const int splashTextHeight = 12;

struct SampleFile {
    const char *path;
    SAMPLE *Samples::*slot;
    int failedLine;  // the error log's line for this file
};

static const SampleFile sampleFiles[] = {
    {"sounds/002.wav", &Samples::engine, 753},
    {"sounds/003.wav", &Samples::crashDive, 754},
    {"sounds/006.wav", &Samples::crashExplosion, 755},
    {"sounds/004.wav", &Samples::fireBeam, 756},
    {"sounds/005.wav", &Samples::logoEntrance, 757},
    {"sounds/007.wav", &Samples::beamOnBuilding, 758},
    {"sounds/010.wav", &Samples::buildingDestroyed, 759},
    {"sounds/008.wav", &Samples::enemyHit, 760},
    {"sounds/009.wav", &Samples::explosionEnd, 761},
    {"sounds/011.wav", &Samples::refusal, 762},
    {"sounds/012.wav", &Samples::ram, 763},
    {"sounds/013.wav", &Samples::lowFuel, 764},
    {"sounds/014.wav", &Samples::briefing, 765},
    {"sounds/017.wav", &Samples::refuel, 766},
};

// Allegro only draws: its bitmaps, 3D, text, PNG, WAV and configuration
// need no system of its own. SDL has the window, the input and the sound.
bool initSystem()
{
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0)
        return false;
    if (!startDisplay()) {
        logError(noDisplayLine, __FILE__, SevError, "%s", allegro_error);
        fprintf(stderr, "Zephyrion: %s (neither X nor Wayland)\n", allegro_error);
        return false;
    }
    // A timed replay is silent: no device, so no sound card can slow it. A
    // sound device that cannot be had is no reason to stop: the game plays silent.
    if (game.replay != TimedReplay && !openSound())
        logError(noSoundLine, __FILE__, SevWarning, "No sound: %s", soundError());
    register_png_file_type();
    selectSettingsFile(configFile);
    loadSettings();
    applySoundVolume();
    if (!openGamepads())  // the keyboard and the mouse still play
        logError(__LINE__, __FILE__, SevWarning, "No gamepads: %s", gamepadError());
    typeMenuPadKeys();
    applyGamepadSetting();
    set_color_depth(desktopColourDepth());
    if (!setGameScreenMode()) {
        logError(screenModeLine, __FILE__, SevError, "%s", allegro_error);
        return false;
    }
    game.displayRate = displayRefreshHz();
    installClock();
    watchQuitSignals();
    srand((unsigned)time(nullptr));
    seedRandom(game.pictureRandom, (uint32_t)time(nullptr));
    return true;
}

// Samples loaded before a failure stay loaded: start-up ends at once anyway.
bool loadSounds()
{
    for (const SampleFile &file : sampleFiles) {
        game.samples.*file.slot = load_sample(dataFile(file.path).c_str());
        if (!(game.samples.*file.slot)) {
            noteLoadFailure(file.path);
            logError(file.failedLine, __FILE__, SevError, "%s", allegro_error);
            return false;
        }
    }
    return true;
}

// In its own shape, as tall as the picture and centred on it.
static void drawSplash(BITMAP *splash)
{
    const char *text = "Please study the sponsors for the next few seconds...";
    BITMAP *picture = displayPicture();
    clear_bitmap(picture);
    Layout l = layoutOf(picture);
    if (splash && splash->w == l.width && splash->h == picture->h)
        blit(splash, picture, 0, 0, l.left, 0, splash->w, splash->h);
    else if (splash)
        stretch_blit(splash, picture, 0, 0, splash->w, splash->h, l.left, 0, l.width, picture->h);
    writeCentred(picture, text, splashTextHeight, classicHeight() - splashTextRise,
                 makecol(0, 0, 0));
    showPicture();
}

void showSplash()
{
    InLoop here("splash");
    BITMAP *splash = load_png(dataFile(game.settings.lowSpeedPC ? "bitmaps/SplashScreenLow.png"
                                                                : "bitmaps/SplashScreenHigh.png")
                                  .c_str(),
                              nullptr);
    drawSplash(splash);
    for (int shown = 0; shown < splashMs; shown += splashStepMs) {
        restServingInput(splashStepMs);
        if (pictureResized())
            drawSplash(splash);  // a switch or a resize: drawn anew for the new picture
    }
    if (splash)
        destroy_bitmap(splash);
}

void freeSounds()
{
    for (const SampleFile &file : sampleFiles) {
        if (game.samples.*file.slot) {
            stopSample(game.samples.*file.slot);  // the mixer lets go of it first
            destroy_sample(game.samples.*file.slot);
        }
        game.samples.*file.slot = nullptr;
    }
}

static const int badArgumentsStatus = 2;
static const int anotherGameStatus = 1;  // as the launcher leaves when a game runs
static const int startFailedStatus = 1;  // start-up failed: the log says why

// "--play FILE" or "--timedemo FILE", each followed by any number of
// "--shot TICK PNG": the replay asked for, else NoReplay. False when the
// arguments are none of these.
static bool readArguments(int argc, char **argv, int &replay, const char *&demoPath)
{
    replay = NoReplay;
    if (argc == 1)
        return true;
    if (argc < 3 || (argc - 3) % 3 != 0)
        return false;
    if (strcmp(argv[1], "--play") == 0)
        replay = WatchedReplay;
    else if (strcmp(argv[1], "--timedemo") == 0)
        replay = TimedReplay;
    else
        return false;
    demoPath = argv[2];
    for (int i = 3; i < argc; i += 3) {
        char *end;
        unsigned long tick = strtoul(argv[i + 1], &end, 10);
        if (strcmp(argv[i], "--shot") != 0 || end == argv[i + 1] || *end || tick > UINT32_MAX ||
            argv[i + 1][0] == '-' || !askPictureAt((uint32_t)tick, argv[i + 2]))
            return false;
    }
    return true;
}

int zephyrionMain(int argc, char **argv)
{
    errorLogFresh = true;
    traceEnabled = false;
    int replay;
    const char *demoPath = nullptr;
    if (!readArguments(argc, argv, replay, demoPath)) {
        fprintf(stderr, "Usage: Zephyrion [--play FILE | --timedemo FILE] [--shot TICK PNG]...\n");
        return badArgumentsStatus;
    }
    static Demo demo;  // played back after start-up
    if (replay && !loadDemoToPlay(demoPath, demo, true))  // before any window opens
        return badArgumentsStatus;
    if (!enterPlayerFolder())
        return anotherGameStatus;
    game.replay = replay;  // start-up knows a timed replay's silence
    resetHighScores();
    if (!initSystem()) {
        logError(initSystemFailedLine, __FILE__, SevError, "%s", allegro_error);
        return startFailedStatus;
    }
    game.replay = NoReplay;
    if (!loadGraphics()) {
        logError(loadGraphicsFailedLine, __FILE__, SevError, "%s", allegro_error);
        return startFailedStatus;
    }
    if (!loadSounds()) {
        logError(loadSoundsFailedLine, __FILE__, SevError, "%s", allegro_error);
        return startFailedStatus;
    }
    if (replay) {  // straight to the game, and nothing of it is saved
        int status = runDemoFromCommandLine(demo, demoPath, replay);
        reportUnwrittenPictures();
        freeSounds();
        freeGraphics();
        closeGamepads();
        closeSound();
        stopDisplay();
        return status;
    }
    showSplash();
    if (!runIntro()) {
        logError(introFailedLine, __FILE__, SevError, "%s", allegro_error);
        return startFailedStatus;
    }
    titleLoop();
    freeSounds();
    freeGraphics();
    writeSettingsFile();  // with the display's last choice of full screen or window
    quitServed();
    closeGamepads();
    closeSound();
    stopDisplay();
    return 0;
}
