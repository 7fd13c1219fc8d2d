// The text renderer: the height search, the glyph cache, clipping, and the pixels
// it writes into memory bitmaps.
#include "text/Ttf.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string gameFont = GAME_FONT;
const std::string shortFont = std::string(TEST_FONT_DIR) + "/Short.ttf";  // line 0.4 em
const std::string noCmapFont = std::string(TEST_FONT_DIR) + "/NoCmap.ttf";

class Text : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(0, ttf_startup()); }
    void TearDown() override
    {
        for (TtfFont *font : fonts)
            ttf_free(font);
        if (bmp)
            destroy_bitmap(bmp);
        ttf_shutdown();
    }
    TtfFont *load(const std::string &path)
    {
        TtfFont *font = ttf_load(path.c_str());
        if (font)
            fonts.push_back(font);
        return font;
    }
    BITMAP *canvas(int w, int h)
    {
        bmp = create_bitmap_ex(32, w, h);
        clear_to_color(bmp, paper);
        return bmp;
    }
    int countColour(int colour) const
    {
        int n = 0;
        for (int y = 0; y < bmp->h; y++)
            for (int x = 0; x < bmp->w; x++)
                n += getpixel(bmp, x, y) == colour;
        return n;
    }
    int inkOnly() const { return bmp->w * bmp->h - countColour(paper); }
    static int cachedCount(const TtfFont *font)
    {
        int n = 0;
        for (FT_Long i = 0; i < font->face->num_glyphs; i++)
            n += font->glyphs[i].cached;
        return n;
    }
    static TtfGlyph &glyphOf(TtfFont *font, unsigned long character)
    {
        return font->glyphs[FT_Get_Char_Index(font->face, character)];
    }

    std::vector<TtfFont *> fonts;
    BITMAP *bmp = nullptr;
    const int paper = makecol32(10, 20, 30);
    const int ink = makecol32(255, 0, 0);
};

TEST_F(Text, StartupIsIdempotentAndLoadNeedsIt)
{
    EXPECT_EQ(0, ttf_startup());
    ttf_shutdown();
    ttf_shutdown();
    EXPECT_EQ(nullptr, ttf_load(gameFont.c_str()));
    ASSERT_EQ(0, ttf_startup());
    EXPECT_NE(nullptr, load(gameFont));
}

TEST_F(Text, LoadingAScalableFaceStartsAtHeightEight)
{
    TtfFont *font = load(gameFont);
    ASSERT_NE(nullptr, font);
    EXPECT_EQ(8, font->height);
    EXPECT_GT(font->pixelSize, 0);
    EXPECT_EQ(-1, font->fixedSizeCount);
    EXPECT_EQ(-1, font->fixedSizes[0]);
    EXPECT_EQ(0, cachedCount(font));
}

TEST_F(Text, FilesThatAreNoFontDoNotLoad)
{
    EXPECT_EQ(nullptr, ttf_load("/nonexistent/chintzy.ttf"));
    EXPECT_EQ(nullptr, ttf_load(TEST_FONT_DIR));
    ttf_free(nullptr);
}

// The size the search must end on, found by trying every pixel size on a face of
// our own: a size that measures the height when there is one, else the largest
// size measuring less; 0 when no size measures the height or less.
struct Oracle {
    explicit Oracle(const std::string &path)
    {
        FT_Init_FreeType(&library);
        FT_New_Face(library, path.c_str(), 0, &face);
    }
    ~Oracle()
    {
        FT_Done_Face(face);
        FT_Done_FreeType(library);
    }
    int measure(int p)
    {
        FT_Set_Pixel_Sizes(face, 0, p);
        return abs((int)(face->size->metrics.ascender >> 6)) +
               abs((int)(face->size->metrics.descender >> 6));
    }
    bool exact(int h)
    {
        for (int p = 1; p <= 4 * h; p++)
            if (measure(p) == h)
                return true;
        return false;
    }
    int largestBelow(int h)
    {
        int best = 0;
        for (int p = 1; p <= 4 * h; p++)
            if (measure(p) < h)
                best = p;
        return best;
    }
    FT_Library library;
    FT_Face face;
};

// Every height from 1 to 100 on both faces; the game font starts each search
// above the request, the short one below it.
TEST_F(Text, HeightSearchMeetsTheRequestOrTheLargestSizeBelow)
{
    for (const std::string &path : {gameFont, shortFont}) {
        TtfFont *font = load(path);
        ASSERT_NE(nullptr, font);
        Oracle oracle(path);
        int inexact = 0, fromAbove = 0, fromBelow = 0;
        for (int h = 1; h <= 100; h++) {
            SCOPED_TRACE(path + " height " + std::to_string(h));
            int firstTrial = oracle.measure(h);
            (firstTrial > h ? fromAbove : fromBelow) += firstTrial != h;
            int before = font->pixelSize;
            int result = ttf_set_height(font, h);
            if (oracle.exact(h)) {
                ASSERT_EQ(0, result);
                EXPECT_EQ(h, oracle.measure(font->pixelSize));
            } else if (oracle.largestBelow(h) > 0) {
                inexact++;
                ASSERT_EQ(0, result);
                EXPECT_EQ(oracle.largestBelow(h), font->pixelSize);
            } else {
                EXPECT_EQ(-1, result);
                EXPECT_EQ(before, font->pixelSize);
                continue;
            }
            EXPECT_EQ(h, font->height);
            EXPECT_EQ(font->pixelSize, (int)font->face->size->metrics.y_ppem);
        }
        EXPECT_GT(inexact, 0);
        EXPECT_GT(path == gameFont ? fromAbove : fromBelow, 50);
    }
}

