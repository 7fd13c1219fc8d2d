// Where the game's picture goes on a screen, and the scaling that puts it there,
// in memory bitmaps.
#include "Std/Display.h"

#include <allegro.h>

#include <gtest/gtest.h>

namespace {

bool operator==(const ScreenRect &a, const ScreenRect &b)
{
    return a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h;
}

TEST(Display, ThePictureTakesTheLargestSizeOfItsShapeCentred)
{
    const struct {
        int pw, ph, sw, sh;
        ScreenRect shown;
    } cases[] = {
        {800, 600, 1920, 1080, {240, 0, 1440, 1080}},
        {800, 600, 2560, 1440, {320, 0, 1920, 1440}},
        {640, 480, 1920, 1080, {240, 0, 1440, 1080}},
        {800, 600, 1024, 768, {0, 0, 1024, 768}},
        {800, 600, 800, 600, {0, 0, 800, 600}},
        {800, 600, 1080, 1920, {0, 555, 1080, 810}},  // a screen turned on its side
    };
    for (const auto &c : cases)
        EXPECT_TRUE(c.shown == fitPicture(c.pw, c.ph, c.sw, c.sh)) << c.sw << "x" << c.sh;
}

TEST(Display, AWindowIsTheLargestWholeMultipleThatLeavesRoomForThePanels)
{
    EXPECT_EQ(2, autoWindowScale(800, 600, 2560, 1440));
    EXPECT_EQ(1, autoWindowScale(800, 600, 1920, 1080));
    EXPECT_EQ(3, autoWindowScale(800, 600, 3840, 2160));
    EXPECT_EQ(2, autoWindowScale(640, 480, 1920, 1080));
    EXPECT_EQ(1, autoWindowScale(800, 600, 800, 600)) << "never below 1x";
    EXPECT_EQ(1, autoWindowScale(800, 600, 640, 480));
}

// Every pixel of the rect shows the picture's nearest pixel, rows repeated
// included, nothing outside it is touched, and every picture pixel shows.
void expectScaled(int depth, int pw, int ph, int sw, int sh)
{
    BITMAP *picture = create_bitmap_ex(depth, pw, ph);
    BITMAP *target = create_bitmap_ex(depth, sw, sh);
    ASSERT_TRUE(picture && target);
    int mask = depth == 16 ? 0xFFFF : 0xFFFFFF;
    for (int y = 0; y < ph; y++)
        for (int x = 0; x < pw; x++)
            putpixel(picture, x, y, (x * 7919 + y * 104729) & mask);
    const int untouched = 0x123456 & mask;
    clear_to_color(target, untouched);
    ScreenRect r = fitPicture(pw, ph, sw, sh);
    scalePicture(picture, target, r);
    int wrong = 0, outside = 0;
    for (int y = 0; y < sh; y++)
        for (int x = 0; x < sw; x++) {
            bool in = x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h;
            int p = getpixel(target, x, y);
            if (!in)
                outside += p != untouched;
            else
                wrong += p != getpixel(picture, (x - r.x) * pw / r.w, (y - r.y) * ph / r.h);
        }
    int missing = 0;
    for (int y = 0; y < ph; y++)
        for (int x = 0; x < pw; x++) {
            int dx = r.x + (x * r.w + pw - 1) / pw, dy = r.y + (y * r.h + ph - 1) / ph;
            missing += getpixel(target, dx, dy) != getpixel(picture, x, y);
        }
    EXPECT_EQ(0, wrong) << depth << " bpp, " << sw << "x" << sh;
    EXPECT_EQ(0, outside) << depth << " bpp, " << sw << "x" << sh;
    EXPECT_EQ(0, missing) << depth << " bpp, " << sw << "x" << sh;
    destroy_bitmap(picture);
    destroy_bitmap(target);
}

TEST(Display, ScalingShowsEveryPicturePixelWhereItBelongs)
{
    expectScaled(32, 800, 600, 1920, 1080);
    expectScaled(16, 800, 600, 1920, 1080);
    expectScaled(32, 640, 480, 2560, 1440);
    expectScaled(32, 800, 600, 1600, 1200);  // a 2x window
    expectScaled(32, 800, 600, 1366, 768);   // rows starting off the 16-byte grid
}

}  // namespace
