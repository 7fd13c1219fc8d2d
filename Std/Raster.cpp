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
#include <cmath>
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

// Whether no lane of four is set, or every lane: SSE on x86 tells at once,
// and the generic code looks at the lanes' two halves.
#if defined(__SSE__) && (defined(__x86_64__) || defined(__i386__))
static inline bool noneSet(Int4 lanes)
{
    return __builtin_ia32_movmskps((Float4)lanes) == 0;
}

static inline bool allSet(Int4 lanes)
{
    return __builtin_ia32_movmskps((Float4)lanes) == 15;
}
#else
static inline bool noneSet(Int4 lanes)
{
    uint64_t half[2];
    memcpy(half, &lanes, sizeof half);
    return (half[0] | half[1]) == 0;
}

static inline bool allSet(Int4 lanes)
{
    uint64_t half[2];
    memcpy(half, &lanes, sizeof half);
    return (half[0] & half[1]) == ~(uint64_t)0;
}
#endif

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

// Four at a time, the last four ending at the last pixel even where they go
// over some already tested: those now hold the span's own 1/z or nearer, and
// stay as they are. One at a time at 24 bits.
template <typename Pixel>
static void testPixels(Pixel *out, float *depth, int from, int to, float z, float dz, Pixel c)
{
    typedef Pixel Pixel4 __attribute__((vector_size(4 * sizeof(Pixel))));
    const Pixel4 c4 = (Pixel4){} + c;
    if (to - from < 4) {
        testOneByOne(out, depth, from, to, z, dz, c);
        return;
    }
    auto testFour = [=](int i, Float4 index) {
        Float4 closeness = closenessAt(z, dz, index), was;
        memcpy(&was, depth + i, sizeof was);
        Int4 nearer = was < closeness;  // all ones where nearer
        if (noneSet(nearer))
            return;
        if (allSet(nearer)) {
            memcpy(depth + i, &closeness, sizeof closeness);
            memcpy(out + i, &c4, sizeof c4);
            return;
        }
        Pixel4 pixels;
        memcpy(&pixels, out + i, sizeof pixels);
        Pixel4 mask = __builtin_convertvector(nearer, Pixel4);
        was = nearer ? closeness : was;
        pixels = (pixels & ~mask) | (c4 & mask);
        memcpy(depth + i, &was, sizeof was);
        memcpy(out + i, &pixels, sizeof pixels);
    };
    Float4 index = (Float4){0, 1, 2, 3} + (float)from;
    int i = from;
    for (; i + 4 <= to; i += 4, index += 4)
        testFour(i, index);
    if (i < to)
        testFour(to - 4, index - (float)(i - (to - 4)));
}

template <>
void testPixels<Pixel24>(Pixel24 *out, float *depth, int from, int to, float z, float dz,
                         Pixel24 c)
{
    testOneByOne(out, depth, from, to, z, dz, c);
}

