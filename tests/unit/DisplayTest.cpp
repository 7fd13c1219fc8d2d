// Where the game's picture goes on a screen, and the scaling that puts it there,
// in memory bitmaps.
#include "Std/Display.h"

#include <allegro.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

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
    expectScaled(32, 1067, 600, 1280, 600);  // the picture as it is, between black
    expectScaled(16, 1067, 600, 1067, 700);
}

// Sharp and Smooth: each pixel lies between the picture pixels around the
// spot it samples; a flat colour stays exactly itself; Sharp at 2.4x keeps
// each picture pixel whole but for one screen pixel where two meet (tripled,
// then 0.8 times), where Smooth blends nearly all; and a whole multiple is
// the nearest scaling.
TEST(Display, SharpBlendsOnlyWherePixelsMeetAndSmoothEverywhere)
{
    for (int depth : {32, 16}) {
        const int pw = 80, ph = 60, sw = 256, sh = 143;  // 190 x 143: 2.4 times, rows of 4k + 2
        BITMAP *picture = create_bitmap_ex(depth, pw, ph);
        BITMAP *target = create_bitmap_ex(depth, sw, sh);
        for (int y = 0; y < ph; y++)
            for (int x = 0; x < pw; x++)
                putpixel(picture, x, y, makecol_depth(depth, x * 37 % 256, y * 91 % 256, (x ^ y) * 5 % 256));
        ScreenRect r = fitPicture(pw, ph, sw, sh);
        int exact[scalingCount] = {};
        for (int scaling : {ScaleSharp, ScaleSmooth}) {
            scalePictureAs(picture, target, r, scaling);
            int outside = 0;
            for (int y = 0; y < r.h; y++)
                for (int x = 0; x < r.w; x++) {
                    int p = getpixel(target, r.x + x, r.y + y);
                    // The spot sampled, and the two picture pixels each way around it.
                    float u = (x + 0.5f) * pw / r.w - 0.5f, v = (y + 0.5f) * ph / r.h - 0.5f;
                    int x0 = std::max(0, (int)floorf(u)), y0 = std::max(0, (int)floorf(v));
                    int x1 = std::min(pw - 1, x0 + 1), y1 = std::min(ph - 1, y0 + 1);
                    int around[] = {getpixel(picture, x0, y0), getpixel(picture, x1, y0),
                                    getpixel(picture, x0, y1), getpixel(picture, x1, y1)};
                    int nearest = getpixel(picture, x * pw / r.w, y * ph / r.h);
                    exact[scaling] += p == nearest;
                    int (*channels[])(int, int) = {getr_depth, getg_depth, getb_depth};
                    for (auto channel : channels) {
                        int low = 255, high = 0;
                        for (int a : around)
                            low = std::min(low, channel(depth, a)), high = std::max(high, channel(depth, a));
                        int c = channel(depth, p), slack = depth == 16 ? 8 : 1;
                        outside += c < low - slack || c > high + slack;
                    }
                }
            EXPECT_EQ(0, outside) << depth << " bpp, scaling " << scaling;
        }
        int pixels = r.w * r.h;
        // Tripled, then 0.8 times: two columns and rows of each 2.4 stay whole,
        // 44 % of the pixels (doubled, then 1.2 times, would keep 25 %).
        EXPECT_GT(exact[ScaleSharp], pixels * 2 / 5) << depth << " bpp: Sharp keeps pixels whole";
        EXPECT_LT(exact[ScaleSmooth], exact[ScaleSharp] / 2) << depth << " bpp: Smooth blends";

        clear_to_color(picture, makecol_depth(depth, 200, 100, 50));
        scalePictureAs(picture, target, r, ScaleSmooth);
        for (int y = 0; y < r.h; y += 7)
            for (int x = 0; x < r.w; x += 5)
                ASSERT_EQ(getpixel(picture, 0, 0), getpixel(target, r.x + x, r.y + y));
        destroy_bitmap(picture);
        destroy_bitmap(target);
    }
    // A whole multiple: every mode is the nearest scaling.
    BITMAP *picture = create_bitmap_ex(32, 8, 6), *nearest = create_bitmap_ex(32, 24, 18),
           *sharp = create_bitmap_ex(32, 24, 18);
    for (int y = 0; y < 6; y++)
        for (int x = 0; x < 8; x++)
            putpixel(picture, x, y, x * 0x010203 + y * 0x300000);
    scalePicture(picture, nearest, {0, 0, 24, 18});
    for (int scaling : {ScaleSharp, ScaleSmooth, ScalePixelPerfect}) {
        scalePictureAs(picture, sharp, {0, 0, 24, 18}, scaling);
        for (int y = 0; y < 18; y++)
            EXPECT_EQ(0, memcmp(nearest->line[y], sharp->line[y], 24 * 4)) << scaling;
    }
    destroy_bitmap(picture);
    destroy_bitmap(nearest);
    destroy_bitmap(sharp);
}

// Pixel Perfect keeps to whole multiples, centred; the picture's own size
// fitted where even that is too large.
TEST(Display, PixelPerfectPlacesWholeMultiplesOnly)
{
    ScreenRect r = placePicture(800, 600, 1920, 1080, ScalePixelPerfect);
    EXPECT_TRUE(r == ScreenRect({560, 240, 800, 600}));
    r = placePicture(800, 600, 2560, 1440, ScalePixelPerfect);
    EXPECT_TRUE(r == ScreenRect({480, 120, 1600, 1200}));
    r = placePicture(800, 600, 640, 480, ScalePixelPerfect);
    EXPECT_TRUE(r == ScreenRect({0, 0, 640, 480}));
    r = placePicture(800, 600, 1920, 1080, ScaleSharp);
    EXPECT_TRUE(r == ScreenRect({240, 0, 1440, 1080}));
}

}  // namespace
