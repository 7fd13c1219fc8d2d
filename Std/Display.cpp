// The player's screen. See Display.h.
#include "Std/Display.h"

#include <allegro.h>
#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>
#ifdef __SSE2__
#include <emmintrin.h>
#endif
#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

#include "Std/Errors.h"

static const int windowRoomPercent = 90;  // of the desktop's height: room for the panels
static const int assumedHz = 60;          // the common rate, where the system cannot say

struct DisplayState {
    SDL_Window *window = nullptr;
    SDL_Renderer *renderer = nullptr;  // null: the picture goes into the window's surface
    SDL_Texture *texture = nullptr;    // the picture, at its own size
    SDL_Texture *sharp = nullptr;      // the picture at a whole multiple, for Sharp
    int sharpScale = 0;                // that multiple; 0 none made yet
    bool vsync = false;                // the renderer waits for the refresh at each present
    BITMAP *picture = nullptr;         // the game's screen, at its own size
    int classicW = 0, classicH = 0;    // the classic picture's size, which the window is made for
    bool resized = false;              // the picture changed its size since the game last asked
    BITMAP *lastFrame = nullptr;       // the frame shown, not yet copied onto the picture
    DisplayChoice choice;              // what the player asked for
    bool fullScreen = false;           // what is in force
    bool surfaceCleared = false;       // the window surface's black around the picture is drawn
    std::vector<int> column;           // for each column of a scaled row, the picture's column
    int columnFrom = 0, columnTo = 0;  // the picture width and the rect width the table is for
};

static DisplayState display;

// What the input reports; the game thread takes them down when it asks.
static bool switchAsked = false, switchDone = false, focusWasLost = false, closeClicked = false;

static void sdlError(const char *what)
{
    uszprintf(allegro_error, ALLEGRO_ERROR_SIZE, "%s: %s", what, SDL_GetError());
}

// ---- Where the picture goes ----

ScreenRect fitPicture(int pictureW, int pictureH, int screenW, int screenH)
{
    ScreenRect r;
    if ((long)screenW * pictureH <= (long)screenH * pictureW) {  // the width decides
        r.w = screenW;
        r.h = (int)((long)screenW * pictureH / pictureW);
    } else {
        r.h = screenH;
        r.w = (int)((long)screenH * pictureW / pictureH);
    }
    r.x = (screenW - r.w) / 2;
    r.y = (screenH - r.h) / 2;
    return r;
}

static int wholeMultiple(int pictureW, int pictureH, int screenW, int screenH)
{
    return std::min(screenW / pictureW, screenH / pictureH);
}

// Sharp's first step: the smallest whole multiple of the picture that covers
// the rect. Scaled from there down to the rect, each edge between two picture
// pixels is blended over at most one screen pixel (from the largest multiple
// that fits, up to two).
static int sharpMultiple(int pictureW, int pictureH, ScreenRect r)
{
    return std::max((r.w + pictureW - 1) / pictureW, (r.h + pictureH - 1) / pictureH);
}

ScreenRect placePicture(int pictureW, int pictureH, int screenW, int screenH, int scaling)
{
    int k = wholeMultiple(pictureW, pictureH, screenW, screenH);
    if (scaling != ScalePixelPerfect || k < 1)
        return fitPicture(pictureW, pictureH, screenW, screenH);
    ScreenRect r = {0, 0, k * pictureW, k * pictureH};
    r.x = (screenW - r.w) / 2;
    r.y = (screenH - r.h) / 2;
    return r;
}

int autoWindowScale(int pictureW, int pictureH, int desktopW, int desktopH)
{
    int roomH = desktopH * windowRoomPercent / 100;
    int scale = std::min(desktopW / pictureW, roomH / pictureH);
    return std::max(scale, 1);
}

// ---- The game's own scaling, into memory ----

static void makeColumns(int pictureW, int rectW)
{
    if (display.columnFrom == pictureW && display.columnTo == rectW)
        return;
    display.column.resize(rectW);
    for (int x = 0; x < rectW; x++)
        display.column[x] = (int)((long)x * pictureW / rectW);
    display.columnFrom = pictureW, display.columnTo = rectW;
}

template <typename Pixel>
static void scaleRows(BITMAP *picture, uint8_t *to, int pitch, ScreenRect where)
{
    const int *column = display.column.data();
    const Pixel *previous = nullptr;
    int previousRow = -1;
    for (int y = 0; y < where.h; y++) {
        int row = (int)((long)y * picture->h / where.h);
        Pixel *out = (Pixel *)(to + (long)(where.y + y) * pitch) + where.x;
        if (row == previousRow) {  // a row shown twice is copied whole
            memcpy(out, previous, where.w * sizeof(Pixel));
            continue;
        }
        const Pixel *in = (const Pixel *)picture->line[row];
        for (int x = 0; x < where.w; x++)
            out[x] = in[column[x]];
        previous = out, previousRow = row;
    }
}

