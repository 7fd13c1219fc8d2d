// Draws the game's pictures: the HUD instruments and icons, the title logo, the
// two splash screens and the intro's loading and title pictures.
// Usage: MakeBitmaps <font.ttf> <output folder>
#include <allegro.h>
#include <loadpng.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "Canvas.h"

static const Rgb maskColour = {255, 0, 255};
static const Rgb black = {0, 0, 0};
static const Rgb white = {255, 255, 255};
static const Rgb ink = {28, 30, 38};            // dial markings
static const Rgb faceLight = {236, 238, 232};   // dial faces: the needles are black
static const Rgb faceEdge = {196, 202, 200};
static const Rgb bezelDark = {46, 52, 62};
static const Rgb bezelLight = {132, 142, 156};
static const Rgb warnRed = {200, 30, 24};

// The instrument row must fit a 640 x 480 screen: half the radar frame, a
// round dial, the pitch gauge and both bar gauges within 320 pixels.
static const int roundDialSize = 92;
static const int pitchGaugeWidth = 82, gaugeHeight = 100;
static const int barGaugeWidth = 34, barGaugeHeight = 114;

static const int largestArt = 4;  // times the classic size: for pictures up to 2400 lines
static std::string outDir;
static TtfFont *artFont;
static int failures = 0;

static void save(Canvas &c, bool sprite, const char *name)
{
    if (!savePicture(finishCanvas(c, sprite), outDir + "/" + name)) {
        fprintf(stderr, "MakeBitmaps: cannot write %s/%s\n", outDir.c_str(), name);
        failures++;
    }
}

// A round instrument: metal bezel, light face, centre cap added by the caller.
static void dialBody(Canvas &c, float x, float y, float r)
{
    disc(c, x, y, r, bezelDark);
    ring(c, x, y, r - 2.5f, r - 1.2f, bezelLight);
    radialShade(c, x, y, r - 4, faceLight, faceEdge);
}

static void dialTicks(Canvas &c, float x, float y, float r, float a0, float a1, int majors,
                      int minorsBetween, Rgb colour)
{
    int steps = majors * (minorsBetween + 1);
    for (int i = 0; i <= steps; i++) {
        float a = a0 + (a1 - a0) * i / steps;
        bool major = i % (minorsBetween + 1) == 0;
        radialTick(c, x, y, a, major ? r - 7 : r - 4, r, major ? 1.6f : 0.9f, colour);
    }
}

static void centreCap(Canvas &c, float x, float y)
{
    disc(c, x, y, 4, bezelDark);
    disc(c, x, y, 2, bezelLight);
}

// Speed runs from -10 to 10: the needle turns 18 degrees per unit from straight up.
static void speedo()
{
    Canvas c = beginCanvas(roundDialSize, roundDialSize, maskColour, artFont);
    float x = roundDialSize / 2.0f, y = x, r = x - 5;
    dialBody(c, x, y, r + 4);
    arcBand(c, x, y, r - 3, r, 144, 180, warnRed);        // flat out
    arcBand(c, x, y, r - 3, r, -180, -36, {90, 110, 160}); // reverse
    dialTicks(c, x, y, r, 0, 180, 10, 1, ink);
    dialTicks(c, x, y, r, -180, 0, 5, 0, {70, 80, 110});
    for (int i = 0; i <= 10; i += 2) {
        char label[4];
        snprintf(label, sizeof label, "%d", i);
        textCentred(c, label, polarX(x, 18.0f * i, r - 15), polarY(y, 18.0f * i, r - 15), 9, ink);
    }
    textCentred(c, "SPEED", x - 17, y + 4, 7, ink);
    textCentred(c, "REV", x - 19, y - 14, 6, {70, 80, 110});
    centreCap(c, x, y);
    save(c, true, "Speedo.png");
}

