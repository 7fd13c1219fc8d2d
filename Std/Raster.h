// The span filler under the 3D engine: fills a projected convex polygon in one
// flat colour, pixel by pixel behind the depth buffer. Called by drawPolygon.
#pragma once

#include <allegro.h>

// Corners in screen pixels (x, y) with their distance from the eye (z > 0),
// in order round the edge, either way. depth is the z-buffer made for bmp
// (create_zbuffer): 1/z per pixel, 0 far away. Pixels outside bmp's clipping
// rectangle or beyond the depth buffer are left alone.
void fillDepthPolygon(BITMAP *bmp, BITMAP *depth, int count, V3D_f *const *corners, int colour);
