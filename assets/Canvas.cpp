// Drawing helpers for the game's art. See Canvas.h.
#include "Canvas.h"

#include <loadpng.h>

#include <cmath>
#include <vector>

static const float pi = 3.14159265f;
static const Rgb mask = {255, 0, 255};
static const int subsamples = 4;  // along each axis, for every pixel of the art
static int artSize = 1;

void setArtSize(int size)
{
    artSize = size;
}

Rgb mix(Rgb a, Rgb b, float t)
{
    t = t < 0 ? 0 : t > 1 ? 1 : t;
    return {(int)lroundf(a.r + (b.r - a.r) * t), (int)lroundf(a.g + (b.g - a.g) * t),
            (int)lroundf(a.b + (b.b - a.b) * t)};
}

int colour(Rgb c)
{
    return makecol32(c.r, c.g, c.b);
}

Canvas beginCanvas(int w, int h, Rgb fill, TtfFont *font)
{
    Canvas c;
    c.size = artSize;
    c.scale = subsamples * artSize;
    c.hi = create_bitmap_ex(32, w * c.scale, h * c.scale);
    c.font = font;
    clear_to_color(c.hi, colour(fill));
    return c;
}

// Each picture pixel is the mean of its subsamples. In a sprite, a pixel that is
// mostly mask stays mask, and the others average only their non-mask samples.
BITMAP *finishCanvas(Canvas &c, bool sprite)
{
    int s = subsamples, w = c.hi->w / s, h = c.hi->h / s;
    BITMAP *out = create_bitmap_ex(24, w, h);
    int maskColour = colour(mask);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            int r = 0, g = 0, b = 0, n = 0;
            for (int j = 0; j < s; j++)
                for (int i = 0; i < s; i++) {
                    int p = getpixel(c.hi, x * s + i, y * s + j);
                    if (sprite && p == maskColour)
                        continue;
                    r += getr32(p), g += getg32(p), b += getb32(p), n++;
                }
            if (sprite && n * 2 < s * s) {
                putpixel(out, x, y, makecol24(mask.r, mask.g, mask.b));
                continue;
            }
            r /= n, g /= n, b /= n;
            if (r == mask.r && g == mask.g && b == mask.b)
                g = 1;  // an opaque pixel never reads as the mask
            putpixel(out, x, y, makecol24(r, g, b));
        }
    destroy_bitmap(c.hi);
    c.hi = nullptr;
    return out;
}

bool savePicture(BITMAP *picture, const std::string &path)
{
    bool saved = save_png(path.c_str(), picture, nullptr) == 0;
    destroy_bitmap(picture);
    return saved;
}

static int px(const Canvas &c, float v)
{
    return (int)lroundf(v * c.scale);
}

void disc(Canvas &c, float x, float y, float r, Rgb col)
{
    circlefill(c.hi, px(c, x), px(c, y), px(c, r), colour(col));
}

void ring(Canvas &c, float x, float y, float r0, float r1, Rgb col)
{
    // Filled annulus, one scanline at a time.
    float s = c.scale;
    int top = (int)floorf((y - r1) * s), bottom = (int)ceilf((y + r1) * s);
    for (int row = top; row <= bottom; row++) {
        float dy = (row + 0.5f) / s - y;
        if (fabsf(dy) > r1)
            continue;
        float outer = sqrtf(r1 * r1 - dy * dy);
        float inner = fabsf(dy) < r0 ? sqrtf(r0 * r0 - dy * dy) : 0;
        int cl = colour(col);
        if (inner == 0) {
            hline(c.hi, px(c, x - outer), row, px(c, x + outer), cl);
        } else {
            hline(c.hi, px(c, x - outer), row, px(c, x - inner), cl);
            hline(c.hi, px(c, x + inner), row, px(c, x + outer), cl);
        }
    }
}

void box(Canvas &c, float x0, float y0, float x1, float y1, Rgb col)
{
    rectfill(c.hi, px(c, x0), px(c, y0), px(c, x1) - 1, px(c, y1) - 1, colour(col));
}

void verticalGradient(Canvas &c, float x0, float y0, float x1, float y1, Rgb top, Rgb bottom)
{
    int r0 = px(c, y0), r1 = px(c, y1);
    for (int row = r0; row < r1; row++)
        hline(c.hi, px(c, x0), row, px(c, x1) - 1,
              colour(mix(top, bottom, (float)(row - r0) / (r1 - r0 - 1 > 0 ? r1 - r0 - 1 : 1))));
}

void radialShade(Canvas &c, float x, float y, float r, Rgb centre, Rgb edge)
{
    for (float rr = r; rr > 0; rr -= 1.0f / c.scale)
        circlefill(c.hi, px(c, x), px(c, y), px(c, rr), colour(mix(centre, edge, rr / r)));
}

void polygonPx(Canvas &c, int n, const float *xy, Rgb col)
{
    std::vector<int> points(2 * n);
    for (int i = 0; i < 2 * n; i++)
        points[i] = px(c, xy[i]);
    polygon(c.hi, n, points.data(), colour(col));
}

void triangle3(Canvas &c, float x0, float y0, float x1, float y1, float x2, float y2, Rgb col)
{
    const float xy[] = {x0, y0, x1, y1, x2, y2};
    polygonPx(c, 3, xy, col);
}

void thickLine(Canvas &c, float x0, float y0, float x1, float y1, float width, Rgb col)
{
    float dx = x1 - x0, dy = y1 - y0, length = sqrtf(dx * dx + dy * dy);
    if (length == 0)
        return;
    float nx = -dy / length * width / 2, ny = dx / length * width / 2;
    const float xy[] = {x0 + nx, y0 + ny, x1 + nx, y1 + ny, x1 - nx, y1 - ny, x0 - nx, y0 - ny};
    polygonPx(c, 4, xy, col);
}

float polarX(float x, float angle, float r)
{
    return x + r * sinf(angle * pi / 180);
}

float polarY(float y, float angle, float r)
{
    return y - r * cosf(angle * pi / 180);
}

void radialTick(Canvas &c, float x, float y, float angle, float r0, float r1, float width, Rgb col)
{
    thickLine(c, polarX(x, angle, r0), polarY(y, angle, r0), polarX(x, angle, r1),
              polarY(y, angle, r1), width, col);
}

void arcBand(Canvas &c, float x, float y, float r0, float r1, float a0, float a1, Rgb col)
{
    const float step = 2;
    for (float a = a0; a < a1; a += step) {
        float b = a + step > a1 ? a1 : a + step;
        const float xy[] = {polarX(x, a, r0), polarY(y, a, r0), polarX(x, a, r1), polarY(y, a, r1),
                            polarX(x, b, r1), polarY(y, b, r1), polarX(x, b, r0), polarY(y, b, r0)};
        polygonPx(c, 4, xy, col);
    }
}

int textWidth(Canvas &c, const char *text, int height)
{
    ttf_set_height(c.font, height * c.scale);
    return ttf_text_width(c.font, text) / c.scale;
}

void textAt(Canvas &c, const char *text, float x, float y, int height, Rgb col)
{
    ttf_set_height(c.font, height * c.scale);
    ttf_draw_text(c.hi, c.font, text, px(c, x), px(c, y), colour(col));
}

void textCentred(Canvas &c, const char *text, float x, float y, int height, Rgb col)
{
    ttf_set_height(c.font, height * c.scale);
    int w = ttf_text_width(c.font, text);
    ttf_draw_text(c.hi, c.font, text, px(c, x) - w / 2, px(c, y) - height * c.scale / 2,
                  colour(col));
}
