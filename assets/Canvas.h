// Drawing helpers for the game's art: a canvas drawn four times larger than
// the picture and filtered down, so edges and text come out smooth. Sprites keep
// a hard edge against the mask colour, so no pink fringe shows in the game.
#pragma once

#include <allegro.h>

#include <string>

#include "text/Ttf.h"

struct Canvas {
    BITMAP *hi;     // the picture at scale times its size, 32-bit
    int scale;      // canvas pixels per picture pixel along each axis
    TtfFont *font;  // the game font, for labels
    int size;       // pixels of the finished art per picture pixel: 1, or 2..4 for larger pictures
};

// The size the canvases begun from now on are finished at: 1 for the classic
// picture, 2..4 for the pictures that many times as tall.
void setArtSize(int size);

struct Rgb {
    int r, g, b;
};

Rgb mix(Rgb a, Rgb b, float t);
int colour(Rgb c);

// A canvas of w x h picture pixels filled with a colour (the mask for sprites).
Canvas beginCanvas(int w, int h, Rgb fill, TtfFont *font);

// The finished picture as a 24-bit bitmap; the canvas is released.
BITMAP *finishCanvas(Canvas &canvas, bool sprite);

// Saves a 24-bit bitmap as an RGB PNG and releases it; false on failure.
bool savePicture(BITMAP *picture, const std::string &path);

// All coordinates below are picture pixels (fractions allowed); angles are
// degrees clockwise from straight up.
void disc(Canvas &c, float x, float y, float r, Rgb colour);
void ring(Canvas &c, float x, float y, float r0, float r1, Rgb colour);
void box(Canvas &c, float x0, float y0, float x1, float y1, Rgb colour);
void verticalGradient(Canvas &c, float x0, float y0, float x1, float y1, Rgb top, Rgb bottom);
void radialShade(Canvas &c, float x, float y, float r, Rgb centre, Rgb edge);
void thickLine(Canvas &c, float x0, float y0, float x1, float y1, float width, Rgb colour);
void radialTick(Canvas &c, float x, float y, float angle, float r0, float r1, float width, Rgb colour);
void arcBand(Canvas &c, float x, float y, float r0, float r1, float a0, float a1, Rgb colour);
void triangle3(Canvas &c, float x0, float y0, float x1, float y1, float x2, float y2, Rgb colour);
void polygonPx(Canvas &c, int n, const float *xy, Rgb colour);

// Text of a height in picture pixels, centred on (x, y) or from its left edge.
void textCentred(Canvas &c, const char *text, float x, float y, int height, Rgb colour);
void textAt(Canvas &c, const char *text, float x, float y, int height, Rgb colour);
int textWidth(Canvas &c, const char *text, int height);  // picture pixels

// A point at an angle and radius from a centre.
float polarX(float x, float angle, float r);
float polarY(float y, float angle, float r);
