// The span filler. See Raster.h.
//
// The edges step down the rows in 16.16 fixed point, and a pixel is filled
// when its centre's column and row fall inside, as Allegro's own polygon
// filler rounds them, so that polygons sharing an edge neither overlap nor
// leave a gap. Along a span the depth (1/z) is worked out afresh for each
// pixel from the span's start rather than added up pixel after pixel, so that
// four pixels are tested and filled at a time (one at a time at 24 bits).
#include "Std/Raster.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

// Polygons come out of the clipper with a few corners more than they had;
// this is well above what six clipping planes can add to the engine's faces.
static const int maxCorners = 96;

// One side of the polygon, stepped a row at a time from its top.
struct Edge {
    int top, bottom;  // the rows it spans, both inclusive
    fixed x, dx;      // its x on the current row, and the step a row (16.16)
    float z, dz;      // 1/z on the current row, and the step a row
};

// Four lanes of the compiler's vector extension: SSE on x86-64.
typedef float Float4 __attribute__((vector_size(16)));
typedef int32_t Int4 __attribute__((vector_size(16)));

// ---- Spans ----

struct Pixel24 {
    unsigned char c[3];
};

template <typename Pixel>
static Pixel pixelOf(int colour)
{
    return (Pixel)colour;
}

template <>
Pixel24 pixelOf<Pixel24>(int colour)
{
    // Allegro's byte order for 24-bit pixels
    return {{(unsigned char)colour, (unsigned char)(colour >> 8), (unsigned char)(colour >> 16)}};
}

template <typename Pixel>
static void fillOneByOne(Pixel *out, float *depth, int from, int w, float z, float dz, int colour)
{
    const Pixel c = pixelOf<Pixel>(colour);
    for (int i = from; i < w; i++) {
        float closeness = z + (float)i * dz;
        if (depth[i] < closeness) {
            out[i] = c;
            depth[i] = closeness;
        }
    }
}

// No lane set: all four pixels lie behind what is there.
static bool hidden(Int4 nearer)
{
    uint64_t half[2];
    memcpy(half, &nearer, sizeof half);
    return (half[0] | half[1]) == 0;
}

// Four pixels at a time, each one's 1/z worked out from the span's start.
template <typename Pixel>
static void fillSpan(void *line, float *depth, int w, float z, float dz, int colour)
{
    typedef Pixel Pixel4 __attribute__((vector_size(4 * sizeof(Pixel))));
    Pixel *out = (Pixel *)line;
    const Pixel4 c = (Pixel4){} + (Pixel)colour;
    Float4 index = {0, 1, 2, 3};
    int i = 0;
    for (; i + 4 <= w; i += 4, index += 4) {
        Float4 closeness = z + index * dz, was;
        memcpy(&was, depth + i, sizeof was);
        Int4 nearer = was < closeness;  // all ones where nearer
        if (hidden(nearer))
            continue;
        Pixel4 pixels;
        memcpy(&pixels, out + i, sizeof pixels);
        Pixel4 mask = __builtin_convertvector(nearer, Pixel4);
        was = nearer ? closeness : was;
        pixels = (pixels & ~mask) | (c & mask);
        memcpy(depth + i, &was, sizeof was);
        memcpy(out + i, &pixels, sizeof pixels);
    }
    fillOneByOne(out, depth, i, w, z, dz, colour);
}

static void fillSpan24(void *line, float *depth, int w, float z, float dz, int colour)
{
    fillOneByOne((Pixel24 *)line, depth, 0, w, z, dz, colour);
}

typedef void (*SpanFiller)(void *line, float *depth, int w, float z, float dz, int colour);

static SpanFiller spanFillerFor(int bitsPerPixel)
{
    switch (bitsPerPixel) {
    case 8:
        return fillSpan<uint8_t>;
    case 15:
    case 16:
        return fillSpan<uint16_t>;
    case 24:
        return fillSpan24;
    default:
        return fillSpan<uint32_t>;
    }
}

// ---- Edges ----

