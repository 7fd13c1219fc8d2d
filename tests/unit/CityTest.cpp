// The city: its generation by level, the layout of strips and buildings, the
// depot and its markers, the ground plate, drawing and freeing.
#include "Zephyrion/City.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "ScratchDir.h"
#include "Std/3D.h"
#include "Std/Errors.h"
#include "Zephyrion/GameState.h"
#include "Zephyrion/Interpolation.h"

namespace {

class City : public ::testing::Test {
  protected:
    void SetUp() override
    {
        set_color_depth(32);
        game.backBuffer = create_bitmap(800, 600);
        clear_bitmap(game.backBuffer);
        setupProjection(0, 0, 800, 600);
        createZBuffer(game.backBuffer);
        clearZBuffer();
        setViewDistance(1500);
        game.citiesCleared = 0;
        seedRandom(game.logicRandom, 42);
    }
    void TearDown() override
    {
        freeCity();
        destroyZBuffer();
        destroy_bitmap(game.backBuffer);
        game.backBuffer = nullptr;
    }
    static CityCell &cell(int index) { return game.city[index % citySlots][index / citySlots]; }
    static void drawCitySeen()  // from the craft, as a frame is
    {
        SeenBetweenTicks seen(1);
        drawCity();
    }
};

// Each cell draws its height, width, depth and street gap, in that order.
TEST_F(City, EachCellDrawsItsHeightWidthDepthAndGapInThatOrder)
{
    seedRandom(game.logicRandom, 5);
    generateCity();
    seedRandom(game.logicRandom, 5);
    for (int i = 0; i < 3; i++) {  // the first strip's first three cells
        const CityCell &c = game.city[i][0];
        EXPECT_EQ(nextRandom(game.logicRandom) % 400 + 80, (int)c.height) << i;
        EXPECT_EQ(nextRandom(game.logicRandom) % 120 + 30, (int)c.width) << i;
        EXPECT_EQ(nextRandom(game.logicRandom) % 120 + 30, (int)c.depth) << i;
        EXPECT_EQ(nextRandom(game.logicRandom) % 40 + 10, (int)c.gap) << i;
    }
}

TEST_F(City, HeightsGrowWithTheLevelUpToTheCap)
{
    const int levels[] = {0, 7, 8, 50};
    const int tallest[] = {479, 759, 779, 779};
    for (int k = 0; k < 4; k++) {
        game.citiesCleared = levels[k];
        float low = 1e9, high = 0;
        for (int round = 0; round < 20; round++) {
            buildCity();
            for (int index = 0; index < citySlots * cityStrips; index++) {
                const CityCell &c = cell(index);
                low = fminf(low, c.height), high = fmaxf(high, c.height);
                ASSERT_GE(c.width, 30);
                ASSERT_LE(c.width, 149);
                ASSERT_GE(c.depth, 30);
                ASSERT_LE(c.depth, 149);
                ASSERT_GE(c.gap, 10);
                ASSERT_LE(c.gap, 49);
            }
            freeCity();
        }
        EXPECT_GE(low, 80) << levels[k];
        EXPECT_LE(high, tallest[k]) << levels[k];
        EXPECT_GT(high, tallest[k] - 15) << levels[k];
    }
}

TEST_F(City, EveryCellStartsStandingWithItsBox)
{
    buildCity();
    int depots = 0;
    for (int index = 0; index < 120; index++) {
        const CityCell &c = cell(index);
        ASSERT_NE(nullptr, c.quad);
        EXPECT_EQ(BuildingStanding, c.state);
        EXPECT_EQ(0, c.blastDistance);
        EXPECT_EQ(1.0f, c.blastScale);
        EXPECT_EQ(c.height, c.quad->height);
        depots += c.isFuelDepot;
    }
    EXPECT_EQ(1, depots);
}

TEST_F(City, ColoursMakeADarkCheckerboardBrighterTowardTheEdges)
{
    buildCity();
    int c00 = cell(0).quad->transform.colour;   // slot 0, strip 0: blue-tinted
    int c10 = cell(1).quad->transform.colour;   // slot 1, strip 0: green-tinted
    int c01 = cell(10).quad->transform.colour;  // slot 0, strip 1: green-tinted
    EXPECT_EQ(makecol(0, 25, 60), c00);
    EXPECT_EQ(makecol(0, 50, 30), c10);
    EXPECT_EQ(makecol(0, 55, 25), c01);
    EXPECT_EQ(makecol(0, 30, 0), cell(6 * 10 + 5).quad->transform.colour);  // the darkest
}

TEST_F(City, StripsStandOnTheirOwnDepthAndRowsAreCentredOnX)
{
    buildCity();
    float z = 0;
    for (int j = 0; j < cityStrips; j++) {
        float depth = 0, length = 0;
        for (int i = 0; i < citySlots; i++) {
            depth = fmaxf(depth, game.city[i][j].depth + game.city[i][j].gap);
            length += game.city[i][j].width + game.city[i][j].gap;
        }
        if (j > 0)
            z += depth;
        float x = -length / 2;
        for (int i = 0; i < citySlots; i++) {
            const CityCell &c = game.city[i][j];
            EXPECT_FLOAT_EQ(z, c.quad->transform.z) << i << "," << j;
            EXPECT_FLOAT_EQ(x + c.width / 2, c.quad->transform.x) << i << "," << j;
            EXPECT_EQ(0, c.quad->transform.y);
            x += c.width + c.gap;
        }
    }
}

TEST_F(City, BoundsAndGroundPlateCoverTheSameGround)
{
    buildCity();
    float longest = 0, tallest = 0, totalDepth = 0;
    for (int j = 0; j < cityStrips; j++) {
        float length = 0, depth = 0;
        for (int i = 0; i < citySlots; i++) {
            length += game.city[i][j].width + game.city[i][j].gap;
            depth = fmaxf(depth, game.city[i][j].depth + game.city[i][j].gap);
            tallest = fmaxf(tallest, game.city[i][j].height);
        }
        longest = fmaxf(longest, length);
        totalDepth += depth;
    }
    const CityBounds &b = game.cityBounds;
    EXPECT_FLOAT_EQ(-longest / 2 - 20, b.minX);
    EXPECT_FLOAT_EQ(longest / 2 + 20, b.maxX);
    EXPECT_FLOAT_EQ(-tallest - 20, b.minY);
    EXPECT_EQ(0, b.maxY);
    EXPECT_EQ(-20, b.minZ);
    EXPECT_FLOAT_EQ(totalDepth + 20, b.maxZ);
    const Rect *g = game.groundRect;
    ASSERT_NE(nullptr, g);
    EXPECT_EQ(makecol(30, 30, 30), g->transform.colour);
    float minX = 1e9, maxX = -1e9, minZ = 1e9, maxZ = -1e9;
    for (const Vertex &v : g->vertices) {
        minX = fminf(minX, v.x + g->transform.x), maxX = fmaxf(maxX, v.x + g->transform.x);
        minZ = fminf(minZ, v.z + g->transform.z), maxZ = fmaxf(maxZ, v.z + g->transform.z);
    }
    EXPECT_FLOAT_EQ(b.minX, minX);
    EXPECT_FLOAT_EQ(b.maxX, maxX);
    EXPECT_FLOAT_EQ(b.minZ, minZ);
    EXPECT_FLOAT_EQ(b.maxZ, maxZ);
}

TEST_F(City, DepotIsTheLowestBuildingTheFirstOnATie)
{
    buildCity();
    for (int index = 0; index < 120; index++) {
        cell(index).height = 300;
        cell(index).isFuelDepot = 0;
    }
    cell(53).height = 90;  // strip 5, slot 3
    cell(27).height = 90;  // strip 2, slot 7: earlier in strip-major order
    layOutCity();
    EXPECT_EQ(27, game.fuelDepotIndex);
    EXPECT_EQ(1, cell(27).isFuelDepot);
    EXPECT_EQ(0, cell(53).isFuelDepot);
}

TEST_F(City, MarkersStandOnTheDepotsRoofCorners)
{
    buildCity();
    const CityCell &depot = cell(game.fuelDepotIndex);
    float qx = depot.quad->transform.x, qz = depot.quad->transform.z;
    const float expected[4][2] = {{qx - depot.width / 2 + 5, qz + 5},
                                  {qx + depot.width / 2 - 5, qz + 5},
                                  {qx + depot.width / 2 - 5, qz + depot.depth - 5},
                                  {qx - depot.width / 2 + 5, qz + depot.depth - 5}};
    for (int k = 0; k < depotMarkers; k++) {
        const Transform &t = game.depotPyramids[k]->transform;
        EXPECT_FLOAT_EQ(expected[k][0], t.x) << k;
        EXPECT_FLOAT_EQ(-depot.height - 10, t.y) << k;
        EXPECT_FLOAT_EQ(expected[k][1], t.z) << k;
        EXPECT_EQ(makecol(120, 0, 0), t.colour);
        // Base on the roof, apex 10 above it.
        EXPECT_FLOAT_EQ(-depot.height, t.y + game.depotPyramids[k]->vertices[0].y);
    }
}

// A tick turns them; drawing the city does not.
TEST_F(City, MarkersSpinEveryTickOnlyWhileTheDepotStands)
{
    buildCity();
    game.craft.z = -800, game.craft.y = -500, game.craft.pitch = 30;
    spinDepotMarkers();
    drawCitySeen();
    EXPECT_FLOAT_EQ(3, game.depotPyramids[0]->transform.rotY);
    spinDepotMarkers();
    EXPECT_FLOAT_EQ(6, game.depotPyramids[3]->transform.rotY);
    cell(game.fuelDepotIndex).state = BuildingDestroyed;
    spinDepotMarkers();
    EXPECT_FLOAT_EQ(6, game.depotPyramids[0]->transform.rotY);
    EXPECT_EQ(1, cell(game.fuelDepotIndex).isFuelDepot);
}

TEST_F(City, DestroyedBuildingsAreNotDrawnAndExplodingOnesFlyApart)
{
    buildCity();
    game.craft.z = -800, game.craft.y = -500, game.craft.pitch = 30;
    setViewDistance(10000);
    renderStats = RenderStats();
    drawCitySeen();
    RenderStats standing = renderStats;
    for (int index = 0; index < 120; index++)
        cell(index).state = BuildingDestroyed;
    renderStats = RenderStats();
    drawCitySeen();
    EXPECT_EQ(1, renderStats.triangles + renderStats.polygons);  // the ground plate alone
    cell(25).state = BuildingExploding;
    cell(25).blastDistance = 20;
    game.craft.x = cell(25).quad->transform.x;  // straight ahead of it
    game.craft.z = cell(25).quad->transform.z - 900;
    game.craft.y = -cell(25).height / 2;
    game.craft.pitch = 0;
    renderStats = RenderStats();
    drawCitySeen();
    EXPECT_EQ(1 + 6, renderStats.triangles + renderStats.polygons);  // no culling for a blast
    EXPECT_GT(standing.polygons, 120);
}

TEST_F(City, FreeingReleasesEveryObjectAndCanBeRepeated)
{
    buildCity();
    freeCity();
    for (int index = 0; index < 120; index++)
        EXPECT_EQ(nullptr, cell(index).quad);
    for (Pyramid *marker : game.depotPyramids)
        EXPECT_EQ(nullptr, marker);
    EXPECT_EQ(nullptr, game.groundRect);
    freeCity();
}

class CityWithoutMemory : public City {
  protected:
    static void *refuse(size_t) { return nullptr; }
    void SetUp() override
    {
        City::SetUp();
        closeLogs();
        errorLogFresh = true;
        allocatePrimitive = refuse;
    }
    void TearDown() override
    {
        allocatePrimitive = malloc;
        closeLogs();
        City::TearDown();
    }
    ScratchDir dir;
};

TEST_F(CityWithoutMemory, MissingBoxesAreLeftOutAndLogged)
{
    buildCity();
    game.craft.z = -800, game.craft.y = -500, game.craft.pitch = 30;
    renderStats = RenderStats();
    drawCitySeen();
    EXPECT_EQ(0, renderStats.triangles + renderStats.polygons);
    std::string log = readText("ErrorLog.txt");
    size_t quads = 0, at = 0;
    while ((at = log.find("ERR:0283:3D.cpp - Unable to allocate memory for new Quad", at + 1)) !=
           std::string::npos)
        quads++;
    EXPECT_EQ(120u, quads);
    EXPECT_NE(std::string::npos, log.find("ERR:0728:3D.cpp"));
    EXPECT_NE(std::string::npos, log.find("ERR:0185:3D.cpp"));
    EXPECT_GE(game.fuelDepotIndex, 0);  // the layout still stands on the cells' sizes
    EXPECT_LT(game.cityBounds.minX, game.cityBounds.maxX);
}

}  // namespace
