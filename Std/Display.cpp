// The player's screen. See Display.h.
#include "Std/Display.h"

#include <allegro.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <vector>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "Std/WindowSystem.h"

static const int windowRoomPercent = 90;  // of the desktop's height: room for the panels

struct Mode {
    int card;         // fullScreenCard() or windowCard(); 0 when none is set
    int w, h;         // the screen (or on Windows the window's inside), pixels
    bool fullScreen;  // the whole screen, else a window
};

struct DisplayState {
    BITMAP *picture = nullptr;  // the game's screen, at its own size
    BITMAP *lastFrame = nullptr;  // the frame shown, not yet copied onto the picture
    ScreenRect shown = {};      // where the picture lies on the screen
    DisplayChoice choice;       // what the player asked for
    Mode mode = {};             // the mode in force
    std::vector<int> column;    // for each column of a scaled row, the picture's column
    int columnFrom = 0;         // the picture width the table was made for
};

static DisplayState display;

// Allegro reports keys, focus and the close button on its input thread, and
// may report a focus change twice: the callbacks only raise flags that the
// game thread takes down.
static std::atomic<bool> switchAsked{false};
static std::atomic<bool> switchDone{false};
static std::atomic<bool> focusWasLost{false};
static std::atomic<bool> closeClicked{false};

// Alt+Enter and F11 belong to the display everywhere: they never reach the
// game's key buffer.
static int onKey(int key)
{
    int scancode = key >> 8;
    bool alt = (key_shifts & KB_ALT_FLAG) || ::key[KEY_ALT] || ::key[KEY_ALTGR];
    if (scancode == KEY_F11 || (alt && (scancode == KEY_ENTER || scancode == KEY_ENTER_PAD))) {
        switchAsked = true;
        return 0;
    }
    return key;
}

static void onSwitchOut()
{
    focusWasLost = true;
}

static void onCloseButton()
{
    closeClicked = true;
}

// The window system also reports the focus moving when the keyboard is
// grabbed or let go (making a full screen grabs it), and when the pointer is
// warped: only a report that leaves the window without the keys counts.
bool focusLost()
{
    return focusWasLost.exchange(false) && !windowHasKeyboard();
}