// Altitude: the needle turns 0.9 degrees per unit climbed, a full turn at 400.
static void altimeter()
{
    Canvas c = beginCanvas(roundDialSize, roundDialSize, maskColour, artFont);
    float x = roundDialSize / 2.0f, y = x, r = x - 5;
    dialBody(c, x, y, r + 4);
    arcBand(c, x, y, r - 3, r, 0, 18, warnRed);  // below flying height
    dialTicks(c, x, y, r, 0, 360, 8, 1, ink);
    for (int i = 0; i < 4; i++) {
        char label[4];
        snprintf(label, sizeof label, "%d", i);
        textCentred(c, label, polarX(x, 90.0f * i, r - 15), polarY(y, 90.0f * i, r - 15), 10, ink);
    }
    textCentred(c, "ALT", x, y - 13, 7, ink);
    textCentred(c, "x100", x, y + 14, 6, ink);
    centreCap(c, x, y);
    save(c, true, "Altimeter.png");
}

// Pitch: the needle pivots 30 pixels from the left edge and rests pointing right;
// it turns down for nose down (up to 30) and up for nose up (up to 80).
static void pitchGauge()
{
    Canvas c = beginCanvas(pitchGaugeWidth, gaugeHeight, maskColour, artFont);
    float x = 30, y = 50, r = 45;
    const float body[] = {4, 2, 56, 2, 80, 26, 80, 74, 56, 98, 4, 98};
    polygonPx(c, 6, body, bezelDark);
    const float face[] = {7, 5, 54, 5, 77, 28, 77, 72, 54, 95, 7, 95};
    polygonPx(c, 6, face, faceEdge);
    arcBand(c, x, y, 0, r - 3, 10, 120, faceLight);
    arcBand(c, x, y, r - 9, r - 3, 90, 120, warnRed);   // steep dive
    arcBand(c, x, y, r - 9, r - 3, 10, 25, {90, 110, 160});  // steep climb
    for (int deg = -80; deg <= 30; deg += 10) {
        bool major = deg % 30 == 0;
        radialTick(c, x, y, 90 + deg, major ? r - 13 : r - 9, r - 3, major ? 1.6f : 0.9f, ink);
    }
    thickLine(c, x, y, x + r - 3, y, 0.8f, {120, 120, 120});  // the level line
    textCentred(c, "UP", 18, 14, 8, ink);
    textCentred(c, "DN", 50, 86, 8, ink);
    textCentred(c, "PITCH", 20, 74, 7, ink);
    centreCap(c, x, y);
    save(c, true, "Pitch.png");
}

// Torque: the needle turns 18 degrees anticlockwise per unit of sink rate.
static void torqueGauge()
{
    Canvas c = beginCanvas(pitchGaugeWidth, gaugeHeight, maskColour, artFont);
    float x = pitchGaugeWidth / 2.0f, y = gaugeHeight / 2.0f, r = x - 4;
    dialBody(c, x, y, r + 4);
    arcBand(c, x, y, r - 3, r, -180, -90, warnRed);      // sinking fast
    arcBand(c, x, y, r - 3, r, 90, 180, {90, 110, 160}); // climbing fast
    dialTicks(c, x, y, r, -180, 180, 4, 4, ink);
    textCentred(c, "0", x, y - r + 14, 9, ink);
    textCentred(c, "UP", polarX(x, 90, r - 15), polarY(y, 90, r - 15), 8, ink);
    textCentred(c, "DN", polarX(x, -90, r - 15), polarY(y, -90, r - 15), 8, ink);
    textCentred(c, "TORQUE", x, y + 16, 6, ink);
    centreCap(c, x, y);
    save(c, true, "Torque.png");
}