// The window's pixels are far larger than the caches and are not read back,
// so 32-bit rows go out with non-temporal stores, which spare the cache from
// fetching each line only to overwrite it. A row shown twice is scaled twice:
// the picture's row is still in the cache, where the window's is not.
template <>
void scaleRows<uint32_t>(BITMAP *picture, uint8_t *to, int pitch, ScreenRect where)
{
    const int *column = display.column.data();
    for (int y = 0; y < where.h; y++) {
        int row = (int)((long)y * picture->h / where.h);
        const uint32_t *in = (const uint32_t *)picture->line[row];
        uint32_t *out = (uint32_t *)(to + (long)(where.y + y) * pitch) + where.x;
        int x = 0;
#ifdef __SSE2__
        for (; x < where.w && ((uintptr_t)(out + x) & 15); x++)
            out[x] = in[column[x]];
        for (; x + 4 <= where.w; x += 4)
            _mm_stream_si128((__m128i *)(out + x),
                             _mm_setr_epi32((int)in[column[x]], (int)in[column[x + 1]],
                                            (int)in[column[x + 2]], (int)in[column[x + 3]]));
#endif
        for (; x < where.w; x++)
            out[x] = in[column[x]];
    }
#ifdef __SSE2__
    _mm_sfence();  // the streamed rows are all out before the window is shown
#endif
}

static void scaleInto(BITMAP *picture, uint8_t *to, int pitch, ScreenRect where)
{
    if (where.w == picture->w && where.h == picture->h) {  // the picture as it is: its rows copied
        size_t bytesPerPixel = (bitmap_color_depth(picture) + 7) / 8;
        for (int y = 0; y < where.h; y++)
            memcpy(to + (long)(where.y + y) * pitch + where.x * bytesPerPixel, picture->line[y],
                   picture->w * bytesPerPixel);
        return;
    }
    makeColumns(picture->w, where.w);
    if (bitmap_color_depth(picture) == 32)
        scaleRows<uint32_t>(picture, to, pitch, where);
    else
        scaleRows<uint16_t>(picture, to, pitch, where);
}

// ---- Smooth and Sharp, into memory ----

// Each pixel of a filtered row or column is a blend of two neighbours of the
// picture: the first, the second (the first again or the one after it) and
// the second's share out of 256.
struct Blend {
    int a, b, share;
};

static const int blendWhole = 256;

// Where each of to pixels samples a line of from pixels, as a picture first
// made k times larger by repeating pixels and then scaled linearly would
// (k 1: linear all the way): pixel centres on pixel centres.
static void makeBlends(std::vector<Blend> &blends, int from, int to, int k)
{
    blends.resize(to);
    long larger = (long)k * from;
    for (int i = 0; i < to; i++) {
        // q = (i + 1/2) * larger / to - 1/2, in 256ths
        long q = ((2L * i + 1) * larger * blendWhole / to - blendWhole) / 2;
        long j = q < 0 ? 0 : q / blendWhole;
        int share = q < 0 ? 0 : (int)(q % blendWhole);
        if (j >= larger - 1)
            j = larger - 1, share = 0;
        Blend &b = blends[i];
        b.a = (int)(j / k);
        b.b = (int)((j + 1) / k < from ? (j + 1) / k : from - 1);
        b.share = b.a == b.b ? 0 : share;
    }
}

static inline uint32_t mix(uint32_t p, uint32_t q, int share)
{
    uint32_t keep = blendWhole - share;
    uint32_t rb = ((p & 0xFF00FF) * keep + (q & 0xFF00FF) * share) >> 8;
    uint32_t g = ((p & 0x00FF00) * keep + (q & 0x00FF00) * share) >> 8;
    return (rb & 0xFF00FF) | (g & 0x00FF00);
}

static inline uint16_t mix(uint16_t p, uint16_t q, int share)
{
    const uint32_t spread = 0x07E0F81F;  // 565 with green moved clear of red and blue
    uint32_t a = (p | (uint32_t)p << 16) & spread, b = (q | (uint32_t)q << 16) & spread;
    int s = share >> 3;  // out of 32: the products stay inside each field
    uint32_t m = ((a * (32 - s) + b * s) >> 5) & spread;
    return (uint16_t)(m | m >> 16);
}

struct Filtered {
    std::vector<Blend> columns, rows;
    int fromW = 0, fromH = 0, toW = 0, toH = 0, k = 0;
    std::vector<uint8_t> lines[2];  // two picture rows filtered across, and which
    int lineRow[2] = {-1, -1};
#ifdef __SSE2__
    std::vector<uint64_t> wide;         // a 32-bit picture row, 16 bits a channel
    std::vector<int16_t> columnShares;  // each column's share in 128ths, in all four lanes
#endif
};

