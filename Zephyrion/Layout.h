// Where the screens' parts go on a picture of any size. The menus, the title,
// the tables and the briefings keep the classic picture's layout in a 4:3 area
// centred on the picture and scaled to its height; the HUD keeps to the
// picture's edges at the same scale. Every module that draws in two dimensions
// asks it; the world asks only for the classic size.
#pragma once

struct BITMAP;

// The classic picture the layouts are made for: 800 x 600, or 640 x 480 with
// Low Speed PC.
int classicWidth();
int classicHeight();

struct Layout {
    int left;     // the 4:3 area's left edge on the picture, pixels; 0 on a 4:3 picture
    int width;    // the area's width, pixels: the classic width times the scale
    float scale;  // the picture's height over the classic height: 1 at Classic, 0.5..
};

Layout layoutOf(const BITMAP *picture);

int placeX(const Layout &l, int classicX);  // a classic x within the area
int placeY(const Layout &l, int classicY);  // a classic y on the picture
int scaled(const Layout &l, int length);    // a classic length; at least 1 where it is

// Text in the game's font at a classic height, scaled with the picture: from
// a classic (x, y) of the 4:3 area, or at a classic y centred across the picture.
void writeAt(BITMAP *to, const char *text, int height, int x, int y, int colour);
void writeCentred(BITMAP *to, const char *text, int height, int y, int colour);
