// The TrueType text renderer: glyphs rasterised by FreeType at one height at a
// time, cached per font, and written one solid-colour pixel at a time into an
// Allegro bitmap. Every screen, the HUD and the splash draw their words with it.
#pragma once

#include <allegro.h>
#include <ft2build.h>
#include FT_FREETYPE_H

// One cached glyph at the font's current pixel size.
struct TtfGlyph {
    unsigned char cached;   // 1 once rendered at the current size
    int width, height;      // size of the one-bit rendering, pixels
    int left;               // columns from the pen to the first column
    int top;                // rows from the baseline up to the first row
    int advanceX, advanceY; // pen movement after the glyph, whole pixels
    int available;          // 1 when a one-bit rendering was made
    unsigned char *pixels;  // width x height bytes, top row first; non-zero is set
};

struct TtfFont {
    FT_Face face;
    int height;          // the text height last accepted, pixels (0 before the first)
    int pixelSize;       // the pixel size set on the face for that height
    int ascender;        // pixels from the top of a line down to its baseline
    int fixedSizeCount;  // -1 for a scalable face, else its number of bitmap strikes
    TtfGlyph *glyphs;    // one entry per glyph of the face, by glyph index
    int *fixedSizes;     // strike heights, then -1
};

int ttf_startup();
void ttf_shutdown();
TtfFont *ttf_load(const char *path);
void ttf_free(TtfFont *font);
int ttf_set_height(TtfFont *font, int height);
int ttf_set_background(int colour);
void ttf_draw_text(BITMAP *bmp, TtfFont *font, const char *text, int x, int y, int colour);
int ttf_text_width(TtfFont *font, const char *text);
