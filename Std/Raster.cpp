// The span filler. See Raster.h.
//
// The edges step down the rows in 16.16 fixed point, and a pixel is filled
// when its centre's column and row fall inside, as Allegro's own polygon
// filler rounds them, so that polygons sharing an edge neither overlap nor
// leave a gap. Along a span the depth (1/z) is worked out afresh for each
// pixel from the span's start rather than added up pixel after pixel, so that
// four pixels are tested and filled at a time (one at a time at 24 bits), and
// so that the span's 1/z over a run of the depth buffer lies between its
// values at the run's two ends: a whole run is passed by, or filled without
// a test, on the strength of those two numbers and the run's bounds.
#include "Std/Raster.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
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

// The span's 1/z at its pixel i, worked out the one way that every filler and
// every bound below does, four lanes at a time or one. Rounding keeps it in
// step with i, so over any stretch of the span its extremes are its values at
// the stretch's two ends.
static inline float closenessAt(float z, float dz, int i)
{
    return z + (float)i * dz;
}

static inline Float4 closenessAt(float z, float dz, Float4 i)
{
    return z + i * dz;
}

// No lane set: all four pixels lie behind what is there.
static bool noneSet(Int4 lanes)
{
    uint64_t half[2];
    memcpy(half, &lanes, sizeof half);
    return (half[0] | half[1]) == 0;
}

static bool allSet(Int4 lanes)
{
    uint64_t half[2];
    memcpy(half, &lanes, sizeof half);
    return (half[0] & half[1]) == ~(uint64_t)0;
}

// Pixels from..to-1 of the span, each tested against the depth buffer.
template <typename Pixel>
static void testOneByOne(Pixel *out, float *depth, int from, int to, float z, float dz, Pixel c)
{
    for (int i = from; i < to; i++) {
        float closeness = closenessAt(z, dz, i);
        if (depth[i] < closeness) {
            out[i] = c;
            depth[i] = closeness;
        }
    }
}

// Pixels from..to-1, known to lie in front of what is there.
template <typename Pixel>
static void fillOneByOne(Pixel *out, float *depth, int from, int to, float z, float dz, Pixel c)
{
    for (int i = from; i < to; i++) {
        out[i] = c;
        depth[i] = closenessAt(z, dz, i);
    }
}

// Four at a time; one at a time at 24 bits.
template <typename Pixel>
static void testPixels(Pixel *out, float *depth, int from, int to, float z, float dz, Pixel c)
{
    typedef Pixel Pixel4 __attribute__((vector_size(4 * sizeof(Pixel))));
    const Pixel4 c4 = (Pixel4){} + c;
    Float4 index = (Float4){0, 1, 2, 3} + (float)from;
    int i = from;
    for (; i + 4 <= to; i += 4, index += 4) {
        Float4 closeness = closenessAt(z, dz, index), was;
        memcpy(&was, depth + i, sizeof was);
        Int4 nearer = was < closeness;  // all ones where nearer
        if (noneSet(nearer))
            continue;
        Pixel4 pixels;
        memcpy(&pixels, out + i, sizeof pixels);
        Pixel4 mask = __builtin_convertvector(nearer, Pixel4);
        was = nearer ? closeness : was;
        pixels = (pixels & ~mask) | (c4 & mask);
        memcpy(depth + i, &was, sizeof was);
        memcpy(out + i, &pixels, sizeof pixels);
    }
    testOneByOne(out, depth, i, to, z, dz, c);
}

template <>
void testPixels<Pixel24>(Pixel24 *out, float *depth, int from, int to, float z, float dz,
                         Pixel24 c)
{
    testOneByOne(out, depth, from, to, z, dz, c);
}

// Eight at a time; one at a time at 24 bits.
template <typename Pixel>
static void fillPixels(Pixel *out, float *depth, int from, int to, float z, float dz, Pixel c)
{
    typedef Pixel Pixel8 __attribute__((vector_size(8 * sizeof(Pixel))));
    const Pixel8 c8 = (Pixel8){} + c;
    Float4 index = (Float4){0, 1, 2, 3} + (float)from;
    int i = from;
    for (; i + 8 <= to; i += 8, index += 8) {
        Float4 closeness[2] = {closenessAt(z, dz, index), closenessAt(z, dz, index + 4)};
        memcpy(depth + i, closeness, sizeof closeness);
        memcpy(out + i, &c8, sizeof c8);
    }
    fillOneByOne(out, depth, i, to, z, dz, c);
}

template <>
void fillPixels<Pixel24>(Pixel24 *out, float *depth, int from, int to, float z, float dz,
                         Pixel24 c)
{
    fillOneByOne(out, depth, from, to, z, dz, c);
}

