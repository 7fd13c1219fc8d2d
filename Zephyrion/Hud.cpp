// The heads-up display. See Hud.h.
#include "Zephyrion/Hud.h"

#include <allegro.h>

#include <cstdio>

#include "Zephyrion/GameState.h"
#include "text/Ttf.h"

static const int scoreHeight = 12;
static const int scoreX = 10, scoreY = 10;

// For now the score and the crosshair; the instruments come next.
void drawHud(int autopilot)
{
    BITMAP *bmp = game.backBuffer;
    const Bitmaps &b = game.bitmaps;
    if (!autopilot && b.crosshair)
        pivot_sprite(bmp, b.crosshair, SCREEN_W / 2, SCREEN_H / 2, b.crosshair->w / 2,
                     b.crosshair->h / 2, 0);
    char text[32];
    snprintf(text, sizeof text, "Score %d", game.score);
    ttf_set_height(game.gameFont, scoreHeight);
    ttf_draw_text(bmp, game.gameFont, text, scoreX, scoreY, makecol(255, 255, 255));
}