static Filtered filtered;

template <typename Pixel>
static void blendRow(const Pixel *in, int, Pixel *out, int w)
{
    const Blend *columns = filtered.columns.data();
    for (int x = 0; x < w; x++) {
        const Blend &c = columns[x];
        out[x] = c.share ? mix(in[c.a], in[c.b], c.share) : in[c.a];
    }
}

template <typename Pixel>
static void blendRows(const Pixel *above, const Pixel *below, Pixel *out, int share, int w)
{
    for (int x = 0; x < w; x++)
        out[x] = mix(above[x], below[x], share);
}

#ifdef __SSE2__
// 32-bit pixels with SSE2. Each channel is widened to 16 bits and moves by
// (to - from) x share, the share in 128ths so that the product still fits
// 16 bits: one multiply a channel.
static const int wideWhole = 128;

static short wideShare(int share)
{
    return (short)((share * wideWhole + blendWhole / 2) / blendWhole);
}

static inline __m128i towards(__m128i from, __m128i to, __m128i share)
{
    return _mm_add_epi16(from, _mm_srai_epi16(_mm_mullo_epi16(_mm_sub_epi16(to, from), share), 7));
}

static void makeColumnShares()
{
    const std::vector<Blend> &c = filtered.columns;
    filtered.columnShares.resize(c.size() * 4);
    for (size_t x = 0; x < c.size(); x++)
        for (int lane = 0; lane < 4; lane++)
            filtered.columnShares[x * 4 + lane] = wideShare(c[x].share);
}

// The row is widened once; then each pixel out is one 128-bit load of the two
// pixels it lies between (the second is the next one, or no share of it),
// and each two pixels one blend.
template <>
void blendRow<uint32_t>(const uint32_t *in, int fromW, uint32_t *out, int w)
{
    filtered.wide.resize(fromW + 1);  // one past the end: the second of the last, unshared
    uint64_t *wide = filtered.wide.data();
    const __m128i zero = _mm_setzero_si128();
    int i = 0;
    for (; i + 4 <= fromW; i += 4) {
        __m128i p = _mm_loadu_si128((const __m128i *)(in + i));
        _mm_storeu_si128((__m128i *)(wide + i), _mm_unpacklo_epi8(p, zero));
        _mm_storeu_si128((__m128i *)(wide + i + 2), _mm_unpackhi_epi8(p, zero));
    }
    for (; i < fromW; i++)
        _mm_storel_epi64((__m128i *)(wide + i),
                         _mm_unpacklo_epi8(_mm_cvtsi32_si128((int)in[i]), zero));
    wide[fromW] = 0;
    const Blend *c = filtered.columns.data();
    const int16_t *shares = filtered.columnShares.data();
    auto two = [&](int x) {
        __m128i l = _mm_loadu_si128((const __m128i *)(wide + c[x].a));
        __m128i r = _mm_loadu_si128((const __m128i *)(wide + c[x + 1].a));
        return towards(_mm_unpacklo_epi64(l, r), _mm_unpackhi_epi64(l, r),
                       _mm_loadu_si128((const __m128i *)(shares + x * 4)));
    };
    int x = 0;
    for (; x + 4 <= w; x += 4)
        _mm_storeu_si128((__m128i *)(out + x), _mm_packus_epi16(two(x), two(x + 2)));
    for (; x < w; x++)
        out[x] = c[x].share ? mix(in[c[x].a], in[c[x].b], c[x].share) : in[c[x].a];
}

template <>
void blendRows<uint32_t>(const uint32_t *above, const uint32_t *below, uint32_t *out, int share,
                         int w)
{
    const __m128i s = _mm_set1_epi16(wideShare(share)), zero = _mm_setzero_si128();
    int x = 0;
    for (; x + 4 <= w; x += 4) {
        __m128i a = _mm_loadu_si128((const __m128i *)(above + x));
        __m128i b = _mm_loadu_si128((const __m128i *)(below + x));
        __m128i lo = towards(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(b, zero), s);
        __m128i hi = towards(_mm_unpackhi_epi8(a, zero), _mm_unpackhi_epi8(b, zero), s);
        _mm_storeu_si128((__m128i *)(out + x), _mm_packus_epi16(lo, hi));
    }
    for (; x < w; x++)
        out[x] = mix(above[x], below[x], share);
}
#else
static void makeColumnShares()
{
}
#endif