// A vertical bar gauge: the level marker runs 100 rows up from the bottom edge.
static void barGauge(const char *name, const char *label, Rgb low, Rgb high)
{
    const int w = barGaugeWidth, h = barGaugeHeight;
    const Rgb middle = {236, 200, 40};
    Canvas c = beginCanvas(w, h, maskColour, artFont);
    box(c, 0, 0, w, h, bezelDark);
    box(c, 1, 1, w - 1, h - 1, bezelLight);
    box(c, 2, 2, w - 2, h - 2, bezelDark);
    textCentred(c, label, w / 2.0f, 8, 8, white);
    float top = 14, bottom = h - 3, half = (top + bottom) / 2;
    verticalGradient(c, 8, top, w - 8, half, high, middle);
    verticalGradient(c, 8, half, w - 8, bottom, middle, low);
    for (int i = 0; i <= 10; i++) {
        float row = h - 1 - i * 10.0f;
        float reach = i % 5 == 0 ? 6 : 3;
        box(c, 2, row - 0.5f, 2 + reach, row + 0.5f, white);
        box(c, w - 2 - reach, row - 0.5f, w - 2, row + 0.5f, white);
    }
    save(c, true, name);
}

// The radar disc: 750 units of range over half its height, rings at 250 and 500,
// and a north mark that turns with the heading.
static void radarDisc()
{
    const float size = 130, x = 65, y = 65, r = 64.5f;
    Canvas c = beginCanvas((int)size, (int)size, maskColour, artFont);
    radialShade(c, x, y, r, {200, 236, 196}, {138, 190, 140});
    Rgb line = {70, 120, 80};
    ring(c, x, y, r * 2 / 3 - 0.5f, r * 2 / 3 + 0.4f, line);
    ring(c, x, y, r / 3 - 0.5f, r / 3 + 0.4f, line);
    ring(c, x, y, r - 1.6f, r, {40, 80, 50});
    thickLine(c, x - r + 2, y, x + r - 2, y, 0.7f, line);
    thickLine(c, x, y - r + 2, x, y + r - 2, 0.7f, line);
    for (int a = 0; a < 360; a += 30)
        radialTick(c, x, y, (float)a, r - 6, r - 1.6f, 1.0f, {40, 80, 50});
    triangle3(c, x, 3, x - 6, 15, x + 6, 15, warnRed);
    textCentred(c, "N", x, 22, 10, {150, 20, 20});
    disc(c, x, y, 2.2f, {40, 80, 50});
    save(c, true, "Radar.png");
}

// The radar's frame: a bezel around the disc with the heading index at the top.
static void radarFrame()
{
    const float size = 150, x = 75, y = 75;
    Canvas c = beginCanvas((int)size, (int)size, maskColour, artFont);
    disc(c, x, y, 74.5f, bezelDark);
    ring(c, x, y, 72, 73.5f, bezelLight);
    ring(c, x, y, 64, 66.5f, {20, 24, 30});
    for (int a = 0; a < 360; a += 10)
        radialTick(c, x, y, (float)a, a % 90 == 0 ? 67 : 69, 71.5f, a % 90 == 0 ? 2.0f : 1.0f,
                   {170, 180, 190});
    triangle3(c, x, 12, x - 6, 1.5f, x + 6, 1.5f, {255, 200, 40});
    save(c, true, "RadarDir.png");
}

// The strip behind the life and enemy icons, as wide as the larger screen.
static void hudBar()
{
    const int w = 800, h = 22;
    Canvas c = beginCanvas(w, h, maskColour, artFont);
    verticalGradient(c, 0, 0, w, h, {70, 84, 104}, {24, 30, 40});
    box(c, 0, 0, w, 1, {150, 170, 196});
    box(c, 0, h - 1, w, h, {12, 14, 20});
    for (int x = 14; x < w; x += 40)
        disc(c, (float)x, h / 2.0f, 1.5f, {110, 124, 144});
    save(c, true, "HUDBar.png");
}

