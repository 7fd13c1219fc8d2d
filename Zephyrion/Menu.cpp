// What the menu screens share. See Menu.h.
#include "Zephyrion/Menu.h"

#include <allegro.h>

#include "Std/3D.h"
#include "Std/Input.h"
#include "Std/Platform.h"
#include "Zephyrion/City.h"
#include "Zephyrion/GameState.h"

static const int logoTop = 15;

int keyboardScancode()
{
    clearKeys();
    return readKeyUnlessQuit() >> 8;
}

void resetTitleCamera()
{
    camera->x = 0, camera->y = -500, camera->z = -800;
    camera->pitch = 30, camera->yaw = 0, camera->roll = 0;
}

void drawTitleCity()
{
    clear_bitmap(game.backBuffer);
    clearZBuffer();
    drawCity();
}

void drawTitleLogo()
{
    BITMAP *logo = game.bitmaps.logo;
    if (logo)
        draw_sprite(game.backBuffer, logo, (game.screenWidth - logo->w) / 2, logoTop);
}