bool closeButtonPressed()
{
    return closeClicked;
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

int autoWindowScale(int pictureW, int pictureH, int desktopW, int desktopH)
{
    int roomH = desktopH * windowRoomPercent / 100;
    int scale = std::min(desktopW / pictureW, roomH / pictureH);
    return std::max(scale, 1);
}

// Row by row through bmp_write_line, so that the same code serves a memory
// bitmap and Allegro's X screen, which then pushes the rows to the server.
template <typename Pixel>
static void scaleRows(BITMAP *picture, BITMAP *to, ScreenRect where, const int *column)
{
    const Pixel *previous = nullptr;
    int previousRow = -1;
    for (int y = 0; y < where.h; y++) {
        int row = (int)((long)y * picture->h / where.h);
        Pixel *out = (Pixel *)bmp_write_line(to, where.y + y) + where.x;
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

// The screen is far larger than the caches and is not read back, so 32-bit
// rows go out with non-temporal stores, which spare the cache from fetching
// each line of the screen only to overwrite it. A row shown twice is scaled
// twice: the picture's row is still in the cache, where the screen's is not.
template <>
void scaleRows<uint32_t>(BITMAP *picture, BITMAP *to, ScreenRect where, const int *column)
{
    for (int y = 0; y < where.h; y++) {
        int row = (int)((long)y * picture->h / where.h);
        const uint32_t *in = (const uint32_t *)picture->line[row];
        uint32_t *out = (uint32_t *)bmp_write_line(to, where.y + y) + where.x;
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
    _mm_sfence();  // the streamed rows are all out before the screen is shown
#endif
}

struct Pixel24 {
    unsigned char c[3];
};

void scalePicture(BITMAP *picture, BITMAP *to, ScreenRect where)
{
    if ((int)display.column.size() != where.w || display.columnFrom != picture->w) {
        display.column.resize(where.w);
        for (int x = 0; x < where.w; x++)
            display.column[x] = (int)((long)x * picture->w / where.w);
        display.columnFrom = picture->w;
    }
    const int *column = display.column.data();
    acquire_bitmap(to);
    switch (bitmap_color_depth(picture)) {
    case 8:
        scaleRows<uint8_t>(picture, to, where, column);
        break;
    case 15:
    case 16:
        scaleRows<uint16_t>(picture, to, where, column);
        break;
    case 24:
        scaleRows<Pixel24>(picture, to, where, column);
        break;
    default:
        scaleRows<uint32_t>(picture, to, where, column);
        break;
    }
    bmp_unwrite_line(to);
    release_bitmap(to);
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

static void show(BITMAP *picture)
{
    if (!picture || !display.mode.card)
        return;
    ScreenRect r = display.shown;
    if (r.w == picture->w && r.h == picture->h)
        blit(picture, screen, 0, 0, r.x, r.y, r.w, r.h);
    else
        scalePicture(picture, screen, r);
}

void showPicture()
{
    show(display.lastFrame ? display.lastFrame : display.picture);
}

int displayRefreshHz()
{
    static const int assumedHz = 60;  // the common rate, where RandR cannot say
    int hz = displayRefreshRate();
    return hz > 0 ? hz : assumedHz;
}

void presentBitmap(BITMAP *frame)
{
    if (!display.picture)
        return;
    display.lastFrame = frame;
    show(frame);
}

// ---- Modes ----

static bool desktopSize(int &w, int &h)
{
    return get_desktop_resolution(&w, &h) == 0 && w > 0 && h > 0;
}

// A driver may hand back another size than asked for; the picture is placed
// for exactly the requested one, so that counts as a failure. Where the
// window system keeps one mode, the window is only shaped anew over it.
static bool tryMode(Mode m)
{
    if (keepsOneMode() && screen && display.mode.card && m.w <= SCREEN_W && m.h <= SCREEN_H)
        return shapeWindow(m.fullScreen, m.w, m.h);
    display.mode = {};  // whatever happens, the mode that was in force is gone
    Mode set = m;       // the mode asked of Allegro
    if (keepsOneMode()) {  // one for both kinds, the desktop's size, borderless while it is set
        int dw, dh;
        if (desktopSize(dw, dh))
            set.w = std::max(dw, m.w), set.h = std::max(dh, m.h);
        shapeWindow(true, set.w, set.h);
    }
    if (set_gfx_mode(set.card, set.w, set.h, 0, 0) != 0)
        return false;
    if (SCREEN_W == set.w && SCREEN_H == set.h &&
        (!keepsOneMode() || shapeWindow(m.fullScreen, m.w, m.h)))
        return true;
    set_gfx_mode(GFX_TEXT, 0, 0, 0, 0);
    return false;
}

// Setting the switch mode drops the callbacks, and a new screen mode may reset
// them; the game goes on in the background so that it can pause itself.
static void watchWindow()
{
    set_display_switch_mode(SWITCH_BACKGROUND);
    set_display_switch_callback(SWITCH_OUT, onSwitchOut);
    set_close_button_callback(onCloseButton);
    keyboard_callback = onKey;
}

// What the new mode set off (the focus moving to the grab, keys let go) is
// handled before the game goes on, not at some later moment of its loops.
static void useMode(Mode m)
{
    display.mode = m;
    clear_to_color(screen, makecol(0, 0, 0));
    display.shown = fitPicture(display.picture->w, display.picture->h, m.w, m.h);
    watchWindow();
    handleWindowReports();
}

// The modes of one kind, best first: a full screen at the desktop's size, then
// at the picture's; a window of the chosen multiple, then of the picture's size.
static int modesOfKind(bool fullScreen, int windowScale, Mode out[2])
{
    int pw = display.picture->w, ph = display.picture->h, dw, dh, count = 0;
    bool known = desktopSize(dw, dh);
    if (fullScreen) {
        if (known)
            out[count++] = {fullScreenCard(), dw, dh, true};
        out[count++] = {fullScreenCard(), pw, ph, true};
        return count;
    }
    int scale = windowScale >= 1 && windowScale <= largestWindowScale ? windowScale
                : known ? autoWindowScale(pw, ph, dw, dh)
                        : 1;
    out[count++] = {windowCard(), scale * pw, scale * ph, false};
    if (scale != 1)
        out[count++] = {windowCard(), pw, ph, false};
    return count;
}

// The mode in force is kept as it is: a full screen at the desktop's size
// serves both of the game's sizes without a flicker. (Allegro may have let go
// of it meanwhile, at its exit.)
static bool inForce(Mode m)
{
    return screen && m.card == display.mode.card && m.fullScreen == display.mode.fullScreen &&
           m.w == display.mode.w && m.h == display.mode.h;
}

static bool tryKind(bool fullScreen, int windowScale)
{
    Mode modes[2];
    int count = modesOfKind(fullScreen, windowScale, modes);
    for (int i = 0; i < count; i++)
        if (inForce(modes[i]) || tryMode(modes[i])) {
            useMode(modes[i]);
            return true;
        }
    return false;
}

bool openDisplay(int w, int h, DisplayChoice choice)
{
    closeDisplay();
    display.picture = create_bitmap(w, h);
    if (!display.picture) {
        uszprintf(allegro_error, ALLEGRO_ERROR_SIZE, "Not enough memory for a %dx%d picture", w, h);
        return false;
    }
    clear_bitmap(display.picture);
    display.choice = choice;
    if (tryKind(choice.fullScreen, choice.windowScale) ||
        tryKind(!choice.fullScreen, choice.windowScale))
        return true;
    return false;  // tryMode has left no mode in force
}

bool changeDisplay(DisplayChoice choice)
{
    if (!display.picture)
        return false;
    Mode before = display.mode;
    if (tryKind(choice.fullScreen, choice.windowScale)) {
        display.choice = choice;
    } else if (before.card && tryMode(before)) {
        useMode(before);
    } else {
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
    return display.mode.card && display.mode.fullScreen;
}

// ---- The switch ----

bool serveDisplaySwitch()
{
    if (!switchAsked.exchange(false) || !display.mode.card)
        return false;
    DisplayChoice next = display.choice;
    next.fullScreen = !displayFullScreen();
    if (!changeDisplay(next) || displayFullScreen() != next.fullScreen)
        return false;
    switchDone = true;
    return true;
}

bool displaySwitched()
{
    return switchDone.exchange(false);
}

