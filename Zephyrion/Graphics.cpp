// The graphics the game draws with. See Graphics.h.
#include "Zephyrion/Graphics.h"

#include <allegro.h>
#include <loadpng.h>

#include "Std/3D.h"
#include "Std/Display.h"
#include "Std/Errors.h"
#include "Std/Folders.h"
#include "Zephyrion/GameState.h"
#include "text/Ttf.h"

// The error log names start-up's source for these lines.
static const char *const startupSource = "Zephyrion.cpp";
static const int backBufferLine = 682;
static const int textStartupLine = 685;
static const int fontLine = 688;
static const int bitmapMissingLine = 700;

static const int highWidth = 800, highHeight = 600;
static const int lowWidth = 640, lowHeight = 480;
static const int fontHeightAfterLoading = 12;
static const float startupViewDistance = 1500.0f;

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

// The error log writes Allegro's last error text; where Allegro has none of
// its own for a failure, we put in ours first.
static void setError(const char *format, const char *path)
{
    uszprintf(allegro_error, ALLEGRO_ERROR_SIZE, format, path);
}

static DisplayChoice settingsChoice()
{
    DisplayChoice choice;
    choice.fullScreen = game.settings.fullScreen;
    choice.windowScale = game.settings.windowScale;
    choice.vsync = game.settings.vsync;
    choice.scaling = game.settings.scaling;
    return choice;
}

bool setGameScreenMode()
{
    bool low = game.settings.lowSpeedPC;
    game.screenWidth = low ? lowWidth : highWidth;
    game.screenHeight = low ? lowHeight : highHeight;
    return openDisplay(game.screenWidth, game.screenHeight, settingsChoice());
}

bool applyDisplaySettings()
{
    return changeDisplay(settingsChoice());
}

void noteLoadFailure(const char *path)
{
    setError("Unable to load %s", path);
}

bool createBackBuffer(int w, int h)
{
    game.backBuffer = create_bitmap(w, h);
    if (!game.backBuffer || !createZBuffer(game.backBuffer)) {
        setError("Unable to create the %s", "back buffer");
        logError(backBufferLine, startupSource, SevError, "%s", allegro_error);
        return false;
    }
    clear_bitmap(game.backBuffer);
    setupProjection(0, 0, w, h);
    setViewDistance(startupViewDistance);
    return true;
}

bool loadGraphics()
{
    if (!createBackBuffer(game.screenWidth, game.screenHeight))
        return false;
    if (ttf_startup() != 0) {
        setError("The text renderer could not start", "");
        logError(textStartupLine, startupSource, SevError, "%s", allegro_error);
        return false;
    }
    game.gameFont = ttf_load(dataFile("bitmaps/chintzy.ttf").c_str());
    if (!game.gameFont) {
        noteLoadFailure("bitmaps/chintzy.ttf");
        logError(fontLine, startupSource, SevError, "%s", allegro_error);
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
        game.bitmaps.*file.slot = load_png(dataFile(file.path).c_str(), nullptr);
        if (!(game.bitmaps.*file.slot))
            logError(bitmapMissingLine, startupSource, SevWarning,
                     "Unable to load %s; the game goes on without it", file.path);
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
