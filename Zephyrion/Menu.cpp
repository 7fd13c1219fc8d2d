// What the menu screens share. See Menu.h.
#include "Zephyrion/Menu.h"

#include <allegro.h>

#include "Std/3D.h"
#include "Std/Input.h"
#include "Std/Platform.h"
#include "Zephyrion/City.h"
#include "Zephyrion/GameState.h"
#include "Zephyrion/Graphics.h"
#include "Zephyrion/Layout.h"
#include "Zephyrion/Interpolation.h"

static const int logoTop = 15;

int keyboardScancode()
{
    clearKeys();
    return readKeyUnlessQuit() >> 8;
}

void resetTitleCamera()
{
    game.craft.x = 0, game.craft.y = -500, game.craft.z = -800;
    game.craft.pitch = 30, game.craft.yaw = 0, game.craft.roll = 0;
}

void drawTitleCity()
{
    followPicture();
    SeenBetweenTicks seen(1);
    clearFrame(game.backBuffer);
    drawCity();
}

void drawTitleLogo()
{
    BITMAP *logo = game.bitmaps.logo;
    if (!logo)
        return;
    draw_sprite(game.backBuffer, logo, (game.backBuffer->w - logo->w) / 2,
                placeY(layoutOf(game.backBuffer), logoTop));
}
