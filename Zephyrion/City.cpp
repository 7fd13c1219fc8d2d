// The city. See City.h.
#include "Zephyrion/City.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "Std/3D.h"
#include "Zephyrion/GameState.h"
#include "Zephyrion/Timers.h"

static const int capBase = 400;      // tallest building's range at level 0, units
static const int capPerLevel = 40;   // and how much each cleared city adds
static const int capMax = 700;
static const int minHeight = 80;
static const int sizeRange = 120, minSize = 30;  // width and depth
static const int gapRange = 40, minGap = 10;
static const float boundsMargin = 20;
static const float markerSize = 10;   // the depot pyramids' width, depth and height
static const float markerInset = 5;   // from the roof's edges
static const float markerSpin = 3.0f; // turn steps a tick
static const uint32_t collapseMs = 80;     // the collapse's beat
static const float blastGrowth = 0.05f;    // of the building's width, per collapse tick
static const float blastSpinStep = 2.0f;   // turn steps per collapse tick
static const float blastShrink = 0.9f;     // scale kept per collapse tick
static const float blastGoneScale = 0.02f; // below this the building is gone

// Building colours: dark blue- and green-tinted boxes in a checkerboard,
// brightening toward the city's edges from slot 5 of strip 6.
static const int tintCentreSlot = 5, tintCentreStrip = 6;
static const int tintStep = 5, tintBase = 30;

bool buildCity()
{
    generateCity();
    layOutCity();
    return true;
}

bool generateCity()
{
    long cap = (long)game.citiesCleared * capPerLevel + capBase;  // long: levels only grow
    if (cap > capMax)
        cap = capMax;
    bool blueTint = false;
    for (int j = 0; j < cityStrips; j++) {
        blueTint = !blueTint;
        for (int i = 0; i < citySlots; i++) {
            CityCell &cell = game.city[i][j];
            cell.height = (float)(nextRandom(game.logicRandom) % (int)cap + minHeight);
            cell.width = (float)(nextRandom(game.logicRandom) % sizeRange + minSize);
            cell.depth = (float)(nextRandom(game.logicRandom) % sizeRange + minSize);
            cell.gap = (float)(nextRandom(game.logicRandom) % gapRange + minGap);
            cell.quad = createQuad(cell.width, cell.height, cell.depth, 1, 0, 0, 1);
            int dx = abs(tintCentreSlot - i), dz = abs(tintCentreStrip - j);
            cell.red = 0;
            cell.green = tintStep * dx + (blueTint ? 0 : tintBase);
            cell.blue = tintStep * dz + (blueTint ? tintBase : 0);
            blueTint = !blueTint;
            if (cell.quad)
                cell.quad->transform.colour = makecol(cell.red, cell.green, cell.blue);
            cell.state = BuildingStanding;
            cell.isFuelDepot = 0;
            cell.blastDistance = 0;
            cell.blastSpin = 0;
            cell.blastScale = 1.0f;
        }
    }
    for (Pyramid *&marker : game.depotPyramids)
        marker = createPyramid(markerSize, markerSize, markerSize, 1, 0, 1, 0);
    return true;
}

// The depot: the lowest building, the first in strip-major order on a tie.
static int lowestBuilding(float tallest)
{
    float threshold = tallest + boundsMargin;
    int lowest = 0;
    for (int j = 0; j < cityStrips; j++)
        for (int i = 0; i < citySlots; i++)
            if (game.city[i][j].height < threshold) {
                threshold = game.city[i][j].height;
                lowest = j * citySlots + i;
            }
    return lowest;
}

static void placeDepotMarkers(float x, float z, const CityCell &depot)
{
    float y = -depot.height - markerSize;
    float west = x - depot.width / 2 + markerInset, east = x + depot.width / 2 - markerInset;
    float south = z + markerInset, north = z + depot.depth - markerInset;
    const float corners[depotMarkers][2] = {{west, south}, {east, south}, {east, north}, {west, north}};
    for (int k = 0; k < depotMarkers; k++) {
        Pyramid *marker = game.depotPyramids[k];
        if (!marker)
            continue;
        marker->transform.x = corners[k][0];
        marker->transform.y = y;
        marker->transform.z = corners[k][1];
        marker->transform.colour = makecol(120, 0, 0);
    }
}

