// What the menu screens share. See Menu.h.
#include "Zephyrion/Menu.h"

#include <allegro.h>

#include <cmath>

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
    clear_bitmap(game.backBuffer);
    clearZBuffer();
    drawCity();
}

void drawTitleLogo()
{
    BITMAP *logo = game.bitmaps.logo;
    if (!logo)
        return;
    Layout l = layoutOf(game.backBuffer);
    int w = (int)lroundf(logo->w * l.art), h = (int)lroundf(logo->h * l.art);
    int x = (game.backBuffer->w - w) / 2, y = placeY(l, logoTop);
    if (w == logo->w && h == logo->h)
        draw_sprite(game.backBuffer, logo, x, y);
    else
        stretch_sprite(game.backBuffer, logo, x, y, w, h);
}
