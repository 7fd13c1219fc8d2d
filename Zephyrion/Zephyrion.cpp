// Start-up and shutdown. See Zephyrion.h.
#include "Zephyrion/Zephyrion.h"

#include <allegro.h>
#include <loadpng.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "Std/3D.h"
#include "Std/Errors.h"
#include "Std/Platform.h"
#include "Zephyrion/GameState.h"
#include "Zephyrion/Intro.h"
#include "Zephyrion/Settings.h"
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
static const int backBufferLine = 682;
static const int textStartupLine = 685;
static const int fontLine = 688;
static const int bitmapMissingLine = 700;

static const int highWidth = 800, highHeight = 600;
static const int lowWidth = 640, lowHeight = 480;
static const int unknownDepthFallback = 16;
static const int fontHeightAfterLoading = 12;
static const float startupViewDistance = 1500.0f;
static const int splashMs = 5000;
static const int splashTextRise = 30;  // the splash line's top, pixels above the bottom edge

struct BitmapFile {
    const char *path;
    BITMAP *Bitmaps::*slot;
};

static const BitmapFile bitmapFiles[] = {
    {"bitmaps/Radar.png", &Bitmaps::radar},
    {"bitmaps/RadarDir.png", &Bitmaps::radarDir},
    {"bitmaps/Speedo.png", &Bitmaps::speedo},
    {"bitmaps/Pitch.png", &Bitmaps::pitch},
    {"bitmaps/Torque.png", &Bitmaps::torque},
    {"bitmaps/Altimeter.png", &Bitmaps::altimeter},
    {"bitmaps/Crosshair.png", &Bitmaps::crosshair},
    {"bitmaps/Damage.png", &Bitmaps::damage},
    {"bitmaps/Fuel.png", &Bitmaps::fuel},
    {"bitmaps/HUDBar.png", &Bitmaps::hudBar},
    {"bitmaps/LifeInd.png", &Bitmaps::lifeInd},
    {"bitmaps/EnemyInd.png", &Bitmaps::enemyInd},
    {"bitmaps/FuelDir.png", &Bitmaps::fuelDir},
    {"bitmaps/ZephyrionLogo.png", &Bitmaps::logo},
};

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

// The error log writes Allegro's last error text; where Allegro has none of
// its own for a failure, we put in ours first.
static void setError(const char *format, const char *path)
{
    uszprintf(allegro_error, ALLEGRO_ERROR_SIZE, format, path);
}

bool setGameScreenMode()
{
    bool low = game.settings.lowSpeedPC;
    game.screenWidth = low ? lowWidth : highWidth;
    game.screenHeight = low ? lowHeight : highHeight;
    return setScreenMode(game.screenWidth, game.screenHeight, game.settings.fullScreen);
}

void noteLoadFailure(const char *path)
{
    setError("Unable to load %s", path);
}

bool initSystem()
{
    if (allegro_init() != 0) {
        // Without a display Allegro is unusable: every later call would crash.
        logError(noDisplayLine, __FILE__, SevError, "Allegro could not start: no display (%s)",
                 getenv("DISPLAY") ? getenv("DISPLAY") : "DISPLAY is not set");
        fprintf(stderr, "Zephyrion: Allegro could not start: no X display (is DISPLAY set?)\n");
        return false;
    }
    install_keyboard();
    install_mouse();
    install_timer();
    if (install_sound(DIGI_AUTODETECT, MIDI_NONE, nullptr) != 0)
        return false;
    disable_hardware_cursor();
    register_png_file_type();
    selectSettingsFile(configFile);
    loadSettings();
    int depth = desktop_color_depth();
    set_color_depth(depth ? depth : unknownDepthFallback);
    set_window_title("Zephyrion");
    if (!setGameScreenMode()) {
        logError(screenModeLine, __FILE__, SevError, "%s", allegro_error);
        return false;
    }
    installClock();
    watchQuitSignals();
    srand((unsigned)time(nullptr));
    return true;
}