// Eight at a time, the last eight ending at the last pixel even where they go
// over some already filled, with the same numbers; one at a time at 24 bits.
template <typename Pixel>
static void fillPixels(Pixel *out, float *depth, int from, int to, float z, float dz, Pixel c)
{
    typedef Pixel Pixel4 __attribute__((vector_size(4 * sizeof(Pixel))));
    const Pixel4 c4 = (Pixel4){} + c;
    if (to - from < 8) {
        if (to - from < 4) {
            fillOneByOne(out, depth, from, to, z, dz, c);
            return;
        }
        for (int i : {from, to - 4}) {
            Float4 closeness = closenessAt(z, dz, (Float4){0, 1, 2, 3} + (float)i);
            memcpy(depth + i, &closeness, sizeof closeness);
            memcpy(out + i, &c4, sizeof c4);
        }
        return;
    }
    Float4 index = (Float4){0, 1, 2, 3} + (float)from;
    auto fillEight = [=](int i, Float4 index) {
        Float4 closeness[2] = {closenessAt(z, dz, index), closenessAt(z, dz, index + 4)};
        memcpy(depth + i, closeness, sizeof closeness);
        memcpy(out + i, &c4, sizeof c4);
        memcpy(out + i + 4, &c4, sizeof c4);
    };
    int i = from;
    if (i + 16 <= to) {
        // two rounds of sixteen a turn, each lane a column of its own
        Float4 at0 = index, at1 = index + 4, at2 = index + 8, at3 = index + 12;
        auto fillSixteen = [&](int i) {
            Float4 closeness[4] = {closenessAt(z, dz, at0), closenessAt(z, dz, at1),
                                   closenessAt(z, dz, at2), closenessAt(z, dz, at3)};
            at0 += 16, at1 += 16, at2 += 16, at3 += 16;
            memcpy(depth + i, closeness, sizeof closeness);
            memcpy(out + i, &c4, sizeof c4);
            memcpy(out + i + 4, &c4, sizeof c4);
            memcpy(out + i + 8, &c4, sizeof c4);
            memcpy(out + i + 12, &c4, sizeof c4);
        };
        for (; i + 32 <= to; i += 32) {
            fillSixteen(i);
            fillSixteen(i + 16);
        }
        if (i + 16 <= to) {
            fillSixteen(i);
            i += 16;
        }
        index = at0;
    }
    if (i + 8 <= to) {
        fillEight(i, index);
        i += 8, index += 8;
    }
    if (i < to)
        fillEight(to - 8, index - (float)(i - (to - 8)));
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

// The span's pixels from..to-1 in the run'th run from the one its first pixel
// lies in, which starts at its pixel start; their 1/z from low to high, and
// whole when they are all of that run's pixels: passed by when they lie behind
// every pixel of the run, left to be filled with no test when they lie in
// front of every one, each tested otherwise. A comparison with a NaN is false,
// so a span whose 1/z is no number somewhere is tested pixel by pixel, and
// takes no NaN into the bounds: they only rise, as the depths do, and only to
// what the span's numbers prove, but where the run is looked at whole.
// rowRest is the row's pixels from the span's first on.
template <typename Pixel>
__attribute__((always_inline)) static inline void fillRun(Span<Pixel> &s, int run, int start,
                                                          int from, int to, float low, float high,
                                                          bool whole, int rowRest)
{
    float &farthest = s.farthest[run], &nearest = s.nearest[run];
    if (high <= farthest)
        return;
    if (low > nearest) {
        fillLater(s, from, to);
        nearest = high;
        if (whole)
            farthest = low;
        return;
    }
    testPixels(s.out, s.depth, from, to, s.z, s.dz, s.c);
    if (start + depthRunPixels <= rowRest) {
        // A run that is partly in front is looked at whole (but for the short
        // one at a row's end), and its bounds made those of the depths it
        // holds, so that the spans still to come over it find it hidden or in
        // front where they can.
        const float *d = s.depth + start;
        Float4 least, most;
        memcpy(&least, d, sizeof least);
        most = least;
#pragma GCC unroll 8
        for (int i = 4; i < depthRunPixels; i += 4) {
            Float4 four;
            memcpy(&four, d + i, sizeof four);
            least = four < least ? four : least;
            most = four > most ? four : most;
        }
        float lo = std::min(std::min(least[0], least[1]), std::min(least[2], least[3]));
        float hi = std::max(std::max(most[0], most[1]), std::max(most[2], most[3]));
        if (lo > farthest)
            farthest = lo;
        if (hi == hi)
            nearest = hi;
        else if (high > nearest)
            nearest = high;
        return;
    }
    if (high > nearest)
        nearest = high;
    if (whole && low > farthest)
        farthest = low;
}

// Four runs of a span of pixels x..x+w-1 of a row whose depth buffer is width
// wide, not all of them hidden: of the span's runs (the first the one pixel x
// lies in), the run'th to the run'th + 3, each starting at its pixel starts
// (counted from the span's first, so the first's may lie before it), and the
// span's 1/z at each one's nearer end high. Whether a run is hidden, or wholly
// in front, is first asked of the span's 1/z at the run's two ends even where
// those lie beyond the span: being further out along the same slope, they are
// beyond the span's own at both ends, and can only answer no where the span's
// own would say yes. Four runs wholly in front are filled as one stretch; the
// others are taken one by one on the span's own numbers. The row's bounds have
// room for the runs past the row's end that the last four may reach.
template <typename Pixel, bool falling>
__attribute__((noinline)) static void fillFour(Span<Pixel> &s, int width, int x, int w, int run,
                                               int runs, Float4 starts, Float4 high)
{
    const Int4 lane = {0, 1, 2, 3};
    const float r = (float)depthRunPixels;
    Float4 ends = starts + (r - 1), farthest, nearest;
    Float4 low = closenessAt(s.z, s.dz, falling ? ends : starts);
    memcpy(&farthest, s.farthest + run, sizeof farthest);
    memcpy(&nearest, s.nearest + run, sizeof nearest);
    Int4 beyond = lane >= runs - run, hidden = (high <= farthest) | beyond;
    if (allSet((low > nearest) & ~beyond)) {
        int from = std::max((int)starts[0], 0), to = std::min((int)ends[3] + 1, w);
        fillLater(s, from, to);
        memcpy(s.nearest + run, &high, sizeof high);
        const Float4 none = {}, rowEnd = none + (float)(width - 1 - x);
        Float4 lastOfRun = ends < rowEnd ? ends : rowEnd;
        Int4 whole = (starts >= none) & (lastOfRun <= none + (float)(w - 1));
        farthest = whole ? low : farthest;
        memcpy(s.farthest + run, &farthest, sizeof farthest);
        return;
    }
    for (int k = 0; k < 4; k++) {
        if (hidden[k])
            continue;
        int start = (int)starts[k];
        if (start >= 0 && start + depthRunPixels <= w) {
            // wholly within the span: its ends are the span's own
            fillRun(s, run + k, start, start, start + depthRunPixels, low[k], high[k], true,
                    width - x);
            continue;
        }
        int from = std::max(start, 0);
        int to = std::min(start + depthRunPixels, w);
        bool whole = from == start && (to == start + depthRunPixels || x + to == width);
        float first = closenessAt(s.z, s.dz, from), last = closenessAt(s.z, s.dz, to - 1);
        fillRun(s, run + k, start, from, to, falling ? last : first, falling ? first : last, whole,
                width - x);
    }
}

// A span of pixels x..x+w-1 of a row whose depth buffer is width wide, taken
// four runs at a time: the usual four are all hidden, passed by at once.
template <typename Pixel, bool falling>
static inline void fillRuns(Span<Pixel> &s, int width, int x, int w)
{
    const int runs = ((x + w - 1) >> depthRunShift) - (x >> depthRunShift) + 1;
    const float r = (float)depthRunPixels;
    // each run's first pixel, counted from the span's first
    Float4 starts = (Float4){0, r, 2 * r, 3 * r} - (float)(x & (depthRunPixels - 1));
    int run = 0;
    for (; run + 4 <= runs; run += 4, starts += 4 * r) {
        Float4 high = closenessAt(s.z, s.dz, falling ? starts : starts + (r - 1)), farthest;
        memcpy(&farthest, s.farthest + run, sizeof farthest);
        if (!allSet(high <= farthest))
            fillFour<Pixel, falling>(s, width, x, w, run, runs, starts, high);
    }
    if (run < runs) {
        const Int4 lane = {0, 1, 2, 3};
        Float4 high = closenessAt(s.z, s.dz, falling ? starts : starts + (r - 1)), farthest;
        memcpy(&farthest, s.farthest + run, sizeof farthest);
        if (!allSet((high <= farthest) | (lane >= runs - run)))
            fillFour<Pixel, falling>(s, width, x, w, run, runs, starts, high);
    }
    if (s.blindTo > s.blindFrom)
        fillPixels(s.out, s.depth, s.blindFrom, s.blindTo, s.z, s.dz, s.c);
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
        size_t runs = (size_t)buffer->runs * buffer->depth->h + 3;
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

// Four floats a store, thirty-two a round, where Allegro's clear goes a pixel
// at a time.
static void fillFloats(float *p, size_t count, float z)
{
    const Float4 four = (Float4){} + z;
    size_t i = 0;
    for (; i + 32 <= count; i += 32) {
        memcpy(p + i, &four, sizeof four);
        memcpy(p + i + 4, &four, sizeof four);
        memcpy(p + i + 8, &four, sizeof four);
        memcpy(p + i + 12, &four, sizeof four);
        memcpy(p + i + 16, &four, sizeof four);
        memcpy(p + i + 20, &four, sizeof four);
        memcpy(p + i + 24, &four, sizeof four);
        memcpy(p + i + 28, &four, sizeof four);
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
        size_t runs = (size_t)buffer->runs * depth->h + 3;
        fillFloats(buffer->farthest, runs, z);
        fillFloats(buffer->nearest, runs, z);
    }
}

void clearPicture(BITMAP *bmp)
{
    if (!is_memory_bitmap(bmp)) {
        clear_bitmap(bmp);
        return;
    }
    int bytesPerPixel = (bitmap_color_depth(bmp) + 7) / 8;
    size_t bytes = (size_t)(bmp->cr - bmp->cl) * bytesPerPixel;
    for (int y = bmp->ct; y < bmp->cb; y++) {
        unsigned char *row = bmp->line[y] + bmp->cl * bytesPerPixel;
        size_t wide = bytes / sizeof(float) * sizeof(float);
        if (((uintptr_t)row & (sizeof(float) - 1)) == 0) {
            fillFloats((float *)row, wide / sizeof(float), 0);  // 0.0f is all bits clear
            memset(row + wide, 0, bytes - wide);
        } else {
            memset(row, 0, bytes);
        }
    }
}

void drawSprite(BITMAP *to, BITMAP *sprite, int x, int y)
{
    if (bitmap_color_depth(to) != 32 || bitmap_color_depth(sprite) != 32 ||
        !is_memory_bitmap(to) || !is_memory_bitmap(sprite)) {
        draw_sprite(to, sprite, x, y);
        return;
    }
    int sx = 0, sy = 0, w = sprite->w, h = sprite->h;
    if (x < to->cl)
        sx = to->cl - x, w -= sx, x = to->cl;
    if (y < to->ct)
        sy = to->ct - y, h -= sy, y = to->ct;
    w = std::min(w, to->cr - x);
    h = std::min(h, to->cb - y);
    const uint32_t mask = (uint32_t)bitmap_mask_color(sprite);
    const Int4 masks = (Int4){} + (int32_t)mask;
    for (int row = 0; row < h; row++) {
        const uint32_t *from = (const uint32_t *)sprite->line[sy + row] + sx;
        uint32_t *out = (uint32_t *)to->line[y + row] + x;
        int i = 0;
        for (; i + 4 <= w; i += 4) {
            Int4 pixels, under;
            memcpy(&pixels, from + i, sizeof pixels);
            memcpy(&under, out + i, sizeof under);
            under = pixels == masks ? under : pixels;
            memcpy(out + i, &under, sizeof under);
        }
        for (; i < w; i++)
            if (from[i] != mask)
                out[i] = from[i];
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

// What every span of a polygon shares.
template <typename Pixel>
struct Target {
    BITMAP *bmp;
    bool inMemory;  // a memory bitmap's rows are where its line table says
    const DepthBuffer *depth;
    Clip clip;
    Pixel c;
};

// Whether the runs first..last of a row hold nothing further than high.
static inline bool behindRuns(const float *farthest, int first, int last, float high)
{
    const Float4 h = (Float4){} + high;
    Float4 four;
    int run = first;
    for (; run + 3 <= last; run += 4) {
        memcpy(&four, farthest + run, sizeof four);
        if (!allSet(h <= four))
            return false;
    }
    if (run > last)
        return true;
    const Int4 lane = {0, 1, 2, 3};
    memcpy(&four, farthest + run, sizeof four);
    return allSet((h <= four) | (lane > last - run));
}

// Rows ytop..ybottom between two sides that both span them.
//
// Before a row's span is worked out, it is asked whether the row is hidden
// from its sides' 1/z alone. The span's 1/z is worked out from theirs, and
// in exact numbers it lies between them at every pixel, since every pixel's
// centre lies between the sides; rounded, it strays by less than 2^-18 of
// the larger of them (a few roundings of a few such numbers). A row whose
// runs all lie beyond both sides by some four times that is passed by whole.
template <typename Pixel>
static void fillRows(const Target<Pixel> &t, int ytop, int ybottom, Edge *left, Edge *right)
{
    if (right->x < left->x || (right->x == left->x && right->dx < left->dx))
        std::swap(left, right);
    const DepthBuffer &depth = *t.depth;
    const int width = depth.depth->w;
    for (int y = ytop; y <= ybottom; y++, left->x += left->dx, right->x += right->dx,
             left->z += left->dz, right->z += right->dz) {
        int x = fixceil(left->x), w = fixceil(right->x) - x;
        int from = std::max(x, t.clip.left), to = std::min(x + w, t.clip.right);
        if (w <= 0 || to <= from)
            continue;
        if (depth.farthest) {
            float lz = left->z, rz = right->z;
            float high = (lz > rz ? lz : rz) + std::max(fabsf(lz), fabsf(rz)) * (1.0f / 65536);
            const float *farthest = depth.farthest + y * depth.runs;
            if (high == high && behindRuns(farthest, from >> depthRunShift,
                                           (to - 1) >> depthRunShift, high))
                continue;
        }
        float dz = (right->z - left->z) * (65536.0f / (float)(right->x - left->x));
        float z = left->z + dz * fixtof(x * 65536 - left->x);
        if (x < t.clip.left) {
            z += dz * (float)(t.clip.left - x);
            w -= t.clip.left - x;
            x = t.clip.left;
        }
        if (x + w > t.clip.right)
            w = t.clip.right - x;
        void *line = t.inMemory ? (void *)t.bmp->line[y] : (void *)bmp_write_line(t.bmp, y);
        Pixel *out = (Pixel *)line + x;
        float *zs = (float *)depth.depth->line[y] + x;
        if (!depth.farthest) {
            testPixels(out, zs, 0, w, z, dz, t.c);
            continue;
        }
        int run = y * depth.runs + (x >> depthRunShift);
        Span<Pixel> s = {out, zs, depth.farthest + run, depth.nearest + run, z, dz, t.c, 0, 0};
        if (dz < 0)
            fillRuns<Pixel, true>(s, width, x, w);
        else
            fillRuns<Pixel, false>(s, width, x, w);
    }
}

// From the top corner, one side goes down each way round the polygon, and a
// convex polygon is done once the two ways round meet at its bottom.
template <typename Pixel>
static void fillSides(const Target<Pixel> &t, Edge *edges, int sides, int first, int top,
                      int bottom)
{
    auto before = [sides](int i) { return (i + sides - 1) % sides; };
    auto after = [sides](int i) { return (i + 1) % sides; };
    int left = first;
    if (before(left) != after(left) && edges[before(left)].top == top)
        left = before(left);
    int right = after(left);
    for (int ytop = top, pieces = 0; pieces < sides; pieces++) {
        int ybottom = std::min(edges[left].bottom, edges[right].bottom);
        fillRows(t, ytop, ybottom, &edges[left], &edges[right]);
        if (ybottom >= bottom)
            break;
        if (ybottom >= edges[left].bottom)
            left = before(left);
        if (ybottom >= edges[right].bottom)
            right = after(right);
        ytop = ybottom + 1;
    }
}

template <typename Pixel>
static void fillSides(BITMAP *bmp, const DepthBuffer *depth, const Clip &clip, int colour,
                      Edge *edges, int sides, int first, int top, int bottom)
{
    const Target<Pixel> t = {bmp, is_memory_bitmap(bmp) != 0, depth, clip, pixelOf<Pixel>(colour)};
    fillSides(t, edges, sides, first, top, bottom);
}

// Whether the polygon between these sides, on rows top..bottom, is hidden
// whole: a far building behind a near one. Each side's 1/z, stepped row after
// row, strays from the straight line between its first row's and its last's
// by less than a rounding of the largest a row, and each span's 1/z lies
// between its sides' but for its own roundings (see fillRows); so no pixel's
// is beyond the sides' largest at either end by more than the margin below,
// which is some eight times that. The sides' columns step in whole fixed
// point numbers, so every span lies between the leftmost and rightmost
// column the sides reach at either end. When every run those columns reach
// on every row lies beyond that, no pixel would be filled.
static bool hidden(const DepthBuffer &depth, const Clip &clip, const Edge *edges, int sides,
                   int top, int bottom)
{
    const int64_t rightmost = 0x7FFF0000, leftmost = -0x7FFF0000;
    float high = 0, largest = 0;
    int64_t left = INT64_MAX, right = INT64_MIN;
    for (int i = 0; i < sides; i++) {
        const Edge &e = edges[i];
        int rows = e.bottom - e.top;
        if (rows >= 1 << 16)
            return false;
        float first = e.z, last = e.z + (float)rows * e.dz;
        float size = std::max(fabsf(first), fabsf(last));
        float reach = std::max(first, last) + size * (float)(rows + 8) * (1.0f / (1 << 21));
        if (!(reach == reach && size == size && size < 1e30f))
            return false;  // no number, or none worth the bother
        high = std::max(high, reach), largest = std::max(largest, size);
        int64_t a = e.x, b = e.x + (int64_t)rows * e.dx;
        if (std::min(a, b) < leftmost || std::max(a, b) > rightmost)
            return false;
        left = std::min(left, std::min(a, b)), right = std::max(right, std::max(a, b));
    }
    high += largest * (1.0f / 65536);
    // fixceil, for the numbers the sides can reach
    int from = std::max((int)((left + 0xFFFF) >> 16), clip.left);
    int to = std::min((int)((right + 0xFFFF) >> 16), clip.right);
    if (to <= from)
        return true;
    // the same runs on every row: four at a time, the last four less those past them
    const int first = from >> depthRunShift, runs = ((to - 1) >> depthRunShift) - first + 1;
    const Int4 lane = {0, 1, 2, 3}, past = lane >= (runs & 3);
    const Float4 h = (Float4){} + high;
    const float *row = depth.farthest + top * depth.runs + first;
    for (int y = top; y <= bottom; y++, row += depth.runs) {
        Float4 four;
        int run = 0;
        for (; run + 4 <= runs; run += 4) {
            memcpy(&four, row + run, sizeof four);
            if (!allSet(h <= four))
                return false;
        }
        if (run < runs) {
            memcpy(&four, row + run, sizeof four);
            if (!allSet((h <= four) | past))
                return false;
        }
    }
    return true;
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
    if (sides == 0 || (depth->farthest && hidden(*depth, clip, edges, sides, top, bottom)))
        return;
    acquire_bitmap(bmp);
    switch (bitmap_color_depth(bmp)) {
    case 8:
        fillSides<uint8_t>(bmp, depth, clip, colour, edges, sides, first, top, bottom);
        break;
    case 15:
    case 16:
        fillSides<uint16_t>(bmp, depth, clip, colour, edges, sides, first, top, bottom);
        break;
    case 24:
        fillSides<Pixel24>(bmp, depth, clip, colour, edges, sides, first, top, bottom);
        break;
    default:
        fillSides<uint32_t>(bmp, depth, clip, colour, edges, sides, first, top, bottom);
        break;
    }
    bmp_unwrite_line(bmp);
    release_bitmap(bmp);
}