// One life: the craft seen from above.
static void lifeIcon()
{
    Canvas c = beginCanvas(24, 20, maskColour, artFont);
    const float hull[] = {12, 1, 15, 9, 23, 16, 15, 15, 13, 19, 11, 19, 9, 15, 1, 16, 9, 9};
    polygonPx(c, 9, hull, {20, 60, 110});
    const float inner[] = {12, 3, 14, 10, 20, 14.5f, 14, 14, 12, 17, 10, 14, 4, 14.5f, 10, 10};
    polygonPx(c, 8, inner, {120, 200, 255});
    disc(c, 12, 8, 1.6f, white);
    save(c, true, "LifeInd.png");
}

// The desktop's icon for the game: the craft from above over a night-blue
// square, with a red enemy ahead of it. Drawn on a 64 pixel grid and scaled,
// so every size the desktop asks for is sharp.
static void desktopIcon(int size, const char *name)
{
    const float s = size / 64.0f, k = 2.4f * s, dx = 3.2f * s, dy = 12 * s;
    Canvas c = beginCanvas(size, size, {14, 24, 52}, artFont);
    box(c, 0, size - 3 * s, size, size, {40, 120, 200});
    const float hull[] = {12, 1, 15, 9, 23, 16, 15, 15, 13, 19, 11, 19, 9, 15, 1, 16, 9, 9};
    const float inner[] = {12, 3, 14, 10, 20, 14.5f, 14, 14, 12, 17, 10, 14, 4, 14.5f, 10, 10};
    float h[18], i[16];
    for (int n = 0; n < 18; n += 2)
        h[n] = hull[n] * k + dx, h[n + 1] = hull[n + 1] * k + dy;
    for (int n = 0; n < 16; n += 2)
        i[n] = inner[n] * k + dx, i[n + 1] = inner[n + 1] * k + dy;
    polygonPx(c, 9, h, {20, 60, 110});
    polygonPx(c, 8, i, {120, 200, 255});
    box(c, 27 * s, 3 * s, 37 * s, 11 * s, {240, 70, 40});
    save(c, false, name);
}

// The program's icon on Windows: the three desktop icons in one ".ico", each
// kept as the PNG it is, which Windows reads at every size.
static void windowsIcon(const char *const pngs[], int count, const char *name)
{
    std::string whole;
    std::vector<std::string> images;
    for (int n = 0; n < count; n++) {
        FILE *in = fopen((outDir + "/" + pngs[n]).c_str(), "rb");
        std::string bytes;
        char chunk[4096];
        for (size_t got; in && (got = fread(chunk, 1, sizeof chunk, in)) > 0;)
            bytes.append(chunk, got);
        if (in)
            fclose(in);
        images.push_back(bytes);
    }
    auto put16 = [&](unsigned v) { whole += (char)(v & 255), whole += (char)(v >> 8 & 255); };
    auto put32 = [&](unsigned v) { put16(v & 0xffff), put16(v >> 16); };
    put16(0), put16(1), put16((unsigned)count);  // reserved, an icon, how many
    const unsigned headerSize = 6, entrySize = 16, pngWidthAt = 16;
    unsigned offset = headerSize + entrySize * (unsigned)count;
    for (const std::string &png : images) {
        // A PNG's width is a big-endian word at byte 16; 256 is written as 0.
        unsigned w = png.size() > pngWidthAt + 4 ? (unsigned char)png[pngWidthAt + 2] << 8 |
                                                       (unsigned char)png[pngWidthAt + 3]
                                                 : 0;
        whole += (char)(w & 255), whole += (char)(w & 255), whole += (char)0, whole += (char)0;
        put16(1), put16(32), put32((unsigned)png.size()), put32(offset);
        offset += (unsigned)png.size();
    }
    for (const std::string &png : images)
        whole += png;
    FILE *out = fopen((outDir + "/" + name).c_str(), "wb");
    bool ok = out && fwrite(whole.data(), 1, whole.size(), out) == whole.size();
    if (out && fclose(out) != 0)
        ok = false;
    for (const std::string &png : images)
        ok = ok && !png.empty();
    if (!ok) {
        fprintf(stderr, "MakeBitmaps: cannot write %s/%s\n", outDir.c_str(), name);
        failures++;
    }
}