template <typename Pixel>
static const Pixel *filteredLine(BITMAP *picture, int row, int w)
{
    for (int i = 0; i < 2; i++)
        if (filtered.lineRow[i] == row)
            return (const Pixel *)filtered.lines[i].data();
    int slot = filtered.lineRow[0] == row - 1 ? 1 : 0;  // keep the row above
    filtered.lines[slot].resize(w * sizeof(Pixel));
    blendRow((const Pixel *)picture->line[row], picture->w, (Pixel *)filtered.lines[slot].data(),
             w);
    filtered.lineRow[slot] = row;
    return (const Pixel *)filtered.lines[slot].data();
}

template <typename Pixel>
static void filterRows(BITMAP *picture, uint8_t *to, int pitch, ScreenRect where)
{
    filtered.lineRow[0] = filtered.lineRow[1] = -1;
    for (int y = 0; y < where.h; y++) {
        const Blend &r = filtered.rows[y];
        Pixel *out = (Pixel *)(to + (long)(where.y + y) * pitch) + where.x;
        const Pixel *above = filteredLine<Pixel>(picture, r.a, where.w);
        if (!r.share) {
            memcpy(out, above, where.w * sizeof(Pixel));
            continue;
        }
        const Pixel *below = filteredLine<Pixel>(picture, r.b, where.w);  // above stays
        blendRows(above, below, out, r.share, where.w);
    }
}

// Smooth (k 1) or Sharp (k the smallest whole multiple that covers the rect) scaling of
// the picture into the rect where of a memory bitmap or the window's pixels.
static void filterInto(BITMAP *picture, uint8_t *to, int pitch, ScreenRect where, int k)
{
    Filtered &f = filtered;
    if (f.fromW != picture->w || f.fromH != picture->h || f.toW != where.w || f.toH != where.h ||
        f.k != k) {
        makeBlends(f.columns, picture->w, where.w, k);
        makeBlends(f.rows, picture->h, where.h, k);
        makeColumnShares();
        f.fromW = picture->w, f.fromH = picture->h, f.toW = where.w, f.toH = where.h, f.k = k;
    }
    if (bitmap_color_depth(picture) == 32)
        filterRows<uint32_t>(picture, to, pitch, where);
    else
        filterRows<uint16_t>(picture, to, pitch, where);
}

// The picture into where, as the scaling asks: a whole multiple of it (or the
// picture's own size) by repeating pixels; else Sharp or Smooth.
static void scaleFor(BITMAP *picture, uint8_t *to, int pitch, ScreenRect where, int scaling)
{
    int k = std::min(where.w / picture->w, where.h / picture->h);
    bool whole = where.w == k * picture->w && where.h == k * picture->h;
    if (whole || scaling == ScalePixelPerfect)
        scaleInto(picture, to, pitch, where);
    else
        filterInto(picture, to, pitch, where,
                   scaling == ScaleSharp ? sharpMultiple(picture->w, picture->h, where) : 1);
}

static int pitchOf(BITMAP *b)
{
    return b->h > 1 ? (int)((uint8_t *)b->line[1] - (uint8_t *)b->line[0])
                    : b->w * ((bitmap_color_depth(b) + 7) / 8);
}

void scalePicture(BITMAP *picture, BITMAP *to, ScreenRect where)
{
    scaleInto(picture, (uint8_t *)to->line[0], pitchOf(to), where);
}

void scalePictureAs(BITMAP *picture, BITMAP *to, ScreenRect where, int scaling)
{
    scaleFor(picture, (uint8_t *)to->line[0], pitchOf(to), where, scaling);
}

#ifdef __EMSCRIPTEN__
// The browser shows what was drawn in the canvas once the page hands it back
// its turn, at the monitor's next refresh: a program that waits where it is
// (Asyncify, as the game) waits for that in the present; one that the
// browser calls at each of its frames returns to it instead.
EM_ASYNC_JS(void, waitForAnimationFrame, (), {
    await new Promise(function(shown) { requestAnimationFrame(shown); });
});

static void waitForRefresh()
{
    if (emscripten_has_asyncify())
        waitForAnimationFrame();
}
#else
static void waitForRefresh() {}  // SDL's present waits itself, when it is in step
#endif

// ---- Starting ----

bool startDisplay()
{
    SDL_SetMainReady();
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");  // the game's own stay in charge
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");  // a lost focus pauses instead
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        sdlError("No display");
        return false;
    }
    // Where neither X nor Wayland answers, SDL falls back on a window in
    // memory that nobody sees: that is no display, unless it was asked for.
    const char *driver = SDL_GetCurrentVideoDriver(), *asked = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    bool unseen = driver && (!strcmp(driver, "offscreen") || !strcmp(driver, "dummy"));
    if (unseen && (!asked || !*asked)) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        uszprintf(allegro_error, ALLEGRO_ERROR_SIZE, "No display: none to be had");
        return false;
    }
    // Allegro's colours as the screen's: red high, blue low (XRGB8888, RGB565).
    _rgb_r_shift_32 = 16, _rgb_g_shift_32 = 8, _rgb_b_shift_32 = 0;
    _rgb_r_shift_24 = 16, _rgb_g_shift_24 = 8, _rgb_b_shift_24 = 0;
    _rgb_r_shift_16 = 11, _rgb_g_shift_16 = 5, _rgb_b_shift_16 = 0;
    _rgb_r_shift_15 = 10, _rgb_g_shift_15 = 5, _rgb_b_shift_15 = 0;
    return true;
}

