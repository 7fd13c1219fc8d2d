// The 3D engine: angles and helpers, the primitives' geometry and shading, and
// what the pipeline fills in a memory bitmap.
#include "Std/3D.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <set>
#include <string>

#include "ScratchDir.h"
#include "Std/Errors.h"
#include "Std/Raster.h"
#include "Zephyrion/GameState.h"
#include "Zephyrion/Graphics.h"
#include "Zephyrion/Zephyrion.h"

namespace {

TEST(Angles, WrapOnceAtTheirTurn)
{
    EXPECT_FLOAT_EQ(10, addAngle360(350, 20));
    EXPECT_FLOAT_EQ(360, addAngle360(340, 20));  // exactly 360 stays
    EXPECT_FLOAT_EQ(350, subAngle360(10, 20));
    EXPECT_FLOAT_EQ(0, subAngle360(20, 20));
    EXPECT_FLOAT_EQ(5, addAngle255(250, 10));
    EXPECT_FLOAT_EQ(440, addAngle360(400, 400));  // one correction only
}

TEST(Heading, MovesAlongYawAndPitch)
{
    float x = 0, y = 0, z = 0;
    moveAlongHeading(&x, &y, &z, 90, 0, 10);
    EXPECT_NEAR(10, x, 1e-4);
    EXPECT_NEAR(0, y, 1e-6);
    EXPECT_NEAR(0, z, 1e-4);
    x = y = z = 0;
    moveAlongHeading(&x, &y, &z, 90, 30, 10);
    EXPECT_NEAR(8.660, x, 1e-3);
    EXPECT_NEAR(5.000, y, 1e-3);  // positive pitch goes down
    EXPECT_NEAR(0, z, 1e-4);
    x = y = z = 0;
    moveAlongHeading(&x, &y, &z, 0, 0, 7);
    EXPECT_NEAR(7, z, 1e-6);
}

class RandomValues : public ::testing::Test {
  protected:
    void SetUp() override
    {
        closeLogs();
        errorLogFresh = true;
        seedRandom(random, 1234);
    }
    void TearDown() override { closeLogs(); }
    ScratchDir dir;
    Random random;
};

TEST_F(RandomValues, ComeInStepsFromTheMinimumUpToButNotTheMaximum)
{
    std::set<int> seen;
    for (int n = 0; n < 3000; n++) {
        float v = fRand(random, 0.1f, 2.0f, 1);
        int tenths = (int)lroundf(v * 10);
        EXPECT_NEAR(tenths / 10.0, v, 1e-6);
        seen.insert(tenths);
    }
    EXPECT_EQ(19u, seen.size());
    EXPECT_EQ(1, *seen.begin());
    EXPECT_EQ(19, *seen.rbegin());
    EXPECT_FLOAT_EQ(2.0f, fRand(random, 2.0f, 2.0f, 1));
    EXPECT_FALSE(std::filesystem::exists("ErrorLog.txt"));
}

TEST_F(RandomValues, BoundsAreScaledFromTheirFloatValues)
{
    bool sixTenths = false;
    for (int n = 0; n < 500; n++)
        sixTenths |= fRand(random, 0.7f, 1.0f, 1) == 0.6f;  // 0.7f x 10 truncates to 6
    EXPECT_TRUE(sixTenths);
}

TEST_F(RandomValues, ReversedBoundsAreReportedAndSwapped)
{
    float v = fRand(random, 2.0f, 0.5f, 1);
    EXPECT_GE(v, 0.5f);
    EXPECT_LT(v, 2.0f);
    EXPECT_EQ("\n\n-----------  New log\nWRN:0922:3D.cpp - Incorrect Min/Max range supplied to "
              "fRand(): (2.000000->0.500000)\n",
              readText("ErrorLog.txt"));
}

TEST(Primitives, QuadCentredOnXAndFlippedStandsOnTheGround)
{
    Quad *q = createQuad(100, 200, 50, 1, 0, 0, 1);
    ASSERT_NE(nullptr, q);
    float minX = 1e9, maxX = -1e9, minY = 1e9, maxY = -1e9, minZ = 1e9, maxZ = -1e9;
    for (const Vertex &v : q->vertices) {
        minX = fminf(minX, v.x), maxX = fmaxf(maxX, v.x);
        minY = fminf(minY, v.y), maxY = fmaxf(maxY, v.y);
        minZ = fminf(minZ, v.z), maxZ = fmaxf(maxZ, v.z);
    }
    EXPECT_EQ(-50, minX);
    EXPECT_EQ(50, maxX);
    EXPECT_EQ(-200, minY);
    EXPECT_EQ(0, maxY);
    EXPECT_EQ(0, minZ);
    EXPECT_EQ(50, maxZ);
    EXPECT_EQ(50, q->vertices[0].x);
    EXPECT_EQ(0, q->vertices[0].y);
    EXPECT_EQ(0, q->vertices[0].z);
    EXPECT_EQ(1, q->transform.flipY);
    EXPECT_EQ(1.0f, q->transform.scale);
    EXPECT_EQ(100, q->width);
    destroyQuad(q);
    destroyQuad(nullptr);
}

TEST(Primitives, PyramidPointsUpFromABaseBelowItsApex)
{
    Pyramid *p = createPyramid(10, 10, 10, 1, 0, 1, 0);
    ASSERT_NE(nullptr, p);
    const float corners[4][2] = {{-5, -5}, {-5, 5}, {5, 5}, {5, -5}};
    for (int k = 0; k < 4; k++) {
        EXPECT_EQ(corners[k][0], p->vertices[k].x);
        EXPECT_EQ(10, p->vertices[k].y);
        EXPECT_EQ(corners[k][1], p->vertices[k].z);
    }
    EXPECT_EQ(0, p->vertices[4].x);
    EXPECT_EQ(0, p->vertices[4].y);
    EXPECT_EQ(0, p->vertices[4].z);
    destroyPyramid(p);
}

TEST(Primitives, RectIsFlatWithItsCorners)
{
    Rect *r = createRect(40, 60, 1, 0);
    ASSERT_NE(nullptr, r);
    EXPECT_EQ(-20, r->vertices[0].x);
    EXPECT_EQ(0, r->vertices[0].z);
    EXPECT_EQ(60, r->vertices[1].z);
    EXPECT_EQ(20, r->vertices[2].x);
    for (const Vertex &v : r->vertices)
        EXPECT_EQ(0, v.y);
    EXPECT_EQ(0, r->transform.centreY);
    EXPECT_EQ(0, r->height);
    destroyRect(r);
}

TEST(Shading, BrightensNonZeroChannelsPerFace)
{
    set_color_depth(32);
    int base = makecol(0, 40, 20);
    for (int f = 0; f < 6; f++) {
        int c = shadeColour(base, f, true);
        EXPECT_EQ(0, getr(c)) << f;
        EXPECT_EQ(40 + 5 * f, getg(c)) << f;
        EXPECT_EQ(20 + 5 * f, getb(c)) << f;
    }
}

TEST(Shading, SaturatedChannelsDarkenOnlyWhereAsked)
{
    set_color_depth(32);
    int red = makecol(250, 0, 0);
    const int darkened[6] = {250, 245, 240, 235, 230, 225};
    for (int f = 0; f < 6; f++) {
        EXPECT_EQ(darkened[f], getr(shadeColour(red, f, true))) << f;
        EXPECT_EQ(f == 0 ? 250 : 255, getr(shadeColour(red, f, false))) << f;
    }
}

// Drawing into an 800 x 600 memory bitmap with its depth buffer, from a camera
// at the origin looking north.
class Pipeline : public ::testing::Test {
  protected:
    void SetUp() override
    {
        set_color_depth(32);
        bmp = create_bitmap(800, 600);
        clear_to_color(bmp, paper);
        setupProjection(0, 0, 800, 600);
        lookFrom(eye);
        createZBuffer(bmp);
        clearZBuffer();
        setViewDistance(1500);
        renderStats = RenderStats();
    }
    void TearDown() override
    {
        for (Quad *q : quads)
            destroyQuad(q);
        destroyZBuffer();
        destroy_bitmap(bmp);
    }
    Quad *box(float size, float x, float y, float z, int colour)
    {
        Quad *q = createQuad(size, size, size, 1, 1, 1, 0);
        q->transform.x = x, q->transform.y = y, q->transform.z = z;
        q->transform.colour = colour;
        quads.push_back(q);
        return q;
    }
    int inked() const
    {
        int n = 0;
        for (int y = 0; y < bmp->h; y++)
            for (int x = 0; x < bmp->w; x++)
                n += getpixel(bmp, x, y) != paper;
        return n;
    }
    std::set<int> coloursShown() const
    {
        std::set<int> colours;
        for (int y = 0; y < bmp->h; y++)
            for (int x = 0; x < bmp->w; x++)
                if (getpixel(bmp, x, y) != paper)
                    colours.insert(getpixel(bmp, x, y));
        return colours;
    }
    long filled() const { return renderStats.triangles + renderStats.polygons; }