// One enemy still to destroy: a cluster of four cubes.
static void enemyIcon()
{
    Canvas c = beginCanvas(20, 20, maskColour, artFont);
    const float cubes[4][2] = {{2, 2}, {11, 2}, {2, 11}, {11, 11}};
    for (const auto &cube : cubes) {
        box(c, cube[0], cube[1], cube[0] + 7, cube[1] + 7, {110, 10, 10});
        box(c, cube[0] + 1, cube[1] + 1, cube[0] + 6, cube[1] + 6, {240, 70, 40});
        box(c, cube[0] + 1, cube[1] + 1, cube[0] + 3, cube[1] + 3, {255, 190, 140});
    }
    save(c, true, "EnemyInd.png");
}

static void crosshair()
{
    const float x = 24, y = 24;
    Canvas c = beginCanvas(48, 48, maskColour, artFont);
    Rgb shade = {10, 60, 20}, light = {120, 255, 140};
    ring(c, x, y, 13.5f, 16.5f, shade);
    ring(c, x, y, 14.3f, 15.7f, light);
    for (int a = 0; a < 360; a += 90) {
        radialTick(c, x, y, (float)a, 5, 23, 3.0f, shade);
        radialTick(c, x, y, (float)a, 5.6f, 22.4f, 1.4f, light);
    }
    disc(c, x, y, 1.8f, shade);
    disc(c, x, y, 1.0f, light);
    save(c, true, "Crosshair.png");
}

// The fuel-direction arrow: it orbits the crosshair, pointing up at angle 0.
static void fuelArrow()
{
    const float x = 50;
    Canvas c = beginCanvas(100, 100, maskColour, artFont);
    triangle3(c, x, 1, x - 10, 19, x + 10, 19, {120, 60, 0});
    triangle3(c, x, 4, x - 7.5f, 17, x + 7.5f, 17, {255, 190, 40});
    textCentred(c, "F", x, 13, 8, {90, 40, 0});
    save(c, true, "FuelDir.png");
}

// Text with a dark outline, for titles over busy pictures.
static void outlinedText(Canvas &c, const char *text, float x, float y, int height, Rgb fill,
                         Rgb edge, float thickness)
{
    for (int a = 0; a < 360; a += 30)
        textCentred(c, text, polarX(x, (float)a, thickness), polarY(y, (float)a, thickness),
                    height, edge);
    textCentred(c, text, x, y, height, fill);
}

// The game's name over a swept wing.
static void logo()
{
    const int w = 520, h = 150;
    Canvas c = beginCanvas(w, h, maskColour, artFont);
    const float wing[] = {20, 118, 260, 92, 500, 118, 260, 104};
    polygonPx(c, 4, wing, {20, 60, 120});
    const float wingLight[] = {60, 114, 260, 97, 460, 114, 260, 102};
    polygonPx(c, 4, wingLight, {90, 170, 240});
    // The letters: an outline, then a metallic fill shaded band by band.
    outlinedText(c, "ZEPHYRION", w / 2.0f, 62, 84, {210, 230, 255}, {10, 24, 60}, 4);
    BITMAP *letters = create_bitmap_ex(32, c.hi->w, c.hi->h);
    clear_to_color(letters, colour(maskColour));
    Canvas lettersCanvas = {letters, c.scale, artFont, c.size};
    textCentred(lettersCanvas, "ZEPHYRION", w / 2.0f, 62, 84, white);
    int litColour = colour(white);
    for (int y = 0; y < letters->h; y++) {
        float t = (float)y / c.scale;
        Rgb shade = t < 56 ? mix({255, 255, 255}, {150, 200, 250}, (t - 24) / 32)
                           : mix({60, 120, 210}, {160, 220, 255}, (t - 56) / 40);
        int sc = colour(shade);
        for (int x = 0; x < letters->w; x++)
            if (getpixel(letters, x, y) == litColour)
                putpixel(c.hi, x, y, sc);
    }
    destroy_bitmap(letters);
    textCentred(c, "CITY  DEFENCE  FLIGHT", w / 2.0f, 132, 15, {200, 220, 240});
    save(c, true, "ZephyrionLogo.png");
}

