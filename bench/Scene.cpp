// The benchmarks' scene. See Scene.h.
#include "Scene.h"

#include <allegro.h>

#include <unistd.h>

#include "Std/3D.h"
#include "Std/Display.h"
#include "Zephyrion/City.h"
#include "Zephyrion/Enemies.h"
#include "Zephyrion/Flight.h"
#include "Zephyrion/GameState.h"
#include "Zephyrion/Graphics.h"
#include "Zephyrion/Hud.h"
#include "Zephyrion/Interpolation.h"
#include "Zephyrion/Shots.h"
#include "text/Ttf.h"

static const unsigned citySeed = 2026;
static int pictureW = 800, pictureH = 600;

void setPictureSize(int w, int h)
{
    pictureW = w, pictureH = h;
}

void setUpScene(int colourDepth)
{
    set_color_depth(colourDepth);
    game.screenWidth = pictureW, game.screenHeight = pictureH;
    game.backBuffer = create_bitmap(pictureW, pictureH);
    setupProjection(0, 0, pictureW, pictureH);
    createZBuffer(game.backBuffer);
    setViewDistance(1500);
    seedRandom(game.logicRandom, citySeed);  // the same city for every benchmark
    game.citiesCleared = 0;
    buildCity();
}

void viewFrom(View view)
{
    game.craft.x = 0;
    game.craft.yaw = game.craft.roll = 0;
    if (view == TitleView)
        game.craft.y = -500, game.craft.z = -800, game.craft.pitch = 30;
    else
        game.craft.y = -20, game.craft.z = -20, game.craft.pitch = 0;
}

void renderFrame()
{
    SeenBetweenTicks seen(1);
    clearFrame(game.backBuffer);
    drawCity();
}

void tearDownScene()
{
    freeCity();
    destroyZBuffer();
    destroy_bitmap(game.backBuffer);
    game.backBuffer = nullptr;
}

bool setUpPlay(int colourDepth, const char *runtimeDir)
{
    if (chdir(runtimeDir) != 0 || ttf_startup() != 0)
        return false;
    setUpScene(colourDepth);
    loadBitmaps();
    game.gameFont = ttf_load("bitmaps/chintzy.ttf");
    if (!game.gameFont || !setupEnemies())
        return false;
    ttf_set_background(-1);
    viewFrom(StreetView);
    game.lives = 3, game.enemiesRemaining = game.enemyCount;
    game.fuel = 60, game.damage = 10;
    game.beamActive = true;
    return true;
}

static void drawPlay()
{
    clearFrame(game.backBuffer);
    drawCity();
    drawEnemies();
    drawHud(0);
    drawBeams();
}

void renderPlayFrame()
{
    SeenBetweenTicks seen(1);
    drawPlay();
}

void setUpBetweenTicks()
{
    game.craft.yaw = 358, game.craft.speed = -4;  // backing away from the wall ahead
    keepTickStart();
    moveCraft();
    game.craft.yaw = 2;
    moveEnemies();
}

void renderPlayFrameBetween()
{
    SeenBetweenTicks seen(0.5f);
    drawPlay();
}

static BITMAP *desktop;
static ScreenRect shown;

bool setUpScaledPresent(int screenW, int screenH)
{
    shown = fitPicture(game.backBuffer->w, game.backBuffer->h, screenW, screenH);
    desktop = create_bitmap(screenW, screenH);
    return desktop != nullptr;
}

// The display's present of a frame, on a memory screen, as the game scales
// by default ("Sharp").
void presentScaled()
{
    scalePictureAs(game.backBuffer, desktop, shown, ScaleSharp);
}

bool setUpShownPresent()
{
    if (!startDisplay())
        return false;
    DisplayChoice choice;  // full screen, Sharp, vsync: the game's defaults
    choice.vsync = false;  // as fast as it goes
    choice.widescreen = false;  // the picture is the frame's 4:3, whatever the screen's shape
    return openDisplay(game.backBuffer->w, game.backBuffer->h, choice);
}

void tearDownScaledPresent()
{
    if (desktop)
        destroy_bitmap(desktop);
    desktop = nullptr;
}

void tearDownPlay()
{
    game.beamActive = false;
    freeEnemies();
    freeGraphics();
    freeCity();
}
