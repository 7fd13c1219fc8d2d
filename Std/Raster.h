// The span filler under the 3D engine: fills a projected convex polygon in one
// flat colour, pixel by pixel behind the depth buffer, and clears the picture
// and the depth buffer for a frame. Called by drawPolygon and clearFrame; the
// HUD draws its sprites with it too.
#pragma once

#include <allegro.h>

// Each row of the depth buffer is cut into runs of this many pixels, and for
// each run the buffer keeps two bounds on the depths it holds. Most of a far
// building lies behind the nearer ones drawn before it, and a span that is
// wholly behind a run's farthest pixel passes it by without looking at one;
// a span wholly in front of its nearest is filled without testing.
const int depthRunShift = 5;
const int depthRunPixels = 1 << depthRunShift;

// Allegro's z-buffer (1/z per pixel, 0 far away) with its runs' bounds, each
// kept run after run along a row, row after row, and three more after the
// last row's, which the filler may read but leaves alone.
struct DepthBuffer {
    ZBUFFER *depth;
    float *farthest;  // at most the smallest 1/z in the run; none: every pixel is tested
    float *nearest;   // at least the largest
    int runs;         // runs a row, the last one short where the width is no multiple
};

// For bmp, cleared to far away. With bounded false it keeps no bounds and the
// filler tests every pixel, the tests' reference for the pictures. Null when
// there is no memory for it.
DepthBuffer *createDepthBuffer(BITMAP *bmp, bool bounded = true);
void clearDepthBuffer(DepthBuffer *buffer, float z);  // z is 1/z, as for clear_zbuffer
void destroyDepthBuffer(DepthBuffer *buffer);

// Corners in screen pixels (x, y) with their distance from the eye (z > 0),
// in order round the edge, either way. depth is the depth buffer made for bmp.
// Pixels outside bmp's clipping rectangle or beyond the depth buffer are left
// alone.
void fillDepthPolygon(BITMAP *bmp, DepthBuffer *depth, int count, V3D_f *const *corners,
                      int colour);

// The memory bitmap black within its clipping rectangle, as clear_bitmap
// leaves it, a row at a time in wide stores.
void clearPicture(BITMAP *bmp);

// As draw_sprite: the sprite's pixels but those of its mask colour, at (x, y)
// within the clipping rectangle; four at a time where both are 32-bit memory
// bitmaps.
void drawSprite(BITMAP *to, BITMAP *sprite, int x, int y);