// A row of box buildings along the bottom of a picture, with lit windows.
static void skyline(Canvas &c, int w, float ground, float tallest, Rgb wall, Rgb window,
                    unsigned seed)
{
    srand(seed);
    for (float x = -10; x < w;) {
        float bw = 24 + rand() % 50, bh = tallest * (0.3f + (rand() % 70) / 100.0f);
        box(c, x, ground - bh, x + bw, ground, wall);
        box(c, x, ground - bh, x + 2, ground, mix(wall, white, 0.15f));
        for (float wy = ground - bh + 6; wy < ground - 6; wy += 9)
            for (float wx = x + 5; wx < x + bw - 5; wx += 8)
                if (rand() % 3)
                    box(c, wx, wy, wx + 4, wy + 5, window);
        x += bw + 2 + rand() % 8;
    }
}

static void stars(Canvas &c, int w, int h, int count, unsigned seed)
{
    srand(seed);
    for (int i = 0; i < count; i++)
        disc(c, (float)(rand() % w), (float)(rand() % h), 0.4f + (rand() % 8) / 10.0f,
             mix({120, 130, 170}, white, (rand() % 100) / 100.0f));
}

// The craft seen from behind, for the pictures.
static void craft(Canvas &c, float x, float y, float span)
{
    float s = span / 100;
    const float wing[] = {x - 50 * s, y + 8 * s, x, y - 10 * s, x + 50 * s, y + 8 * s, x, y + 2 * s};
    polygonPx(c, 4, wing, {40, 60, 90});
    const float top[] = {x - 40 * s, y + 5 * s, x, y - 7 * s, x + 40 * s, y + 5 * s, x, y};
    polygonPx(c, 4, top, {120, 150, 190});
    disc(c, x, y - 4 * s, 6 * s, {30, 40, 60});
    disc(c, x, y - 5 * s, 3.5f * s, {140, 220, 255});
    disc(c, x - 12 * s, y + 4 * s, 2.5f * s, {255, 140, 40});
    disc(c, x + 12 * s, y + 4 * s, 2.5f * s, {255, 140, 40});
}