TEST_F(Text, HeightOfNoneOrLessFailsAndChangesNothing)
{
    TtfFont *font = load(gameFont);
    ASSERT_EQ(0, ttf_set_height(font, 20));
    ttf_text_width(font, "Abc");
    TtfFont before = *font;
    for (int h : {0, -1, -1000}) {
        EXPECT_EQ(-1, ttf_set_height(font, h));
        EXPECT_EQ(before.height, font->height);
        EXPECT_EQ(before.pixelSize, font->pixelSize);
        EXPECT_EQ(before.ascender, font->ascender);
        EXPECT_EQ(3, cachedCount(font));
        EXPECT_EQ(before.pixelSize, (int)font->face->size->metrics.y_ppem);
    }
}

TEST_F(Text, HugeHeightFailsAndKeepsTheFaceAtItsSize)
{
    TtfFont *font = load(gameFont);
    ASSERT_EQ(0, ttf_set_height(font, 12));
    int size = font->pixelSize;
    EXPECT_EQ(-1, ttf_set_height(font, 0x7fffffff));
    EXPECT_EQ(12, font->height);
    EXPECT_EQ(size, (int)font->face->size->metrics.y_ppem);
}

TEST_F(Text, CurrentHeightKeepsTheCacheAnotherEmptiesItEvenAtTheSameSize)
{
    TtfFont *font = load(gameFont);
    Oracle oracle(gameFont);
    // Two heights that end on one pixel size: a height no size meets, and the
    // height its result measures.
    int h = 13;
    while (oracle.exact(h))
        h++;
    int twin = oracle.measure(oracle.largestBelow(h));
    ASSERT_EQ(0, ttf_set_height(font, twin));
    int size = font->pixelSize;
    ttf_text_width(font, "Hi");
    EXPECT_EQ(2, cachedCount(font));
    EXPECT_EQ(0, ttf_set_height(font, twin));
    EXPECT_EQ(2, cachedCount(font));
    ASSERT_EQ(0, ttf_set_height(font, h));
    EXPECT_EQ(size, font->pixelSize);
    EXPECT_EQ(0, cachedCount(font));
}

TEST_F(Text, EmptyStringDrawsNothingAndMeasuresNothing)
{
    TtfFont *font = load(gameFont);
    canvas(100, 50);
    ttf_draw_text(bmp, font, "", 10, 10, ink);
    EXPECT_EQ(0, inkOnly());
    EXPECT_EQ(0, ttf_text_width(font, ""));
}

TEST_F(Text, DrawsTheGlyphsPixelsInTheColourAndNothingElse)
{
    TtfFont *font = load(shortFont);
    ASSERT_EQ(0, ttf_set_height(font, 20));  // 'A' is a square of 0.3 em
    canvas(200, 100);
    ttf_draw_text(bmp, font, "A", 30, 40, ink);
    const TtfGlyph &a = glyphOf(font, 'A');
    ASSERT_TRUE(a.available);
    ASSERT_GT(a.width, 4);
    int set = 0;
    for (int i = 0; i < a.width * a.height; i++)
        set += a.pixels[i] != 0;
    EXPECT_EQ(set, countColour(ink));
    EXPECT_EQ(set, inkOnly());
    // Left edge at the pen plus the glyph's left; top row the glyph's top above the baseline.
    int left = 30 + a.left, top = 40 - a.top + font->ascender;
    EXPECT_EQ(ink, getpixel(bmp, left, top));
    EXPECT_EQ(ink, getpixel(bmp, left + a.width - 1, top + a.height - 1));
    EXPECT_EQ(paper, getpixel(bmp, left - 1, top));
    EXPECT_EQ(paper, getpixel(bmp, left, top - 1));
}

TEST_F(Text, PixelBytesAreTheBitMasks)
{
    TtfFont *font = load(shortFont);
    ASSERT_EQ(0, ttf_set_height(font, 40));
    ttf_text_width(font, "A");
    const TtfGlyph &a = glyphOf(font, 'A');
    ASSERT_GT(a.width, 9);
    for (int i = 0; i < a.width; i++)
        EXPECT_EQ(0x80 >> (i % 8), a.pixels[a.width * (a.height / 2) + i]) << i;
}

