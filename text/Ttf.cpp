// The TrueType text renderer. See Ttf.h.
#include "text/Ttf.h"

#include <cstdlib>
#include <cstring>

#include FT_GLYPH_H

// The search for a pixel size gives up beyond this many times the requested
// height: no real face measures a line at less than a quarter of its pixel size.
static const long maxPixelsPerHeight = 4;
static const int maxPixelSize = 0xFFFF;  // FreeType's own limit

static FT_Library library = nullptr;
static int initialised = 0;
static int background = -1;

int ttf_startup()
{
    if (initialised)
        return 0;
    FT_Error error = FT_Init_FreeType(&library);
    if (error)
        return error;
    initialised = 1;
    return 0;
}

void ttf_shutdown()
{
    if (!initialised)
        return;
    initialised = 0;
    FT_Done_FreeType(library);
    library = nullptr;
}

int ttf_set_background(int colour)
{
    int previous = background;
    background = colour;
    return previous;
}

static void emptyCache(TtfFont *font)
{
    for (FT_Long i = 0; i < font->face->num_glyphs; i++) {
        TtfGlyph &glyph = font->glyphs[i];
        free(glyph.pixels);
        memset(&glyph, 0, sizeof glyph);
    }
}

// Whole pixels of a 26.6 value, rounded towards minus infinity.
static int wholePixels(FT_Pos value)
{
    return (int)(value >> 6);
}

// A line at the pixel size set on the face: |ascender| + |descender|.
static int measuredHeight(FT_Face face)
{
    return abs(wholePixels(face->size->metrics.ascender)) +
           abs(wholePixels(face->size->metrics.descender));
}

static int failHeight(TtfFont *font)
{
    if (font->pixelSize > 0)
        FT_Set_Pixel_Sizes(font->face, 0, font->pixelSize);
    return -1;
}

// Meets the height exactly when some pixel size measures it, else takes the
// largest size that measures less, searching from whichever side the first
// trial falls on.
int ttf_set_height(TtfFont *font, int height)
{
    if (height == font->height)
        return 0;
    if (height <= 0)
        return -1;
    long maxTrial = (long)height * maxPixelsPerHeight;
    if (maxTrial > maxPixelSize)
        maxTrial = maxPixelSize;
    int p = height, step = 0;
    for (;;) {
        if (p > maxTrial || FT_Set_Pixel_Sizes(font->face, 0, p))
            return failHeight(font);
        int measured = measuredHeight(font->face);
        if (measured == height)
            break;
        if (step == 0) {
            step = measured > height ? -1 : 1;
        } else if (step == 1 && measured > height) {
            p--;
            FT_Set_Pixel_Sizes(font->face, 0, p);
            break;
        } else if (step == -1 && measured < height) {
            break;
        }
        p += step;
        if (p <= 0)
            return failHeight(font);
    }
    emptyCache(font);
    font->height = height;
    font->pixelSize = p;
    font->ascender = wholePixels(font->face->size->metrics.ascender);
    return 0;
}

TtfFont *ttf_load(const char *path)
{
    if (!initialised)
        return nullptr;
    TtfFont *font = (TtfFont *)calloc(1, sizeof(TtfFont));
    if (!font)
        return nullptr;
    if (FT_New_Face(library, path, 0, &font->face)) {
        free(font);
        return nullptr;
    }
    FT_Face face = font->face;
    bool scalable = FT_IS_SCALABLE(face);
    font->fixedSizeCount = scalable ? -1 : face->num_fixed_sizes;
    int strikes = scalable ? 0 : face->num_fixed_sizes;
    font->glyphs = (TtfGlyph *)calloc(face->num_glyphs > 0 ? face->num_glyphs : 1, sizeof(TtfGlyph));
    font->fixedSizes = (int *)malloc((strikes + 1) * sizeof(int));
    if (!font->glyphs || !font->fixedSizes) {
        free(font->glyphs);
        free(font->fixedSizes);
        FT_Done_Face(face);
        free(font);
        return nullptr;
    }
    for (int i = 0; i < strikes; i++)
        font->fixedSizes[i] = face->available_sizes[i].height;
    font->fixedSizes[strikes] = -1;
    ttf_set_height(font, scalable ? 8 : font->fixedSizes[0]);
    return font;
}

void ttf_free(TtfFont *font)
{
    if (!font)
        return;
    emptyCache(font);
    free(font->glyphs);
    FT_Done_Face(font->face);
    free(font->fixedSizes);
    free(font);
}