int desktopColourDepth()
{
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) == 0 && SDL_BITSPERPIXEL(mode.format) <= 16)
        return 16;
    return 32;
}

static void dropTextures()
{
    if (display.texture)
        SDL_DestroyTexture(display.texture);
    if (display.sharp)
        SDL_DestroyTexture(display.sharp);
    display.texture = display.sharp = nullptr;
    display.sharpScale = 0;
}

static void dropRenderer()
{
    dropTextures();
    if (display.renderer)
        SDL_DestroyRenderer(display.renderer);
    display.renderer = nullptr;
    display.vsync = false;
}

void stopDisplay()
{
    closeDisplay();
    dropRenderer();
    if (display.window)
        SDL_DestroyWindow(display.window);
    display.window = nullptr;
    if (SDL_WasInit(SDL_INIT_VIDEO))
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

// ---- The present paths ----

// Whether the renderer's GL draws on the CPU (Mesa's llvmpipe and softpipe,
// as in a machine or virtual machine without a GPU): scaling into the
// window's own pixels then costs a fraction of what GL's scaling does.
static bool softwareGl(SDL_Renderer *renderer)
{
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(renderer, &info) != 0)
        return false;
    if (info.flags & SDL_RENDERER_SOFTWARE)
        return true;
    if (strncmp(info.name, "opengl", 6) != 0)
        return false;
    typedef const unsigned char *(*GetString)(unsigned);
    GetString getString = (GetString)SDL_GL_GetProcAddress("glGetString");
    const unsigned glRenderer = 0x1F01;
    const char *name = getString ? (const char *)getString(glRenderer) : nullptr;
    return name && (strstr(name, "llvmpipe") || strstr(name, "softpipe") ||
                    strstr(name, "Software") || strstr(name, "swrast"));
}

// Whether the window's own pixels can be had for the CPU to write (X and
// Windows give them; Wayland's SDL has none).
static bool windowSurfaceWorks()
{
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_GetWindowSurface(display.window))
        return true;
    SDL_ResetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION);
    return false;
}

// A renderer that scales on a GPU where SDL can give one, unless
// SDL_RENDER_DRIVER names one: then that one, whatever it is. Where the only
// GL draws on the CPU, or SDL_FRAMEBUFFER_ACCELERATION is 0, the window's own
// pixels, if they can be had.
static void chooseRenderer(bool vsync)
{
    dropRenderer();
    display.surfaceCleared = false;
    const char *cpu = SDL_GetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION);
    if (cpu && !strcmp(cpu, "0") && windowSurfaceWorks())
        return;  // asked for (or found best before): the CPU scales
    Uint32 flags = SDL_RENDERER_ACCELERATED | (vsync ? SDL_RENDERER_PRESENTVSYNC : 0);
    SDL_Renderer *renderer = SDL_CreateRenderer(display.window, -1, flags);
    const char *asked = SDL_GetHint(SDL_HINT_RENDER_DRIVER);
    if (renderer && (!asked || !*asked) && softwareGl(renderer)) {
        SDL_DestroyRenderer(renderer);
        if (windowSurfaceWorks())
            return;
        renderer = SDL_CreateRenderer(display.window, -1, flags);
    }
    if (!renderer) {
        logError(__LINE__, __FILE__, SevWarning,
                 "No accelerated renderer (%s): the picture is scaled on the CPU", SDL_GetError());
        if (windowSurfaceWorks())
            return;
        renderer = SDL_CreateRenderer(display.window, -1, SDL_RENDERER_SOFTWARE);
        if (!renderer)
            return;
    }
    SDL_RendererInfo info;
    SDL_GetRendererInfo(renderer, &info);
    display.renderer = renderer;
    display.vsync = (info.flags & SDL_RENDERER_PRESENTVSYNC) != 0;
}

static Uint32 textureFormat()
{
    return bitmap_color_depth(display.picture) == 16 ? SDL_PIXELFORMAT_RGB565
                                                      : SDL_PIXELFORMAT_RGB888;
}

static bool makeTexture()
{
    dropTextures();
    if (!display.renderer || !display.picture)
        return true;
    display.texture = SDL_CreateTexture(display.renderer, textureFormat(),
                                        SDL_TEXTUREACCESS_STREAMING, display.picture->w,
                                        display.picture->h);
    return display.texture != nullptr;
}