// The sponsors' splash: light, so the game's black line at the bottom reads.
static void splash(int w, int h, const char *name)
{
    Canvas c = beginCanvas(w, h, white, artFont);
    float k = w / 800.0f;
    verticalGradient(c, 0, 0, (float)w, (float)h, {250, 246, 236}, {222, 230, 240});
    box(c, 0, 0, (float)w, 10 * k, {20, 60, 120});
    box(c, 0, h - 54 * k, (float)w, h - 52 * k, {20, 60, 120});
    textCentred(c, "ZEPHYRION", w / 2.0f, 70 * k, (int)(58 * k), {20, 60, 120});
    textCentred(c, "is flown to you by", w / 2.0f, 122 * k, (int)(20 * k), {90, 100, 120});
    struct Sponsor {
        const char *name, *line;
        Rgb colour;
    } sponsors[] = {
        {"AEROLITH FUELS", "Refined for the long way round", {200, 90, 20}},
        {"BOXWELL BUILDINGS", "Flat roofs since forever", {40, 120, 60}},
        {"TWIN BEAM OPTICS", "Two beams. One target.", {150, 30, 40}},
    };
    for (int i = 0; i < 3; i++) {
        float top = (170 + i * 120) * k, left = 110 * k, right = w - 110 * k;
        box(c, left, top, right, top + 100 * k, {255, 255, 255});
        box(c, left, top, left + 6 * k, top + 100 * k, sponsors[i].colour);
        float ex = left + 62 * k, ey = top + 50 * k;
        if (i == 0) {  // a fuel drop
            disc(c, ex, ey + 8 * k, 18 * k, sponsors[i].colour);
            triangle3(c, ex, ey - 30 * k, ex - 16 * k, ey, ex + 16 * k, ey, sponsors[i].colour);
        } else if (i == 1) {  // stacked boxes
            box(c, ex - 28 * k, ey - 4 * k, ex - 2 * k, ey + 26 * k, sponsors[i].colour);
            box(c, ex + 2 * k, ey - 24 * k, ex + 28 * k, ey + 26 * k, mix(sponsors[i].colour, white, 0.3f));
            box(c, ex - 12 * k, ey - 34 * k, ex + 8 * k, ey - 8 * k, mix(sponsors[i].colour, black, 0.2f));
        } else {  // two beams meeting
            thickLine(c, ex - 30 * k, ey + 28 * k, ex, ey - 22 * k, 5 * k, sponsors[i].colour);
            thickLine(c, ex + 30 * k, ey + 28 * k, ex, ey - 22 * k, 5 * k, sponsors[i].colour);
            disc(c, ex, ey - 22 * k, 9 * k, {255, 200, 60});
        }
        textAt(c, sponsors[i].name, left + 120 * k, top + 22 * k, (int)(30 * k), {30, 34, 44});
        textAt(c, sponsors[i].line, left + 122 * k, top + 62 * k, (int)(18 * k), {110, 116, 130});
    }
    save(c, false, name);
}

// The intro's first picture: the city on the drawing board while it loads.
static void loadScreen()
{
    const int w = 720, h = 520;
    Canvas c = beginCanvas(w, h, {14, 40, 92}, artFont);
    for (int x = 0; x < w; x += 20)
        box(c, (float)x, 0, x + (x % 100 ? 0.6f : 1.2f), (float)h, {40, 80, 150});
    for (int y = 0; y < h; y += 20)
        box(c, 0, (float)y, (float)w, y + (y % 100 ? 0.6f : 1.2f), {40, 80, 150});
    // Wireframe boxes in a grid, seen from above and to the side.
    Rgb lineColour = {190, 220, 255};
    srand(7);
    for (int row = 0; row < 5; row++)
        for (int col = 0; col < 8; col++) {
            float bx = 90 + col * 70 + row * 18, by = 400 - row * 40;
            float bh = 30 + rand() % 90, bw = 40, bd = 16;
            const float front[] = {bx, by, bx + bw, by, bx + bw, by - bh, bx, by - bh};
            for (int e = 0; e < 4; e++) {
                int f = (e + 1) % 4;
                thickLine(c, front[2 * e], front[2 * e + 1], front[2 * f], front[2 * f + 1], 1, lineColour);
            }
            thickLine(c, bx, by - bh, bx + bd, by - bh - bd, 1, lineColour);
            thickLine(c, bx + bw, by - bh, bx + bw + bd, by - bh - bd, 1, lineColour);
            thickLine(c, bx + bd, by - bh - bd, bx + bw + bd, by - bh - bd, 1, lineColour);
            thickLine(c, bx + bw, by, bx + bw + bd, by - bd, 1, lineColour);
            thickLine(c, bx + bw + bd, by - bd, bx + bw + bd, by - bh - bd, 1, lineColour);
        }
    textCentred(c, "ZEPHYRION", w / 2.0f, 56, 52, white);
    textCentred(c, "SURVEYING THE CITY GRID", w / 2.0f, 460, 22, lineColour);
    box(c, 210, 484, 510, 496, lineColour);
    box(c, 212, 486, 508, 494, {14, 40, 92});
    box(c, 212, 486, 420, 494, {255, 200, 60});
    save(c, false, "LoadScreen.png");
}