// Expands a one-bit bitmap to a byte a pixel. The bytes keep the bit's mask
// (128, 64, ..., 1): any non-zero byte is a set pixel.
static void expandMono(TtfGlyph &glyph, const FT_Bitmap &bitmap)
{
    if (glyph.width < 1 || glyph.height < 1)
        return;
    glyph.pixels = (unsigned char *)malloc((size_t)glyph.width * glyph.height);
    if (!glyph.pixels)
        return;
    // A negative pitch stores the rows bottom first.
    const unsigned char *row = bitmap.buffer;
    if (bitmap.pitch < 0)
        row -= (ptrdiff_t)(bitmap.rows - 1) * bitmap.pitch;
    unsigned char *out = glyph.pixels;
    for (int r = 0; r < glyph.height; r++, row += bitmap.pitch)
        for (int i = 0; i < glyph.width; i++)
            *out++ = row[i / 8] & (0x80 >> (i % 8));
}

// No glyph of a sound face is many times the size asked for; one that is comes
// from a broken file, and rendering and drawing it could take minutes.
static const int largestGlyphPerPixel = 8;
static const int glyphSlack = 64;

static bool tooLarge(FT_Glyph image, int pixelSize)
{
    FT_BBox box;
    FT_Glyph_Get_CBox(image, FT_GLYPH_BBOX_PIXELS, &box);
    long limit = (long)largestGlyphPerPixel * (pixelSize > 0 ? pixelSize : 1) + glyphSlack;
    return box.xMax - box.xMin > limit || box.yMax - box.yMin > limit;
}

// Renders a glyph at the current size. A glyph FreeType cannot load or render is
// cached as blank; one it cannot load, or one too large to be sound, does not
// move the pen.
static void cacheGlyph(TtfFont *font, TtfGlyph &glyph, FT_UInt index)
{
    glyph.cached = 1;
    glyph.available = 0;
    FT_Glyph image;
    if (FT_Load_Glyph(font->face, index, FT_LOAD_DEFAULT) ||
        FT_Get_Glyph(font->face->glyph, &image))
        return;
    if (tooLarge(image, font->pixelSize)) {
        FT_Done_Glyph(image);
        return;
    }
    if (image->format == FT_GLYPH_FORMAT_BITMAP ||
        !FT_Glyph_To_Bitmap(&image, FT_RENDER_MODE_MONO, nullptr, 1)) {
        FT_BitmapGlyph bitmapGlyph = (FT_BitmapGlyph)image;
        const FT_Bitmap &bitmap = bitmapGlyph->bitmap;
        if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
            glyph.available = 1;
            glyph.width = bitmap.width;
            glyph.height = bitmap.rows;
            glyph.left = bitmapGlyph->left;
            glyph.top = bitmapGlyph->top;
            expandMono(glyph, bitmap);
        }
    }
    glyph.advanceX = wholePixels(font->face->glyph->advance.x);
    glyph.advanceY = wholePixels(font->face->glyph->advance.y);
    FT_Done_Glyph(image);
}

// The cache entry of a character, rendered if need be. A character the font
// lacks, or a code beyond the face's glyphs, is the missing-glyph shape 0.
static TtfGlyph &glyphFor(TtfFont *font, int character)
{
    FT_Face face = font->face;
    FT_ULong index = face->charmap ? FT_Get_Char_Index(face, character) : (FT_ULong)character;
    if (character < 0 || index >= (FT_ULong)face->num_glyphs)
        index = 0;
    TtfGlyph &glyph = font->glyphs[index];
    if (!glyph.cached)
        cacheGlyph(font, glyph, (FT_UInt)index);
    return glyph;
}

void ttf_draw_text(BITMAP *bmp, TtfFont *font, const char *text, int x, int y, int colour)
{
    // Allegro's clip rectangle runs from (cl, ct) up to, not including, (cr, cb).
    if (y + font->height < bmp->ct || y >= bmp->cb || x >= bmp->cr)
        return;
    acquire_bitmap(bmp);
    for (int c = ugetxc(&text); c; c = ugetxc(&text)) {
        if (x >= bmp->cr)
            break;
        const TtfGlyph &glyph = glyphFor(font, c);
        int left = x + glyph.left;
        int top = y - glyph.top + font->ascender;
        if (glyph.available && glyph.pixels) {  // only the part inside the clip
            int r0 = bmp->ct > top ? bmp->ct - top : 0;
            int r1 = bmp->cb - top < glyph.height ? bmp->cb - top : glyph.height;
            int c0 = bmp->cl > left ? bmp->cl - left : 0;
            int c1 = bmp->cr - left < glyph.width ? bmp->cr - left : glyph.width;
            for (int r = r0; r < r1; r++) {
                const unsigned char *pixel = glyph.pixels + (size_t)r * glyph.width;
                for (int col = c0; col < c1; col++)
                    if (pixel[col])
                        putpixel(bmp, left + col, top + r, colour);
            }
        }
        x += glyph.advanceX;
        y += glyph.advanceY;
    }
    release_bitmap(bmp);
}

int ttf_text_width(TtfFont *font, const char *text)
{
    int width = 0;
    for (int c = ugetxc(&text); c; c = ugetxc(&text))
        width += glyphFor(font, c).advanceX;
    return width;
}
