// Where the screens' parts go. See Layout.h.
#include "Zephyrion/Layout.h"

#include <allegro.h>

#include <cmath>

#include "Zephyrion/GameState.h"
#include "text/Ttf.h"

static const int highWidth = 800, highHeight = 600;
static const int lowWidth = 640, lowHeight = 480;

int classicWidth()
{
    return game.settings.lowSpeedPC ? lowWidth : highWidth;
}

int classicHeight()
{
    return game.settings.lowSpeedPC ? lowHeight : highHeight;
}

Layout layoutOf(const BITMAP *picture)
{
    Layout l;
    l.scale = (float)picture->h / (float)classicHeight();
    l.width = (int)lroundf(classicWidth() * l.scale);
    l.left = (picture->w - l.width) / 2;
    return l;
}

int placeX(const Layout &l, int classicX)
{
    return l.left + (int)lroundf(classicX * l.scale);
}

int placeY(const Layout &l, int classicY)
{
    return (int)lroundf(classicY * l.scale);
}

int scaled(const Layout &l, int length)
{
    int n = (int)lroundf(length * l.scale);
    return n == 0 && length > 0 ? 1 : n;
}

void writeAt(BITMAP *to, const char *text, int height, int x, int y, int colour)
{
    Layout l = layoutOf(to);
    ttf_set_height(game.gameFont, scaled(l, height));
    ttf_draw_text(to, game.gameFont, text, placeX(l, x), placeY(l, y), colour);
}

void writeCentred(BITMAP *to, const char *text, int height, int y, int colour)
{
    Layout l = layoutOf(to);
    ttf_set_height(game.gameFont, scaled(l, height));
    ttf_draw_text(to, game.gameFont, text, (to->w - ttf_text_width(game.gameFont, text)) / 2,
                  placeY(l, y), colour);
}