// Where one span goes: the row's pixels and depths from the span's first,
// and the row's bounds from the run that pixel lies in.
template <typename Pixel>
struct Span {
    Pixel *out;
    float *depth;
    float *farthest, *nearest;
    float z, dz;
    Pixel c;
    int blindFrom, blindTo;  // pixels waiting to be filled without a test
};

// Pixels from..to-1 lie in front of what is there: they join those waiting
// when they follow on from them, and the waiting ones are filled otherwise.
template <typename Pixel>
static inline void fillLater(Span<Pixel> &s, int from, int to)
{
    if (from != s.blindTo) {
        fillPixels(s.out, s.depth, s.blindFrom, s.blindTo, s.z, s.dz, s.c);
        s.blindFrom = from;
    }
    s.blindTo = to;
}

// The span's pixels from..to-1, which lie in the run'th run from the span's
// first; whole when they are all of that run's pixels. A comparison with a NaN
// is false, so a span whose 1/z is no number somewhere is tested pixel by
// pixel, and takes no NaN into the bounds: they only rise, as the depths do,
// and only to what the span's numbers prove.
template <typename Pixel, bool falling>
static inline void fillRun(Span<Pixel> &s, int run, int from, int to, bool whole)
{
    float first = closenessAt(s.z, s.dz, from), last = closenessAt(s.z, s.dz, to - 1);
    float low = falling ? last : first, high = falling ? first : last;
    float &farthest = s.farthest[run], &nearest = s.nearest[run];
    if (high <= farthest)
        return;  // behind every pixel of the run
    if (low > nearest) {
        fillLater(s, from, to);
        nearest = high;
        if (whole)
            farthest = low;
        return;
    }
    testPixels(s.out, s.depth, from, to, s.z, s.dz, s.c);
    if (high > nearest)
        nearest = high;
    if (whole && low > farthest)
        farthest = low;
}

// A span of pixels x..x+w-1 of a row whose depth buffer is width wide.
template <typename Pixel, bool falling>
static void fillRuns(Span<Pixel> &s, int width, int x, int w)
{
    const int part = depthRunPixels - 1;
    int run = 0, from = 0;
    if (x & part) {
        // the run it starts inside of, up to the next one or its own end
        from = std::min(depthRunPixels - (x & part), w);
        fillRun<Pixel, falling>(s, 0, 0, from, false);
        run = 1;
    }
    // Four whole runs at a time: the usual four are all hidden, or all in front.
    const float r = (float)depthRunPixels;
    Float4 starts = (Float4){0, r, 2 * r, 3 * r} + (float)from;
    for (; from + 4 * depthRunPixels <= w;
         from += 4 * depthRunPixels, run += 4, starts += 4 * r) {
        Float4 first = closenessAt(s.z, s.dz, starts), last = closenessAt(s.z, s.dz, starts + (r - 1));
        Float4 low = falling ? last : first, high = falling ? first : last, farthest, nearest;
        memcpy(&farthest, s.farthest + run, sizeof farthest);
        if (allSet(high <= farthest))
            continue;
        memcpy(&nearest, s.nearest + run, sizeof nearest);
        if (allSet(low > nearest)) {
            fillLater(s, from, from + 4 * depthRunPixels);
            memcpy(s.nearest + run, &high, sizeof high);
            memcpy(s.farthest + run, &low, sizeof low);
            continue;
        }
        for (int k = 0; k < 4; k++) {
            int start = from + k * depthRunPixels;
            fillRun<Pixel, falling>(s, run + k, start, start + depthRunPixels, true);
        }
    }
    for (; from < w; run++) {
        int to = std::min(from + depthRunPixels, w);
        fillRun<Pixel, falling>(s, run, from, to, to - from == depthRunPixels || x + to == width);
        from = to;
    }
    fillPixels(s.out, s.depth, s.blindFrom, s.blindTo, s.z, s.dz, s.c);
}

// One span of a row: pixels x..x+w-1, their 1/z from z at x rising by dz a
// pixel. line and depth are the row's first pixel, farthest and nearest its
// bounds (none: test every pixel), and width the depth buffer's.
typedef void (*SpanFiller)(void *line, float *depth, float *farthest, float *nearest, int width,
                           int x, int w, float z, float dz, int colour);