static ScreenRect rectIn(int screenW, int screenH)
{
    return placePicture(display.picture->w, display.picture->h, screenW, screenH,
                        display.choice.scaling);
}

// Sharp: the picture goes nearest to a whole multiple first, then smooth to
// its size, so that its pixels stay square and even.
static SDL_Texture *sharpSource(SDL_Texture *texture, ScreenRect r)
{
    int pw = display.picture->w, ph = display.picture->h;
    int k = sharpMultiple(pw, ph, r);
    if (k <= 1 || (r.w == k * pw && r.h == k * ph))
        return texture;
    if (display.sharpScale != k) {
        if (display.sharp)
            SDL_DestroyTexture(display.sharp);
        display.sharp = SDL_CreateTexture(display.renderer, textureFormat(),
                                          SDL_TEXTUREACCESS_TARGET, k * pw, k * ph);
        display.sharpScale = display.sharp ? k : 0;
        if (!display.sharp)
            return texture;
        SDL_SetTextureScaleMode(display.sharp, SDL_ScaleModeLinear);
    }
    SDL_SetTextureScaleMode(texture, SDL_ScaleModeNearest);
    if (SDL_SetRenderTarget(display.renderer, display.sharp) != 0)
        return texture;
    SDL_RenderCopy(display.renderer, texture, nullptr, nullptr);
    SDL_SetRenderTarget(display.renderer, nullptr);
    return display.sharp;
}

static void showThroughRenderer(BITMAP *picture)
{
    if (!display.texture)
        return;
    SDL_UpdateTexture(display.texture, nullptr, picture->line[0], pitchOf(picture));
    int w, h;
    SDL_GetRendererOutputSize(display.renderer, &w, &h);
    ScreenRect r = rectIn(w, h);
    SDL_Texture *source = display.texture;
    bool whole = r.w % picture->w == 0 && r.h % picture->h == 0;
    if (display.choice.scaling == ScaleSharp)
        source = sharpSource(display.texture, r);
    if (source == display.texture)
        SDL_SetTextureScaleMode(display.texture, whole || display.choice.scaling ==
                                ScalePixelPerfect ? SDL_ScaleModeNearest : SDL_ScaleModeLinear);
    SDL_SetRenderDrawColor(display.renderer, 0, 0, 0, 255);
    SDL_RenderClear(display.renderer);
    SDL_Rect to = {r.x, r.y, r.w, r.h};
    SDL_RenderCopy(display.renderer, source, nullptr, &to);
    SDL_RenderPresent(display.renderer);
    waitForRefresh();
}

// Into the window's own pixels, by the game's scaler where the window is of
// the picture's depth; else SDL converts.
static void showThroughSurface(BITMAP *picture)
{
    SDL_Surface *surface = SDL_GetWindowSurface(display.window);
    if (!surface)
        return;
    ScreenRect r = rectIn(surface->w, surface->h);
    SDL_Rect shown = {r.x, r.y, r.w, r.h};
    bool fresh = !display.surfaceCleared;
    if (fresh) {
        SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));
        display.surfaceCleared = true;
    }
    int depth = bitmap_color_depth(picture);
    bool same = surface->format->format == textureFormat() && (depth == 32 || depth == 16);
    if (same) {
        if (SDL_MUSTLOCK(surface))
            SDL_LockSurface(surface);
        scaleFor(picture, (uint8_t *)surface->pixels, surface->pitch, r, display.choice.scaling);
        if (SDL_MUSTLOCK(surface))
            SDL_UnlockSurface(surface);
    } else {
        SDL_Surface *from = SDL_CreateRGBSurfaceWithFormatFrom(
            picture->line[0], picture->w, picture->h, depth, pitchOf(picture), textureFormat());
        if (!from)
            return;
        SDL_BlitScaled(from, nullptr, surface, &shown);
        SDL_FreeSurface(from);
    }
    // The black around the picture is put once, after a change; then only the picture.
    if (fresh)
        SDL_UpdateWindowSurface(display.window);
    else
        SDL_UpdateWindowSurfaceRects(display.window, &shown, 1);
}

static void show(BITMAP *picture)
{
    if (!picture || !display.window)
        return;
    if (display.renderer)
        showThroughRenderer(picture);
    else
        showThroughSurface(picture);
}

// ---- Showing it ----

// A frame shown is copied onto the picture only when something is to be drawn
// over it: the frame loop's frames go to the screen at once. The frame stays
// as it was until the next present, as the back buffer does.
BITMAP *displayPicture()
{
    if (display.lastFrame && display.picture)
        blit(display.lastFrame, display.picture, 0, 0, 0, 0, display.picture->w,
             display.picture->h);
    display.lastFrame = nullptr;
    return display.picture;
}