bool layOutCity()
{
    float length[cityStrips], depth[cityStrips];
    float longest = 0, tallest = 0, totalDepth = 0;
    for (int j = 0; j < cityStrips; j++) {
        length[j] = depth[j] = 0;
        for (int i = 0; i < citySlots; i++) {
            const CityCell &cell = game.city[i][j];
            length[j] += cell.width + cell.gap;
            if (cell.depth + cell.gap > depth[j])
                depth[j] = cell.depth + cell.gap;
            if (cell.height > tallest)
                tallest = cell.height;
        }
        if (length[j] > longest)
            longest = length[j];
        totalDepth += depth[j];
    }
    // Each strip is spaced by its own depth, not by the one before it, so deep
    // buildings of one strip can reach into the next.
    float x[citySlots][cityStrips], z[cityStrips];
    for (int j = 0; j < cityStrips; j++) {
        z[j] = j == 0 ? 0 : z[j - 1] + depth[j];
        float running = -length[j] / 2;
        for (int i = 0; i < citySlots; i++) {
            CityCell &cell = game.city[i][j];
            x[i][j] = running + cell.width / 2;
            running += cell.width + cell.gap;
            if (cell.quad) {
                cell.quad->transform.x = x[i][j];
                cell.quad->transform.y = 0;
                cell.quad->transform.z = z[j];
            }
        }
    }
    game.cityBounds = {-longest / 2 - boundsMargin, -tallest - boundsMargin, -boundsMargin,
                       longest / 2 + boundsMargin, 0, totalDepth + boundsMargin};

    game.fuelDepotIndex = lowestBuilding(tallest);
    int slot = game.fuelDepotIndex % citySlots, strip = game.fuelDepotIndex / citySlots;
    CityCell &depot = game.city[slot][strip];
    depot.isFuelDepot = 1;
    placeDepotMarkers(x[slot][strip], z[strip], depot);

    destroyRect(game.groundRect);
    game.groundRect = createRect(longest + 2 * boundsMargin, totalDepth + 2 * boundsMargin, 1, 0);
    if (game.groundRect) {
        game.groundRect->transform.colour = makecol(30, 30, 30);
        game.groundRect->transform.z = -boundsMargin;
    }
    return true;
}

void freeCity()
{
    for (int j = 0; j < cityStrips; j++)
        for (int i = 0; i < citySlots; i++) {
            destroyQuad(game.city[i][j].quad);
            game.city[i][j].quad = nullptr;
        }
    for (Pyramid *&marker : game.depotPyramids) {
        destroyPyramid(marker);
        marker = nullptr;
    }
    destroyRect(game.groundRect);
    game.groundRect = nullptr;
}

void drawDepotPyramids()
{
    for (Pyramid *marker : game.depotPyramids)
        if (marker)
            drawPyramid(game.backBuffer, marker);
}

// The markers turn while the depot stands.
void spinDepotMarkers()
{
    const CityCell &depot =
        game.city[game.fuelDepotIndex % citySlots][game.fuelDepotIndex / citySlots];
    if (depot.state != BuildingStanding)
        return;
    for (Pyramid *marker : game.depotPyramids)
        if (marker)
            marker->transform.rotY = addAngle255(marker->transform.rotY, markerSpin);
}

void collapseTick()
{
    for (int j = 0; j < cityStrips; j++)
        for (int i = 0; i < citySlots; i++) {
            CityCell &cell = game.city[i][j];
            if (cell.state != BuildingExploding)
                continue;
            cell.blastDistance += cell.width * blastGrowth;
            cell.blastSpin = addAngle255(cell.blastSpin, blastSpinStep);
            cell.blastScale *= blastShrink;
            if (cell.blastScale < blastGoneScale)
                cell.state = BuildingDestroyed;
        }
}

void startCollapseTimer()
{
    startTimer(CollapseTimer, collapseMs, collapseTick);
}

// A building whose box could not be made is left out, as are destroyed ones.
// The nearest are drawn first and the ground last: what stands behind them
// then fails the depth test before it is filled, which costs less than
// filling it over. The depth test alone decides what is seen.
bool drawCity()
{
    const int cells = citySlots * cityStrips;
    const Camera &eye = viewCamera();
    int order[cells];
    float away[cells];  // squared distance from the eye along the ground
    for (int n = 0; n < cells; n++) {
        const CityCell &cell = game.city[n % citySlots][n / citySlots];
        order[n] = n;
        away[n] = 0;
        if (cell.quad) {
            float dx = cell.quad->transform.x - eye.x;
            float dz = cell.quad->transform.z + cell.depth / 2 - eye.z;
            away[n] = dx * dx + dz * dz;
        }
    }
    std::sort(order, order + cells, [&away](int a, int b) { return away[a] < away[b]; });
    for (int n : order) {
        const CityCell &cell = game.city[n % citySlots][n / citySlots];
        if (!cell.quad)
            continue;
        if (cell.state == BuildingStanding) {
            drawQuad(game.backBuffer, cell.quad);
            if (cell.isFuelDepot)
                drawDepotPyramids();
        } else if (cell.state == BuildingExploding) {
            drawQuadBlast(game.backBuffer, cell.quad, cell.blastDistance, cell.blastSpin,
                          cell.blastScale);
        }
    }
    if (game.groundRect)
        drawRect(game.backBuffer, game.groundRect);
    return true;
}