template <typename Pixel>
static void fillSpan(void *line, float *depth, float *farthest, float *nearest, int width, int x,
                     int w, float z, float dz, int colour)
{
    const Pixel c = pixelOf<Pixel>(colour);
    if (!farthest) {
        testPixels((Pixel *)line + x, depth + x, 0, w, z, dz, c);
        return;
    }
    const int run = x >> depthRunShift;
    Span<Pixel> s = {(Pixel *)line + x, depth + x, farthest + run, nearest + run, z, dz, c, 0, 0};
    if (dz < 0)
        fillRuns<Pixel, true>(s, width, x, w);
    else
        fillRuns<Pixel, false>(s, width, x, w);
}

static SpanFiller spanFillerFor(int bitsPerPixel)
{
    switch (bitsPerPixel) {
    case 8:
        return fillSpan<uint8_t>;
    case 15:
    case 16:
        return fillSpan<uint16_t>;
    case 24:
        return fillSpan<Pixel24>;
    default:
        return fillSpan<uint32_t>;
    }
}

// ---- The depth buffer ----

DepthBuffer *createDepthBuffer(BITMAP *bmp, bool bounded)
{
    DepthBuffer *buffer = (DepthBuffer *)calloc(1, sizeof(DepthBuffer));
    if (!buffer)
        return nullptr;
    buffer->depth = create_zbuffer(bmp);
    if (!buffer->depth) {
        destroyDepthBuffer(buffer);
        return nullptr;
    }
    buffer->runs = (buffer->depth->w + depthRunPixels - 1) >> depthRunShift;
    if (bounded) {
        size_t runs = (size_t)buffer->runs * buffer->depth->h;
        buffer->farthest = (float *)malloc(sizeof(float) * runs);
        buffer->nearest = (float *)malloc(sizeof(float) * runs);
        if (!buffer->farthest || !buffer->nearest) {
            destroyDepthBuffer(buffer);
            return nullptr;
        }
    }
    clearDepthBuffer(buffer, 0);
    return buffer;
}

// Four floats a store, where Allegro's clear goes a pixel at a time.
static void fillFloats(float *p, size_t count, float z)
{
    const Float4 four = (Float4){} + z;
    size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        memcpy(p + i, &four, sizeof four);
        memcpy(p + i + 4, &four, sizeof four);
    }
    for (; i < count; i++)
        p[i] = z;
}

void clearDepthBuffer(DepthBuffer *buffer, float z)
{
    BITMAP *depth = buffer->depth;
    for (int y = 0; y < depth->h; y++)
        fillFloats((float *)depth->line[y], depth->w, z);
    if (buffer->farthest) {
        size_t runs = (size_t)buffer->runs * depth->h;
        fillFloats(buffer->farthest, runs, z);
        fillFloats(buffer->nearest, runs, z);
    }
}

void destroyDepthBuffer(DepthBuffer *buffer)
{
    if (!buffer)
        return;
    if (buffer->depth)
        destroy_zbuffer(buffer->depth);
    free(buffer->farthest);
    free(buffer->nearest);
    free(buffer);
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
static void fillRows(BITMAP *bmp, const DepthBuffer &depth, const Clip &clip, int ytop,
                     int ybottom, Edge *left, Edge *right, SpanFiller span, int colour)
{
    if (right->x < left->x || (right->x == left->x && right->dx < left->dx))
        std::swap(left, right);
    const int width = depth.depth->w;
    // A memory bitmap's rows are where its line table says, with no bank to switch.
    const bool inMemory = is_memory_bitmap(bmp);
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
                float *farthest = nullptr, *nearest = nullptr;
                if (depth.farthest) {
                    farthest = depth.farthest + y * depth.runs;
                    nearest = depth.nearest + y * depth.runs;
                }
                void *line = inMemory ? bmp->line[y] : (void *)bmp_write_line(bmp, y);
                span(line, (float *)depth.depth->line[y], farthest,
                     nearest, width, x, w, z, dz, colour);
            }
        }
        left->x += left->dx, right->x += right->dx;
        left->z += left->dz, right->z += right->dz;
    }
}

void fillDepthPolygon(BITMAP *bmp, DepthBuffer *depth, int count, V3D_f *const *corners,
                      int colour)
{
    if (count < 3 || count > maxCorners)
        return;
    const BITMAP *zbuf = depth->depth;
    const Clip clip = {bmp->cl, bmp->ct, std::min(bmp->cr, zbuf->w), std::min(bmp->cb, zbuf->h)};
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
    acquire_bitmap(bmp);
    // A convex polygon is done once the two ways round meet at its bottom.
    for (int ytop = top, pieces = 0; pieces < sides; pieces++) {
        int ybottom = std::min(edges[left].bottom, edges[right].bottom);
        fillRows(bmp, *depth, clip, ytop, ybottom, &edges[left], &edges[right], span, colour);
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
