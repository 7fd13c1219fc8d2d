// The graphics the game draws with. See Graphics.h.
#include "Zephyrion/Graphics.h"

#include <allegro.h>
#include <loadpng.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "Std/3D.h"
#include "Std/Display.h"
#include "Std/Errors.h"
#include "Std/Folders.h"
#include "Zephyrion/GameState.h"
#include "Zephyrion/Layout.h"
#include "text/Ttf.h"

// The error log names start-up's source for these lines.
static const char *const startupSource = "Zephyrion.cpp";
static const int backBufferLine = 682;
static const int textStartupLine = 685;
static const int fontLine = 688;
static const int bitmapMissingLine = 700;

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
    choice.widescreen = game.settings.widescreen;
    choice.resolution = game.settings.resolution;
    return choice;
}

bool setGameScreenMode()
{
    if (!openDisplay(classicWidth(), classicHeight(), settingsChoice()))
        return false;
    pictureSize(&game.screenWidth, &game.screenHeight);
    return true;
}

static const int largestArt = 4;  // the art is made at 1x to 4x the classic size

// The smallest art at least as large as the picture's scale, but the classic
// art for a picture barely larger than the classic one.
static int artSizeFor(const BITMAP *picture)
{
    int size = (int)ceilf(layoutOf(picture).scale - 0.1f);
    return size < 1 ? 1 : size > largestArt ? largestArt : size;
}

static void freeBitmaps()
{
    for (const BitmapFile &file : bitmapFiles) {
        if (game.bitmaps.*file.slot)
            destroy_bitmap(game.bitmaps.*file.slot);
        game.bitmaps.*file.slot = nullptr;
    }
}

// A new back buffer and depth buffer of the picture's size, in place of the
// old; false, with both as they were, where there is no memory for them.
static bool resizeBackBuffer(int w, int h)
{
    BITMAP *next = create_bitmap(w, h);
    if (!next)
        return false;
    destroyZBuffer();
    if (!createZBuffer(next)) {
        destroy_bitmap(next);
        createZBuffer(game.backBuffer);
        return false;
    }
    destroy_bitmap(game.backBuffer);
    game.backBuffer = next;
    clear_bitmap(next);
    setupProjection(0, 0, w, h);
    game.screenWidth = w, game.screenHeight = h;
    return true;
}

bool followPicture()
{
    int w, h;
    pictureSize(&w, &h);
    if (!game.backBuffer || (game.backBuffer->w == w && game.backBuffer->h == h))
        return false;
    if (!resizeBackBuffer(w, h)) {
        logError(__LINE__, __FILE__, SevError, "No memory for a %dx%d picture: back to Classic", w,
                 h);
        game.settings.resolution = ResolutionClassic;
        applyDisplaySettings();
        pictureSize(&w, &h);
        resizeBackBuffer(w, h);
    }
    if (layoutOf(game.backBuffer).scale != game.artScale)
        loadBitmaps();
    return true;
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

// The larger art all comes from one folder; where a file of it is missing,
// the classic art stands in for the whole HUD.
static bool loadBitmapsAt(int size)
{
    std::string folder = size == 1 ? "" : std::to_string(size) + "x/";
    for (const BitmapFile &file : bitmapFiles) {
        std::string path = file.path;
        path.insert(path.find('/') + 1, folder);
        game.bitmaps.*file.slot = load_png(dataFile(path.c_str()).c_str(), nullptr);
        if (game.bitmaps.*file.slot || size == 1)
            continue;
        logError(__LINE__, __FILE__, SevWarning, "Unable to load %s; the HUD is drawn from the "
                 "classic art", path.c_str());
        freeBitmaps();
        return false;
    }
    game.artSize = size;
    return true;
}

// The art brought down (or up) to the picture's scale: each pixel the mean of
// the art's pixels under it that are not the mask colour, and the mask colour
// where most of them are, so that no fringe of it shows.
static BITMAP *scaleArt(BITMAP *art, float factor)
{
    const int samples = 3;  // along each axis
    int depth = bitmap_color_depth(art), mask = bitmap_mask_color(art);
    int w = std::max(1, (int)lroundf(art->w * factor)), h = std::max(1, (int)lroundf(art->h * factor));
    BITMAP *out = create_bitmap_ex(depth, w, h);
    if (!out)
        return nullptr;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            int r = 0, g = 0, b = 0, n = 0;
            for (int j = 0; j < samples; j++)
                for (int i = 0; i < samples; i++) {
                    int sx = (int)((x + (i + 0.5f) / samples) * art->w / w);
                    int sy = (int)((y + (j + 0.5f) / samples) * art->h / h);
                    int p = getpixel(art, sx, sy);
                    if (p == mask)
                        continue;
                    r += getr_depth(depth, p), g += getg_depth(depth, p), b += getb_depth(depth, p);
                    n++;
                }
            int p = mask;
            if (n * 2 >= samples * samples) {
                p = makecol_depth(depth, r / n, g / n, b / n);
                if (p == mask)
                    p = makecol_depth(depth, r / n, g / n ^ 8, b / n);  // never the mask
            }
            putpixel(out, x, y, p);
        }
    return out;
}

void loadBitmaps()
{
    freeBitmaps();
    float scale = game.backBuffer ? layoutOf(game.backBuffer).scale : 1;
    int size = game.backBuffer ? artSizeFor(game.backBuffer) : 1;
    if (size == 1 || !loadBitmapsAt(size))
        loadBitmapsAt(1);
    for (const BitmapFile &file : bitmapFiles) {
        BITMAP *&art = game.bitmaps.*file.slot;
        if (!art) {
            logError(bitmapMissingLine, startupSource, SevWarning,
                     "Unable to load %s; the game goes on without it", file.path);
            continue;
        }
        if (scale == (float)game.artSize)
            continue;
        BITMAP *scaled = scaleArt(art, scale / (float)game.artSize);
        if (scaled) {
            destroy_bitmap(art);
            art = scaled;
        }
    }
    game.artScale = scale;
}

void freeGraphics()
{
    freeBitmaps();
    destroyZBuffer();
    if (game.backBuffer)
        destroy_bitmap(game.backBuffer);
    game.backBuffer = nullptr;
    ttf_free(game.gameFont);
    game.gameFont = nullptr;
    ttf_shutdown();
}