BITMAP *shownPicture()
{
    return display.lastFrame ? display.lastFrame : display.picture;
}

void pictureSize(int *w, int *h)
{
    *w = display.picture ? display.picture->w : display.classicW;
    *h = display.picture ? display.picture->h : display.classicH;
}

void showPicture()
{
    show(display.lastFrame ? display.lastFrame : display.picture);
}

void presentBitmap(BITMAP *frame)
{
    if (!display.picture || frame->w != display.picture->w || frame->h != display.picture->h)
        return;
    display.lastFrame = frame;
    show(frame);
}

int displayRefreshHz()
{
    int index = display.window ? SDL_GetWindowDisplayIndex(display.window) : 0;
    SDL_DisplayMode mode;
    if (SDL_GetCurrentDisplayMode(index < 0 ? 0 : index, &mode) == 0 && mode.refresh_rate > 0)
        return mode.refresh_rate;
    return assumedHz;
}

bool presentsInStep()
{
    return display.renderer && display.vsync;
}

const char *presentPath()
{
    SDL_RendererInfo info;
    if (display.renderer && SDL_GetRendererInfo(display.renderer, &info) == 0)
        return info.name;
    return "window surface";
}

// ---- The window ----

static void windowSize(int &w, int &h)
{
    int pw = display.classicW, ph = display.classicH;
    int scale = display.choice.windowScale;
    if (scale < 1 || scale > largestWindowScale) {
        SDL_Rect usable;
        int index = display.window ? SDL_GetWindowDisplayIndex(display.window) : 0;
        scale = SDL_GetDisplayUsableBounds(index < 0 ? 0 : index, &usable) == 0
                    ? autoWindowScale(pw, ph, usable.w, usable.h)
                    : 1;
    }
    w = scale * pw, h = scale * ph;
}

// The screen the window is on, in the desktop's coordinates.
static bool screenBounds(SDL_Rect &bounds)
{
    int index = display.window ? SDL_GetWindowDisplayIndex(display.window) : 0;
    return SDL_GetDisplayBounds(index < 0 ? 0 : index, &bounds) == 0;
}