// The intro's title picture: the craft over the city at night, beams firing.
static void introPicture()
{
    const int w = 720, h = 520;
    Canvas c = beginCanvas(w, h, black, artFont);
    verticalGradient(c, 0, 0, (float)w, (float)h, {4, 6, 24}, {60, 30, 80});
    stars(c, w, 300, 180, 11);
    disc(c, 630, 230, 30, {230, 230, 210});
    disc(c, 641, 223, 27, {24, 14, 50});
    skyline(c, w, 470, 180, {30, 26, 52}, {255, 210, 120}, 5);
    skyline(c, w, (float)h, 120, {16, 14, 30}, {255, 180, 90}, 9);
    // Twin beams from the craft to an enemy cluster, which bursts.
    float tx = 470, ty = 250;
    thickLine(c, 330, 392, tx, ty, 3, {255, 80, 60});
    thickLine(c, 390, 392, tx, ty, 3, {255, 80, 60});
    thickLine(c, 330, 392, tx, ty, 1, {255, 230, 200});
    thickLine(c, 390, 392, tx, ty, 1, {255, 230, 200});
    radialShade(c, tx, ty, 40, {255, 250, 220}, {120, 30, 40});
    for (int i = 0; i < 4; i++) {
        float a = 45 + 90 * i;
        float cx = polarX(tx, a, 34), cy = polarY(ty, a, 34);
        box(c, cx - 7, cy - 7, cx + 7, cy + 7, {240, 70, 40});
        box(c, cx - 5, cy - 5, cx, cy, {255, 190, 140});
    }
    craft(c, 360, 400, 150);
    outlinedText(c, "ZEPHYRION", w / 2.0f, 90, 96, {220, 236, 255}, {20, 40, 110}, 5);
    textCentred(c, "Clear the skies. City by city.", w / 2.0f, 160, 24, {200, 190, 230});
    save(c, false, "Intro.png");
}

int main(int argc, char **argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: MakeBitmaps <font.ttf> <output folder>\n");
        return 2;
    }
    outDir = argv[2];
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0 || ttf_startup() != 0)
        return 1;
    set_color_depth(32);
    register_png_file_type();
    artFont = ttf_load(argv[1]);
    if (!artFont) {
        fprintf(stderr, "MakeBitmaps: cannot load %s\n", argv[1]);
        return 1;
    }
    ttf_set_background(-1);
    // The HUD, the icons and the logo, also twice to four times as large for
    // the pictures that many times as tall, each size in its own folder.
    const std::string base = outDir;
    for (int size = 1; size <= largestArt; size++) {
        setArtSize(size);
        outDir = size == 1 ? base : base + "/" + std::to_string(size) + "x";
        std::error_code made;
        if (size > 1 && !std::filesystem::create_directories(outDir, made) && made) {
            fprintf(stderr, "MakeBitmaps: cannot make %s\n", outDir.c_str());
            return 1;
        }
        radarDisc();
        radarFrame();
        speedo();
        pitchGauge();
        torqueGauge();
        altimeter();
        crosshair();
        barGauge("Damage.png", "DMG", {60, 170, 70}, {220, 40, 30});
        barGauge("Fuel.png", "FUEL", {220, 40, 30}, {60, 190, 80});
        hudBar();
        lifeIcon();
        enemyIcon();
        fuelArrow();
        logo();
    }
    setArtSize(1);
    outDir = base;
    desktopIcon(64, "Icon.png");
    desktopIcon(128, "Icon128.png");
    desktopIcon(256, "Icon256.png");
    const char *const icons[] = {"Icon.png", "Icon128.png", "Icon256.png"};
    windowsIcon(icons, 3, "Zephyrion.ico");
    splash(800, 600, "SplashScreenHigh.png");
    splash(640, 480, "SplashScreenLow.png");
    loadScreen();
    introPicture();
    ttf_free(artFont);
    ttf_shutdown();
    return failures ? 1 : 0;
}