TEST_F(Text, MarkWithoutAdvanceDoesNotMoveThePen)
{
    TtfFont *font = load(shortFont);
    ASSERT_EQ(0, ttf_set_height(font, 20));
    EXPECT_EQ(ttf_text_width(font, "AA"), ttf_text_width(font, "A\xCC\x81" "A"));
    canvas(200, 100);
    ttf_draw_text(bmp, font, "A\xCC\x81", 30, 40, ink);
    const TtfGlyph &mark = glyphOf(font, 0x301);
    EXPECT_EQ(0, mark.advanceX);
    // The mark hangs left of the pen, which stands after the 'A'.
    int pen = 30 + glyphOf(font, 'A').advanceX;
    EXPECT_EQ(ink, getpixel(bmp, pen + mark.left, 40 - mark.top + font->ascender));
}

TEST_F(Text, MissingCharacterDrawsTheMissingGlyph)
{
    TtfFont *font = load(shortFont);
    ASSERT_EQ(0, ttf_set_height(font, 20));
    canvas(200, 100);
    ttf_draw_text(bmp, font, "Z", 30, 40, ink);
    const TtfGlyph &missing = font->glyphs[0];
    EXPECT_TRUE(missing.cached);
    EXPECT_GT(missing.advanceX, glyphOf(font, 'A').advanceX);
    EXPECT_EQ(missing.advanceX, ttf_text_width(font, "Z"));
    EXPECT_GT(countColour(ink), 0);
}

TEST_F(Text, WithoutACharacterMapCodesAreGlyphIndices)
{
    TtfFont *font = load(noCmapFont);
    ASSERT_NE(nullptr, font);
    ASSERT_EQ(nullptr, font->face->charmap);
    ASSERT_EQ(0, ttf_set_height(font, 20));
    EXPECT_EQ(font->glyphs[2].advanceX, ttf_text_width(font, "\x02"));  // glyph 2 is 'A'
    // 'A' and the rest lie past the face's four glyphs: the missing glyph stands in.
    int width = ttf_text_width(font, "A\x7f\xE2\x82\xAC");
    EXPECT_TRUE(font->glyphs[0].cached);
    EXPECT_EQ(3 * font->glyphs[0].advanceX, width);
    EXPECT_GT(width, 0);
    canvas(200, 100);
    ttf_draw_text(bmp, font, "A\xF4\x8F\xBF\xBF", 10, 10, ink);
    EXPECT_GT(countColour(ink), 0);
}

TEST_F(Text, TextOutsideTheClipRectangleDrawsNothing)
{
    TtfFont *font = load(gameFont);
    ASSERT_EQ(0, ttf_set_height(font, 20));
    canvas(200, 100);
    set_clip_rect(bmp, 20, 30, 150, 70);
    set_clip_state(bmp, FALSE);  // putpixel no longer clips: the renderer must
    ttf_draw_text(bmp, font, "Wide text", 20, 30 - 21, ink);   // line ends above the top
    ttf_draw_text(bmp, font, "Wide text", 20, 71, ink);        // just below the bottom
    ttf_draw_text(bmp, font, "Wide text", 151, 40, ink);       // just right of the right edge
    EXPECT_EQ(0, cachedCount(font));
    EXPECT_EQ(0, inkOnly());
    ttf_draw_text(bmp, font, "Wide text", 20, 40, ink);
    ttf_draw_text(bmp, font, "Wide text", 100, 58, ink);  // across the right and bottom edges
    EXPECT_GT(inkOnly(), 0);
    for (int y = 0; y < bmp->h; y++)  // clipped to the rectangle
        for (int x = 0; x < bmp->w; x++)
            if (x < 20 || x > 150 || y < 30 || y > 70) {
                ASSERT_EQ(paper, getpixel(bmp, x, y)) << x << "," << y;
            }
}

TEST_F(Text, LineRunningOffTheRightEdgeStopsAtThePenBeyondIt)
{
    TtfFont *font = load(gameFont);
    ASSERT_EQ(0, ttf_set_height(font, 20));
    canvas(200, 100);
    set_clip_rect(bmp, 0, 0, 40, 99);
    ttf_draw_text(bmp, font, "MMMMMMMMMMQ", 0, 10, ink);
    EXPECT_FALSE(glyphOf(font, 'Q').cached);
    EXPECT_TRUE(glyphOf(font, 'M').cached);
}

TEST_F(Text, SmallTextStaysLegible)
{
    // The HUD's size: every printable character renders with ink and an advance.
    TtfFont *font = load(gameFont);
    ASSERT_EQ(0, ttf_set_height(font, 12));
    for (char c = '!'; c <= '~'; c++) {
        ttf_text_width(font, std::string(1, c).c_str());
        const TtfGlyph &g = glyphOf(font, c);
        EXPECT_TRUE(g.available && g.pixels) << c;
        EXPECT_GT(g.advanceX, 0) << c;
        EXPECT_LE(g.height, 14) << c;
    }
}

}  // namespace