// The window as the choice asks, made the first time. A full screen is also
// given the screen's size and place by hand: without a window manager, X
// leaves the window as it was.
static bool shapeWindow(bool fullScreen)
{
    int w, h;
    windowSize(w, h);
    SDL_Rect screen;
    bool known = screenBounds(screen);
    if (!display.window) {
#ifdef __EMSCRIPTEN__
        // A page's window is its canvas, as large as the page: the browser
        // goes full screen only when the player asks, by a key or a click.
        fullScreen = false;
#endif
        Uint32 flags = SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI |
                       (fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
        int x = SDL_WINDOWPOS_CENTERED, y = SDL_WINDOWPOS_CENTERED;
        if (fullScreen && known)
            x = screen.x, y = screen.y, w = screen.w, h = screen.h;
        display.window = SDL_CreateWindow("Zephyrion", x, y, w, h, flags);
        if (!display.window) {
            sdlError("No window");
            return false;
        }
        display.fullScreen = fullScreen;
        SDL_ShowCursor(SDL_DISABLE);  // the game draws no pointer of its own over its picture
        chooseRenderer(display.choice.vsync);
        return true;
    }
#ifdef __EMSCRIPTEN__
    if (fullScreen == display.fullScreen)
        return true;  // the canvas stays as the page has it
#endif
    if (fullScreen && known) {
        SDL_SetWindowPosition(display.window, screen.x, screen.y);
        SDL_SetWindowSize(display.window, screen.w, screen.h);
    }
    if (SDL_SetWindowFullscreen(display.window, fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0)) {
        sdlError(fullScreen ? "No full screen" : "No window");
        return false;
    }
#ifndef __EMSCRIPTEN__  // a page's canvas keeps the page's size
    if (!fullScreen) {  // without a window manager the window keeps the screen's size
        SDL_SetWindowSize(display.window, w, h);
        SDL_SetWindowPosition(display.window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    }
#endif
    display.fullScreen = fullScreen;
    display.surfaceCleared = false;
    return true;
}

void choosePictureSize(int classicW, int classicH, int screenW, int screenH, bool widescreen,
                       int resolution, int *w, int *h)
{
    int lines = resolution == ResolutionScreen ? screenH : classicH * resolution;
    if (lines < 1 || resolution < 0 || resolution >= resolutionCount)
        lines = classicH;
    int width = lines * classicW / classicH;
    if (widescreen && (int64_t)screenW * classicH > (int64_t)screenH * classicW)
        width = (int)(((int64_t)lines * screenW + screenH / 2) / screenH);
    *w = width, *h = lines;
}

static void screenSize(int &w, int &h)
{
    w = display.classicW, h = display.classicH;
    if (display.renderer)
        SDL_GetRendererOutputSize(display.renderer, &w, &h);
    else if (display.window)
        SDL_GetWindowSizeInPixels(display.window, &w, &h);
}

// The picture takes the size the choice makes of the screen as it now is.
// What it showed is kept, fitted to the new size, until the game draws anew.
// False when there is no memory for it; the picture then stays as it was.
static bool fitPictureToScreen()
{
    int sw, sh, w, h;
    screenSize(sw, sh);
    choosePictureSize(display.classicW, display.classicH, sw, sh, display.choice.widescreen,
                      display.choice.resolution, &w, &h);
    BITMAP *old = display.picture;
    if (old && old->w == w && old->h == h)
        return true;
    BITMAP *picture = create_bitmap(w, h);
    if (!picture) {
        uszprintf(allegro_error, ALLEGRO_ERROR_SIZE, "Not enough memory for a %dx%d picture", w, h);
        return false;
    }
    clear_bitmap(picture);
    if (old) {
        BITMAP *shown = display.lastFrame ? display.lastFrame : old;
        ScreenRect r = fitPicture(shown->w, shown->h, w, h);
        stretch_blit(shown, picture, 0, 0, shown->w, shown->h, r.x, r.y, r.w, r.h);
        destroy_bitmap(old);
    }
    display.picture = picture;
    display.lastFrame = nullptr;
    display.resized = old != nullptr;
    display.surfaceCleared = false;
    if (makeTexture())
        return true;
    sdlError("No texture for the picture");
    return false;
}

bool pictureResized()
{
    bool resized = display.resized;
    display.resized = false;
    return resized;
}

// The window's new state is known before the game goes on: a focus that a
// new full screen moved about is asked after as it now stands.
static void settle()
{
    SDL_PumpEvents();
    display.surfaceCleared = false;
}

bool openDisplay(int w, int h, DisplayChoice choice)
{
    closeDisplay();
    display.classicW = w, display.classicH = h;
    bool vsyncChanged = display.window && choice.vsync != display.choice.vsync;
    display.choice = choice;
    bool firstTime = !display.window;
    if (!shapeWindow(choice.fullScreen) && (firstTime || !shapeWindow(!choice.fullScreen)))
        return false;
    if (vsyncChanged && !firstTime)
        chooseRenderer(choice.vsync);
    settle();
    if (!fitPictureToScreen() || (display.renderer && !display.texture && !makeTexture())) {
        closeDisplay();
        return false;
    }
    return true;
}

bool changeDisplay(DisplayChoice choice)
{
    if (!display.picture || !display.window)
        return false;
    DisplayChoice before = display.choice;
    display.choice = choice;
    if (!shapeWindow(choice.fullScreen))
        display.choice.fullScreen = display.fullScreen;  // the kind in force stays
    if (choice.vsync != before.vsync && display.renderer)
        chooseRenderer(choice.vsync);
    settle();
    if (!fitPictureToScreen()) {  // too large for the memory: the picture's shape stays
        display.choice.widescreen = before.widescreen;
        display.choice.resolution = before.resolution;
    }
    if (display.renderer && !display.texture && !makeTexture()) {
        sdlError("No texture for the picture");
        closeClicked = true;  // nothing left to show the game on: it ends as by the close button
        return false;
    }
    showPicture();
    return true;
}

void closeDisplay()
{
    if (display.picture)
        destroy_bitmap(display.picture);
    display.picture = display.lastFrame = nullptr;
}

bool displayOpen()
{
    return display.picture != nullptr;
}

DisplayChoice displayChoice()
{
    return display.choice;
}

bool displayFullScreen()
{
    return display.window && display.fullScreen;
}

// ---- What the window system reports ----

void askDisplaySwitch()
{
    switchAsked = true;
}

void noteFocusLost()
{
    focusWasLost = true;
}

void noteCloseButton()
{
    closeClicked = true;
}

void noteWindowChanged()
{
    display.surfaceCleared = false;
    if (display.picture)
        fitPictureToScreen();
    showPicture();
}

bool focusLost()
{
    bool lost = focusWasLost;
    focusWasLost = false;
    return lost && display.window &&
           !(SDL_GetWindowFlags(display.window) & SDL_WINDOW_INPUT_FOCUS);
}

bool closeButtonPressed()
{
    return closeClicked;
}

bool serveDisplaySwitch()
{
    if (!switchAsked || !display.picture)
        return false;
    switchAsked = false;
    DisplayChoice next = display.choice;
    next.fullScreen = !displayFullScreen();
    if (!changeDisplay(next) || displayFullScreen() != next.fullScreen)
        return false;
    switchDone = true;
    return true;
}

bool displaySwitched()
{
    bool done = switchDone;
    switchDone = false;
    return done;
}