bool createBackBuffer(int w, int h)
{
    game.backBuffer = create_bitmap(w, h);
    if (!game.backBuffer || !createZBuffer(game.backBuffer)) {
        setError("Unable to create the %s", "back buffer");
        logError(backBufferLine, __FILE__, SevError, "%s", allegro_error);
        return false;
    }
    clear_bitmap(game.backBuffer);
    setupProjection(0, 0, w, h);
    setViewDistance(startupViewDistance);
    return true;
}

bool loadGraphics()
{
    if (!createBackBuffer(SCREEN_W, SCREEN_H))
        return false;
    if (ttf_startup() != 0) {
        setError("The text renderer could not start", "");
        logError(textStartupLine, __FILE__, SevError, "%s", allegro_error);
        return false;
    }
    game.gameFont = ttf_load("bitmaps/chintzy.ttf");
    if (!game.gameFont) {
        noteLoadFailure("bitmaps/chintzy.ttf");
        logError(fontLine, __FILE__, SevError, "%s", allegro_error);
        return false;
    }
    ttf_set_background(-1);
    ttf_set_height(game.gameFont, fontHeightAfterLoading);
    loadBitmaps();
    return true;
}

void loadBitmaps()
{
    for (const BitmapFile &file : bitmapFiles) {
        game.bitmaps.*file.slot = load_png(file.path, nullptr);
        if (!(game.bitmaps.*file.slot))
            logError(bitmapMissingLine, __FILE__, SevWarning,
                     "Unable to load %s; the game goes on without it", file.path);
    }
}

// Samples loaded before a failure stay loaded: start-up ends at once anyway.
bool loadSounds()
{
    for (const SampleFile &file : sampleFiles) {
        game.samples.*file.slot = load_sample(file.path);
        if (!(game.samples.*file.slot)) {
            noteLoadFailure(file.path);
            logError(file.failedLine, __FILE__, SevError, "%s", allegro_error);
            return false;
        }
    }
    return true;
}

void showSplash()
{
    const char *text = "Please study the sponsors for the next few seconds...";
    BITMAP *splash = load_png(game.settings.lowSpeedPC ? "bitmaps/SplashScreenLow.png"
                                                       : "bitmaps/SplashScreenHigh.png",
                              nullptr);
    int width = splash ? splash->w : SCREEN_W;
    if (splash)
        blit(splash, screen, 0, 0, 0, 0, splash->w, splash->h);
    ttf_draw_text(screen, game.gameFont, text, (width - ttf_text_width(game.gameFont, text)) / 2,
                  SCREEN_H - splashTextRise, makecol(0, 0, 0));
    rest(splashMs);
    if (splash)
        destroy_bitmap(splash);
}

void freeSounds()
{
    for (const SampleFile &file : sampleFiles) {
        if (game.samples.*file.slot)
            destroy_sample(game.samples.*file.slot);
        game.samples.*file.slot = nullptr;
    }
}

void freeGraphics()
{
    for (const BitmapFile &file : bitmapFiles) {
        if (game.bitmaps.*file.slot)
            destroy_bitmap(game.bitmaps.*file.slot);
        game.bitmaps.*file.slot = nullptr;
    }
    destroyZBuffer();
    if (game.backBuffer)
        destroy_bitmap(game.backBuffer);
    game.backBuffer = nullptr;
    ttf_free(game.gameFont);
    game.gameFont = nullptr;
    ttf_shutdown();
}

int zephyrionMain()
{
    errorLogFresh = true;
    traceEnabled = false;
    resetHighScores();
    if (!initSystem()) {
        logError(initSystemFailedLine, __FILE__, SevError, "%s", allegro_error);
        return 0;
    }
    if (!loadGraphics()) {
        logError(loadGraphicsFailedLine, __FILE__, SevError, "%s", allegro_error);
        return 0;
    }
    if (!loadSounds()) {
        logError(loadSoundsFailedLine, __FILE__, SevError, "%s", allegro_error);
        return 0;
    }
    showSplash();
    if (!runIntro()) {
        logError(introFailedLine, __FILE__, SevError, "%s", allegro_error);
        return 0;
    }
    titleLoop();
    freeSounds();
    freeGraphics();
    writeSettingsFile();
    return 0;
}