// False when the side covers no row's centre within the clipping rectangle.
static bool makeEdge(Edge &e, const V3D_f *a, const V3D_f *b, int clipTop, int clipBottom)
{
    if (b->y < a->y)
        std::swap(a, b);
    e.top = fixceil(ftofix(a->y));
    e.bottom = fixceil(ftofix(b->y)) - 1;
    if (e.bottom < e.top)
        return false;
    float perRow = 1.0f / (b->y - a->y);
    fixed step = e.top * 65536 - ftofix(a->y);  // from the corner down to the first row's centre
    e.dx = ftofix((b->x - a->x) * perRow);
    e.x = ftofix(a->x) + fixmul(step, e.dx);
    float za = 1.0f / a->z, zb = 1.0f / b->z;
    e.dz = (zb - za) * perRow;
    e.z = za + e.dz * fixtof(step);
    if (e.top < clipTop) {
        int rows = clipTop - e.top;
        e.x += rows * e.dx;
        e.z += rows * e.dz;
        e.top = clipTop;
    }
    if (e.bottom >= clipBottom)
        e.bottom = clipBottom - 1;
    return e.bottom >= e.top;
}

// ---- The polygon ----

// Where pixels may be filled: the bitmap's clipping rectangle, within the
// depth buffer.
struct Clip {
    int left, top, right, bottom;  // pixels, right and bottom exclusive
};

// Rows ytop..ybottom between two sides that both span them.
static void fillRows(BITMAP *bmp, BITMAP *depth, const Clip &clip, int ytop, int ybottom,
                     Edge *left, Edge *right, SpanFiller span, int bytesPerPixel, int colour)
{
    if (right->x < left->x || (right->x == left->x && right->dx < left->dx))
        std::swap(left, right);
    for (int y = ytop; y <= ybottom; y++) {
        int x = fixceil(left->x), w = fixceil(right->x) - x;
        if (w > 0) {
            float dz = (right->z - left->z) * (65536.0f / (float)(right->x - left->x));
            float z = left->z + dz * fixtof(x * 65536 - left->x);
            if (x < clip.left) {
                z += dz * (float)(clip.left - x);
                w -= clip.left - x;
                x = clip.left;
            }
            if (x + w > clip.right)
                w = clip.right - x;
            if (w > 0) {
                unsigned char *line = (unsigned char *)bmp_write_line(bmp, y) + x * bytesPerPixel;
                span(line, (float *)depth->line[y] + x, w, z, dz, colour);
            }
        }
        left->x += left->dx, right->x += right->dx;
        left->z += left->dz, right->z += right->dz;
    }
}

void fillDepthPolygon(BITMAP *bmp, BITMAP *depth, int count, V3D_f *const *corners, int colour)
{
    if (count < 3 || count > maxCorners)
        return;
    const Clip clip = {bmp->cl, bmp->ct, std::min(bmp->cr, depth->w), std::min(bmp->cb, depth->h)};
    Edge edges[maxCorners];
    int sides = 0, first = 0, top = INT32_MAX, bottom = INT32_MIN;
    for (int i = 0; i < count; i++) {
        Edge &e = edges[sides];
        if (!makeEdge(e, corners[(i + count - 1) % count], corners[i], clip.top, clip.bottom))
            continue;
        if (e.top < top)
            top = e.top, first = sides;
        if (e.bottom > bottom)
            bottom = e.bottom;
        sides++;
    }
    if (sides == 0)
        return;

    // From the top corner, one side goes down each way round the polygon.
    auto before = [sides](int i) { return (i + sides - 1) % sides; };
    auto after = [sides](int i) { return (i + 1) % sides; };
    int left = first;
    if (before(left) != after(left) && edges[before(left)].top == top)
        left = before(left);
    int right = after(left);

    int bitsPerPixel = bitmap_color_depth(bmp);
    SpanFiller span = spanFillerFor(bitsPerPixel);
    int bytesPerPixel = (bitsPerPixel + 7) / 8;
    acquire_bitmap(bmp);
    // A convex polygon is done once the two ways round meet at its bottom.
    for (int ytop = top, pieces = 0; pieces < sides; pieces++) {
        int ybottom = std::min(edges[left].bottom, edges[right].bottom);
        fillRows(bmp, depth, clip, ytop, ybottom, &edges[left], &edges[right], span, bytesPerPixel,
                 colour);
        if (ybottom >= bottom)
            break;
        if (ybottom >= edges[left].bottom)
            left = before(left);
        if (ybottom >= edges[right].bottom)
            right = after(right);
        ytop = ybottom + 1;
    }
    bmp_unwrite_line(bmp);
    release_bitmap(bmp);
}
