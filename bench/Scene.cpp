// The benchmarks' scene. See Scene.h.
#include "Scene.h"

#include <allegro.h>

#include <cstdlib>
#include <initializer_list>

#include <unistd.h>

#include "Std/3D.h"
#include "Std/Display.h"
#include "Zephyrion/City.h"
#include "Zephyrion/Enemies.h"
#include "Zephyrion/GameState.h"
#include "Zephyrion/Graphics.h"
#include "Zephyrion/Hud.h"
#include "Zephyrion/Shots.h"
#include "text/Ttf.h"

static const unsigned citySeed = 2026;

void setUpScene(int colourDepth)
{
    set_color_depth(colourDepth);
    game.backBuffer = create_bitmap(800, 600);
    setupProjection(0, 0, 800, 600);
    createZBuffer(game.backBuffer);
    setViewDistance(1500);
    srand(citySeed);
    game.citiesCleared = 0;
    buildCity();
}

void viewFrom(View view)
{
    camera->x = 0;
    camera->yaw = camera->roll = 0;
    if (view == TitleView)
        camera->y = -500, camera->z = -800, camera->pitch = 30;
    else
        camera->y = -20, camera->z = -20, camera->pitch = 0;
}

void renderFrame()
{
    clear_bitmap(game.backBuffer);
    clearZBuffer();
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

void renderPlayFrame()
{
    clear_bitmap(game.backBuffer);
    clearZBuffer();
    drawCity();
    drawEnemies();
    drawHud(0);
    drawBeams();
}

static BITMAP *picture, *stage, *desktop;
static ScreenRect shown;

bool setUpScaledPresent(int screenW, int screenH)
{
    int w = game.backBuffer->w, h = game.backBuffer->h;
    shown = fitPicture(w, h, screenW, screenH);
    picture = create_bitmap(w, h);
    stage = create_bitmap(shown.w, shown.h);
    desktop = create_bitmap(screenW, screenH);
    return picture && stage && desktop;
}

// The steps of the display's present, on a memory screen.
void presentScaled()
{
    blit(game.backBuffer, picture, 0, 0, 0, 0, picture->w, picture->h);
    scalePicture(picture, stage, {0, 0, shown.w, shown.h});
    blit(stage, desktop, 0, 0, shown.x, shown.y, shown.w, shown.h);
}

void tearDownScaledPresent()
{
    for (BITMAP *b : {picture, stage, desktop})
        if (b)
            destroy_bitmap(b);
    picture = stage = desktop = nullptr;
}

void tearDownPlay()
{
    game.beamActive = false;
    freeEnemies();
    freeGraphics();
    freeCity();
}