    BITMAP *bmp;
    Camera eye = {};  // at the origin, looking north
    int paper = makecol(1, 2, 3);
    std::vector<Quad *> quads;
};

// Every shape of picture sees the 4:3 picture's height of view, and a wider
// one more at the sides: a point shows at the same place measured in picture
// heights from the centre. The viewport never moves the eye.
TEST_F(Pipeline, TheLensKeepsTheClassicHeightOfViewAtEveryShape)
{
    eye.x = 5, eye.yaw = 90;
    lookFrom(eye);
    const Vertex corner = {-230, -170, 600};  // near the 4:3 picture's top left, in the eye's frame
    Transform still = {};
    still.scale = 1;
    auto shown = [&](int w, int h, float *x, float *y) {
        setupProjection(0, 0, w, h);
        lookFrom({});
        V3D_f p;
        projectVertices(still, 1, &corner, &p, 0);
        persp_project_f(p.x, p.y, p.z, x, y);
        *x = (*x - w / 2.0f) / h, *y = (*y - h / 2.0f) / h;
    };
    float x43, y43;
    shown(800, 600, &x43, &y43);
    EXPECT_EQ(36.0f, fieldOfView());
    ASSERT_LT(x43, -0.5f);  // near the left edge, at -0.67
    ASSERT_LT(y43, -0.35f);  // near the top, at -0.5
    for (auto size : {std::make_pair(1067, 600), {1920, 1080}, {2560, 1080}, {640, 480}}) {
        SCOPED_TRACE(std::to_string(size.first) + "x" + std::to_string(size.second));
        float x, y;
        shown(size.first, size.second, &x, &y);
        EXPECT_NEAR(x43, x, 1e-3);  // Allegro centres an odd width on a whole pixel
        EXPECT_NEAR(y43, y, 1e-3);
    }
    setupProjection(0, 0, 2560, 1080);
    EXPECT_GT(fieldOfView(), 36.0f * 2560 / 1080 * 3 / 4 * 0.8f);
    setupProjection(0, 0, 800, 600);
    lookFrom(eye);
    EXPECT_EQ(5, viewCamera().x);
    EXPECT_EQ(90, viewCamera().yaw);
}

TEST_F(Pipeline, BoxWhollyBehindTheEyeDrawsNothing)
{
    Quad *q = box(100, 0, 0, -300, makecol(0, 100, 0));
    V3D_f p[8];
    EXPECT_EQ(8, projectVertices(q->transform, 8, q->vertices, p, 0));
    drawQuad(bmp, q);
    EXPECT_EQ(0, filled());
    EXPECT_EQ(0, inked());
}

TEST_F(Pipeline, BoxWithOneCornerInFrontIsClippedAndDrawn)
{
    // The eye just outside a corner of the box, looking past that corner.
    Quad *q = box(100, -102, -6, -90, makecol(0, 100, 0));
    q->transform.centreX = q->transform.centreY = q->transform.centreZ = 0;
    Quad *fromZero = createQuad(100, 100, 100, 0, 0, 0, 0);
    memcpy(q->vertices, fromZero->vertices, sizeof q->vertices);
    destroyQuad(fromZero);
    eye.yaw = 9, eye.pitch = -23;
    lookFrom(eye);
    V3D_f p[8];
    ASSERT_EQ(7, projectVertices(q->transform, 8, q->vertices, p, 0));
    drawQuad(bmp, q);
    EXPECT_GT(filled(), 0);
    EXPECT_GT(inked(), 100);
}

TEST_F(Pipeline, BoxSeenFromOutsideFillsAtMostThreeFaces)
{
    eye.y = -150, eye.x = -150;
    eye.yaw = 30, eye.pitch = 25;
    lookFrom(eye);
    Quad *q = box(100, 0, 0, 300, makecol(250, 0, 40));
    drawQuad(bmp, q);
    EXPECT_EQ(3, filled());
    std::set<int> shown = coloursShown();
    EXPECT_EQ(3u, shown.size());
    for (int c : shown) {
        bool isFace = false;
        for (int f = 0; f < 6; f++)
            isFace |= c == shadeColour(q->transform.colour, f, true);
        EXPECT_TRUE(isFace);
    }
}

TEST_F(Pipeline, BlastAtDistanceZeroFillsAllSixFaces)
{
    Quad *q = box(60, 0, 0, 400, makecol(0, 80, 80));
    drawQuadBlast(bmp, q, 0, 0, 1);
    EXPECT_EQ(6, filled());
    renderStats = RenderStats();
    clear_to_color(bmp, paper);
    clearZBuffer();
    drawQuad(bmp, q);
    EXPECT_EQ(1, filled());  // straight on: only the south face faces the eye
    EXPECT_EQ(q->transform.colour, getpixel(bmp, 400, 300));
}

// The depth buffer hides what lies behind, whatever the order of drawing.
TEST_F(Pipeline, ANearBoxHidesAFarOneDrawnAfterIt)
{
    Quad *near = box(40, 0, 0, 150, makecol(0, 0, 200));
    Quad *far = box(300, 0, 0, 600, makecol(0, 200, 0));
    drawQuad(bmp, near);
    drawQuad(bmp, far);
    EXPECT_EQ(near->transform.colour, getpixel(bmp, 400, 300));
    EXPECT_EQ(far->transform.colour, getpixel(bmp, 400, 100));
}

// A building is a flipped box: blown apart, its roof still flies up and its
// floor down. Seen from half its height, the roof passes above the eye and
// the floor below.
TEST_F(Pipeline, ABlownBuildingsRoofFliesUpAndItsFloorDown)
{
    Quad *q = createQuad(100, 100, 100, 1, 0, 0, 1);
    quads.push_back(q);
    q->transform.z = 500;
    q->transform.colour = makecol(0, 60, 90);
    int roof = shadeColour(q->transform.colour, 5, false);
    int floor = shadeColour(q->transform.colour, 4, false);
    ASSERT_NE(roof, floor);
    eye.y = -50;
    lookFrom(eye);
    drawQuadBlast(bmp, q, 80, 0, 1);
    auto count = [&](int colour, int y0, int y1) {
        int n = 0;
        for (int y = y0; y < y1; y++)
            for (int x = 0; x < 800; x++)
                n += getpixel(bmp, x, y) == colour;
        return n;
    };
    EXPECT_GT(count(roof, 0, 300), 100);
    EXPECT_EQ(0, count(roof, 300, 600));
    EXPECT_GT(count(floor, 300, 600), 100);
    EXPECT_EQ(0, count(floor, 0, 300));
}

TEST_F(Pipeline, FarPlaneIsTheViewDistance)
{
    Quad *q = box(100, 0, 0, 2000, makecol(0, 100, 0));
    drawQuad(bmp, q);
    EXPECT_EQ(0, inked());
    setViewDistance(10000);
    drawQuad(bmp, q);
    EXPECT_GT(inked(), 0);
}

TEST_F(Pipeline, ClippedToThreeVerticesIsATriangleToMoreAPolygon)
{
    V3D_f tri[3] = {{-10, -10, 100, 0, 0, 0}, {10, -10, 100, 0, 0, 0}, {0, 10, 100, 0, 0, 0}};
    drawPolygon(bmp, 3, tri, makecol(200, 0, 0), false);
    EXPECT_EQ(1, renderStats.triangles);
    EXPECT_EQ(0, renderStats.polygons);
    // The same triangle with one corner behind the near plane clips to four.
    V3D_f cut[3] = {{-10, -10, 100, 0, 0, 0}, {10, -10, 100, 0, 0, 0}, {0, 0, -50, 0, 0, 0}};
    drawPolygon(bmp, 3, cut, makecol(200, 0, 0), false);
    EXPECT_EQ(1, renderStats.triangles);
    EXPECT_EQ(1, renderStats.polygons);
    V3D_f square[4] = {{-10, -10, 100, 0, 0, 0}, {10, -10, 100, 0, 0, 0},
                       {10, 10, 100, 0, 0, 0}, {-10, 10, 100, 0, 0, 0}};
    drawPolygon(bmp, 4, square, makecol(200, 0, 0), false);
    EXPECT_EQ(2, renderStats.polygons);
}

TEST_F(Pipeline, RectangleUnderTheEyeIsFilledFromEitherSide)
{
    Rect *r = createRect(400, 400, 1, 0);
    r->transform.colour = makecol(30, 30, 30);
    eye.y = -100, eye.pitch = 40;  // above, looking down
    lookFrom(eye);
    drawRect(bmp, r);
    int fromAbove = inked();
    EXPECT_GT(fromAbove, 10000);
    clear_to_color(bmp, paper);
    clearZBuffer();
    eye.y = 100, eye.pitch = -40;  // below, looking up
    lookFrom(eye);
    drawRect(bmp, r);
    EXPECT_GT(inked(), 10000);
    destroyRect(r);
}

TEST_F(Pipeline, PyramidShowsItsSidesFromAboveAndNothingFromBelow)
{
    Pyramid *p = createPyramid(40, 40, 40, 1, 0, 1, 0);
    p->transform.z = 200;
    p->transform.colour = makecol(120, 0, 0);
    eye.y = -80, eye.pitch = 20;  // above it, looking down at its sides
    lookFrom(eye);
    drawPyramid(bmp, p);
    EXPECT_GE(renderStats.triangles, 1);
    EXPECT_LE(renderStats.triangles, 3);
    renderStats = RenderStats();
    clear_to_color(bmp, paper);
    clearZBuffer();
    eye.z = 200, eye.y = 150, eye.pitch = 280;  // under it, looking up at the base
    lookFrom(eye);
    drawPyramid(bmp, p);
    EXPECT_EQ(0, filled());
    EXPECT_EQ(0, inked());
    destroyPyramid(p);
}

TEST_F(Pipeline, WallFillingTheViewLeavesNoEdgePixelUnfilled)
{
    for (float yaw : {0.0f, 7.5f, 90.0f}) {
        for (float pitch : {0.0f, 13.0f}) {
            SCOPED_TRACE("yaw " + std::to_string(yaw) + " pitch " + std::to_string(pitch));
            clear_to_color(bmp, paper);
            clearZBuffer();
            eye.yaw = yaw, eye.pitch = pitch;
            lookFrom(eye);
            // A box so large that its near face, 100 units ahead, fills the view.
            float x = 0, y = 0, z = 0;
            moveAlongHeading(&x, &y, &z, yaw, pitch, 2100);
            drawQuad(bmp, box(4000, x, y, z, makecol(0, 90, 40)));
            for (int i = 0; i < 800; i++) {
                ASSERT_NE(paper, getpixel(bmp, i, 0)) << i;
                ASSERT_NE(paper, getpixel(bmp, i, 599)) << i;
            }
            for (int i = 0; i < 600; i++) {
                ASSERT_NE(paper, getpixel(bmp, 0, i)) << i;
                ASSERT_NE(paper, getpixel(bmp, 799, i)) << i;
            }
        }
    }
}

// The span filler against Allegro's own depth-buffered polygon filler, which
// sets the rule for which pixels a polygon covers: random convex polygons at
// slants and depths of their own, overlapping, reaching past the bitmap's
// sides and bottom. Only pixels where two polygons lie at the same depth, to
// within float rounding, may take the other colour.
TEST(Raster, FillsThePixelsAllegroFillsAndShowsTheNearest)
{
    std::mt19937 random(25);
    auto uniform = [&random](float low, float high) {
        return std::uniform_real_distribution<float>(low, high)(random);
    };
    const int w = 160, h = 120;
    for (int depth : {16, 32}) {
        SCOPED_TRACE(std::to_string(depth) + " bpp");
        BITMAP *ours = create_bitmap_ex(depth, w, h), *theirs = create_bitmap_ex(depth, w, h);
        DepthBuffer *ourDepth = createDepthBuffer(ours);
        ZBUFFER *theirDepth = create_zbuffer(theirs);
        set_zbuffer(theirDepth);
        long covered = 0, differ = 0;
        for (int scene = 0; scene < 200; scene++) {
            clear_bitmap(ours), clear_bitmap(theirs);
            clearDepthBuffer(ourDepth, 0), clear_zbuffer(theirDepth, 0);
            for (int p = 0; p < 4; p++) {
                // corners round an ellipse at rising angles, so convex
                const int n = 3 + scene % 4;
                float cx = uniform(-20, w + 20), rx = uniform(1, 90), ry = uniform(1, 60);
                float cy = uniform(ry, h + 20), angles[6];
                for (int i = 0; i < n; i++)
                    angles[i] = uniform(0, 2 * (float)M_PI);
                std::sort(angles, angles + n);
                int colour = makecol_depth(depth, 60 + 60 * p, 250 - 60 * p, 40 + scene);
                V3D_f corners[6], *list[6];
                for (int i = 0; i < n; i++) {
                    corners[i] = {cx + rx * cosf(angles[i]), cy + ry * sinf(angles[i]),
                                  uniform(1, 50), 0, 0, colour};
                    list[i] = &corners[i];
                }
                fillDepthPolygon(ours, ourDepth, n, list, colour);
                polygon3d_f(theirs, POLYTYPE_ZBUF, nullptr, n, list);
            }
            for (int y = 0; y < h; y++)
                for (int x = 0; x < w; x++) {
                    int a = getpixel(ours, x, y), b = getpixel(theirs, x, y);
                    ASSERT_EQ(b != 0, a != 0) << "scene " << scene << " at " << x << ", " << y;
                    covered += a != 0, differ += a != b;
                }
        }
        EXPECT_GT(covered, 200L * w * h / 8);  // a sixth of the pixels, overlaps counted once
        EXPECT_LE(differ, covered / 100000) << covered;
        set_zbuffer(nullptr);  // Allegro keeps the one it was given
        destroyDepthBuffer(ourDepth), destroy_zbuffer(theirDepth);
        destroy_bitmap(ours), destroy_bitmap(theirs);
    }
}

// Every row of a depth buffer holds its runs' bounds: none of them is beyond
// what the run's pixels hold.
static void expectBoundsHold(const DepthBuffer *buffer, int scene, int polygon)
{
    const BITMAP *depth = buffer->depth;
    for (int y = 0; y < depth->h; y++)
        for (int run = 0; run < buffer->runs; run++) {
            const float *pixels = (const float *)depth->line[y] + run * depthRunPixels;
            int n = std::min(depthRunPixels, depth->w - run * depthRunPixels);
            float low = *std::min_element(pixels, pixels + n);
            float high = *std::max_element(pixels, pixels + n);
            size_t at = (size_t)y * buffer->runs + run;
            ASSERT_LE(buffer->farthest[at], low)
                << "scene " << scene << " polygon " << polygon << " row " << y << " run " << run;
            ASSERT_GE(buffer->nearest[at], high)
                << "scene " << scene << " polygon " << polygon << " row " << y << " run " << run;
        }
}

// The runs' bounds only spare the filler work: every polygon leaves the same
// picture and the same depths, to the bit, as testing every pixel does.
// Random overlapping polygons in random order, at every colour depth: oblongs
// whose rows start and end at each column of a run in turn, slanting convex
// polygons, polygons drawn again over themselves in another colour, to the
// bit or a few roundings nearer, backdrops that cover every run whole, and
// polygons that lean back from a level backdrop by a few roundings from one
// corner on it, so that their pixels lie within a rounding of it. The bitmap is no whole number of runs
// wide, and some scenes clip to a rectangle whose sides lie inside runs.
TEST(Raster, RunBoundsLeaveEveryPixelAndDepthAsTestingEachDoes)
{
    std::mt19937 random(7);
    auto uniform = [&random](float low, float high) {
        return std::uniform_real_distribution<float>(low, high)(random);
    };
    auto below = [&random](int n) { return (int)(random() % (unsigned)n); };
    const int w = 9 * depthRunPixels + 5, h = 32;
    for (int depth : {8, 16, 24, 32}) {
        SCOPED_TRACE(std::to_string(depth) + " bpp");
        BITMAP *ours = create_bitmap_ex(depth, w, h), *plain = create_bitmap_ex(depth, w, h);
        DepthBuffer *ourDepth = createDepthBuffer(ours), *plainDepth = createDepthBuffer(plain, false);
        ASSERT_NE(nullptr, ourDepth->farthest);
        ASSERT_EQ(nullptr, plainDepth->farthest);
        const int rowBytes = w * ((depth + 7) / 8);
        long raised = 0;
        // two oblongs a scene, so that every first column in a run meets every last
        for (int scene = 0; scene < depthRunPixels * depthRunPixels / 2; scene++) {
            clear_bitmap(ours), clear_bitmap(plain);
            clearDepthBuffer(ourDepth, 0), clearDepthBuffer(plainDepth, 0);
            if (scene % 5 == 4) {
                int left = 3 + below(depthRunPixels), top = below(5);
                set_clip_rect(ours, left, top, w - 2 - below(depthRunPixels), h - 1 - below(5));
                set_clip_rect(plain, ours->cl, ours->ct, ours->cr - 1, ours->cb - 1);
            }
            V3D_f corners[6], *list[6];
            int n = 0;
            float level = 0;  // the distance of the last backdrop drawn, when level
            for (int p = 0; p < 10; p++) {
                int colour = makecol_depth(depth, 40 + 20 * p, 250 - 20 * p, 7 * scene % 256);
                int kind = p < 2 ? 0 : below(6);
                if (kind == 0) {
                    // an oblong from one column of a run to another, its rows all alike
                    const int pair = 2 * scene + p, runs = w / depthRunPixels;
                    int first = below(w), last = below(w);
                    if (p < 2) {
                        int from = below(runs - 1), to = from + below(runs - from);
                        if (pair % depthRunPixels > pair / depthRunPixels && to == from)
                            to++;
                        first = from * depthRunPixels + pair % depthRunPixels;
                        last = to * depthRunPixels + pair / depthRunPixels;
                    }
                    if (last < first)
                        std::swap(first, last);
                    float top = (float)below(h), bottom = top + 1 + (float)below(h);
                    float x0 = (float)first, x1 = (float)(last + 1);
                    float zs[2] = {uniform(1, 50), uniform(1, 50)};
                    V3D_f box[4] = {{x0, top, zs[0], 0, 0, colour},
                                    {x1, top, zs[1], 0, 0, colour},
                                    {x1, bottom, zs[1], 0, 0, colour},
                                    {x0, bottom, zs[0], 0, 0, colour}};
                    n = 4;
                    for (int i = 0; i < n; i++)
                        corners[i] = box[i];
                } else if (kind == 1 || (kind == 5 && level > 0)) {
                    // corners round an ellipse at rising angles, so convex; after a
                    // level backdrop, sometimes leaning back from it by a few roundings
                    // from one corner on it, where rounding takes some pixels in front
                    // of it and leaves some behind
                    n = 3 + below(4);
                    float cx = uniform(-20, w + 20), rx = uniform(1, 90), ry = uniform(1, 40);
                    float cy = uniform(-10, h + 10), angles[6];
                    for (int i = 0; i < n; i++)
                        angles[i] = uniform(0, 2 * (float)M_PI);
                    std::sort(angles, angles + n);
                    for (int i = 0; i < n; i++)
                        corners[i] = {cx + rx * cosf(angles[i]), cy + ry * sinf(angles[i]),
                                      kind == 1 ? uniform(1, 50)
                                                : level * (1 + (float)below(4) / (1 << 22)),
                                      0, 0, colour};
                    if (kind == 5)
                        corners[below(n)].z = level;
                } else if (kind == 2) {
                    // the last polygon again, to the bit, in another colour
                    for (int i = 0; i < n; i++)
                        corners[i].c = colour;
                } else if (kind == 3) {
                    // the last polygon again a hair nearer, within a few roundings
                    float nearer = 1 - (float)below(8) * (1.0f / (1 << 23));
                    for (int i = 0; i < n; i++)
                        corners[i].z *= nearer, corners[i].c = colour;
                } else {
                    // a backdrop over everything, level or leaning
                    float z0 = uniform(20, 60), z1 = below(2) ? z0 : uniform(20, 60);
                    level = z0 == z1 ? z0 : 0;
                    V3D_f all[4] = {{-5, -5, z0, 0, 0, colour},
                                    {w + 5.0f, -5, z1, 0, 0, colour},
                                    {w + 5.0f, h + 5.0f, z1, 0, 0, colour},
                                    {-5, h + 5.0f, z0, 0, 0, colour}};
                    n = 4;
                    for (int i = 0; i < n; i++)
                        corners[i] = all[i];
                }
                for (int i = 0; i < n; i++)
                    list[i] = &corners[i];
                fillDepthPolygon(ours, ourDepth, n, list, corners[0].c);
                fillDepthPolygon(plain, plainDepth, n, list, corners[0].c);
                for (int y = 0; y < h; y++) {
                    ASSERT_EQ(0, memcmp(ours->line[y], plain->line[y], rowBytes))
                        << "scene " << scene << " polygon " << p << " row " << y;
                    ASSERT_EQ(0, memcmp(ourDepth->depth->line[y], plainDepth->depth->line[y],
                                        w * sizeof(float)))
                        << "scene " << scene << " polygon " << p << " row " << y;
                }
                expectBoundsHold(ourDepth, scene, p);
                if (HasFatalFailure())
                    return;
            }
            for (int run = 0; run < ourDepth->runs * h; run++)
                raised += ourDepth->farthest[run] > 0;
            set_clip_rect(ours, 0, 0, w - 1, h - 1), set_clip_rect(plain, 0, 0, w - 1, h - 1);
        }
        EXPECT_GT(raised, 0L);  // runs were covered whole, so whole runs could be passed by
        destroyDepthBuffer(ourDepth), destroyDepthBuffer(plainDepth);
        destroy_bitmap(ours), destroy_bitmap(plain);
    }
}

// Clearing leaves the runs' bounds with the depths: what was drawn before
// hides nothing after.
TEST(Raster, AClearedDepthBufferHidesNothing)
{
    BITMAP *bmp = create_bitmap_ex(32, 3 * depthRunPixels, 4);
    DepthBuffer *depth = createDepthBuffer(bmp);
    auto fill = [&](float z, int colour) {
        V3D_f corners[4] = {{0, 0, z, 0, 0, colour},
                            {(float)bmp->w, 0, z, 0, 0, colour},
                            {(float)bmp->w, 4, z, 0, 0, colour},
                            {0, 4, z, 0, 0, colour}};
        V3D_f *list[4] = {&corners[0], &corners[1], &corners[2], &corners[3]};
        fillDepthPolygon(bmp, depth, 4, list, colour);
    };
    fill(2, 0x112233);
    fill(10, 0x445566);  // behind
    EXPECT_EQ(0x112233, getpixel(bmp, 20, 2));
    clear_bitmap(bmp);
    clearDepthBuffer(depth, 0);
    EXPECT_EQ(0.0f, ((float *)depth->depth->line[3])[bmp->w - 1]);
    fill(10, 0x445566);
    for (int x = 0; x < bmp->w; x++)
        EXPECT_EQ(0x445566, getpixel(bmp, x, 2)) << x;
    destroyDepthBuffer(depth);
    destroy_bitmap(bmp);
}

// The picture's clear and the HUD's sprites leave the very pixels Allegro's
// clear_bitmap and draw_sprite leave, at every depth, clipped at every edge.
TEST(Raster, TheClearAndTheSpritesLeaveWhatAllegrosDo)
{
    std::mt19937 random(5);
    for (int depth : {16, 24, 32}) {
        SCOPED_TRACE("depth " + std::to_string(depth));
        BITMAP *ours = create_bitmap_ex(depth, 61, 37), *theirs = create_bitmap_ex(depth, 61, 37);
        BITMAP *sprite = create_bitmap_ex(depth, 23, 9);
        for (int y = 0; y < sprite->h; y++)
            for (int x = 0; x < sprite->w; x++)
                putpixel(sprite, x, y,
                         random() % 3 ? makecol_depth(depth, random() % 256, random() % 256, 7)
                                      : bitmap_mask_color(sprite));
        for (BITMAP *b : {ours, theirs})
            clear_to_color(b, makecol_depth(depth, 9, 90, 200));
        set_clip_rect(ours, 3, 2, 57, 30);
        set_clip_rect(theirs, 3, 2, 57, 30);
        clearPicture(ours);
        clear_bitmap(theirs);
        for (int n = 0; n < 40; n++) {
            int x = (int)(random() % 80) - 20, y = (int)(random() % 50) - 12;
            drawSprite(ours, sprite, x, y);
            draw_sprite(theirs, sprite, x, y);
        }
        set_clip_rect(ours, 0, 0, 60, 36);
        set_clip_rect(theirs, 0, 0, 60, 36);
        int differ = 0;
        for (int y = 0; y < 37; y++)
            for (int x = 0; x < 61; x++)
                differ += getpixel(ours, x, y) != getpixel(theirs, x, y);
        EXPECT_EQ(0, differ);
        destroy_bitmap(sprite);
        destroy_bitmap(ours);
        destroy_bitmap(theirs);
    }
}

class FailingAllocation : public ::testing::Test {
  protected:
    static void *refuse(size_t) { return nullptr; }
    void SetUp() override
    {
        closeLogs();
        errorLogFresh = true;
        allocatePrimitive = refuse;
    }
    void TearDown() override
    {
        allocatePrimitive = malloc;
        closeLogs();
    }
    ScratchDir dir;
};

TEST_F(FailingAllocation, ConstructorsReportAndReturnNothing)
{
    EXPECT_EQ(nullptr, createRect(1, 1, 1, 1));
    EXPECT_EQ(nullptr, createQuad(1, 1, 1, 1, 1, 1, 0));
    EXPECT_EQ(nullptr, createPyramid(1, 1, 1, 1, 1, 1, 0));
    EXPECT_EQ("\n\n-----------  New log\n"
              "ERR:0185:3D.cpp - Unable to allocate memory for new Rect\n"
              "ERR:0283:3D.cpp - Unable to allocate memory for new Quad\n"
              "ERR:0728:3D.cpp - Unable to allocate memory for new Pyramid\n",
              readText("ErrorLog.txt"));
}

// A back buffer that cannot be had ends the loading with its line, and
// leaves nothing to draw into.
TEST_F(FailingAllocation, ABackBufferThatCannotBeMadeIsReported)
{
    set_color_depth(32);
    EXPECT_FALSE(createBackBuffer(40000, 20000));  // 3.2 GB of pixels
    EXPECT_EQ("\n\n-----------  New log\n"
              "ERR:0682:Zephyrion.cpp - Unable to create the back buffer\n",
              readText("ErrorLog.txt"));
    EXPECT_EQ(nullptr, game.backBuffer);
}

}  // namespace
