// The benchmarks' scene: a fixed-seed first city on an 800 x 600 back buffer,
// seen from the title camera or from the street, one composed frame at a time.
#pragma once

enum View { TitleView, StreetView };

// The picture the scenes are drawn at: 800 x 600 unless set before setting up.
void setPictureSize(int w, int h);

void setUpScene(int colourDepth);
void viewFrom(View view);
void renderFrame();  // clear the back buffer and depth buffer, draw the city

// The frame of play as the frame loop composes it: the city from the street,
// the enemies, the HUD and both beams. Needs the runtime folder's bitmaps and font.
bool setUpPlay(int colourDepth, const char *runtimeDir);
void renderPlayFrame();

// The same frame drawn halfway between two ticks: the craft and the enemies
// a tick on from where the last tick began, shown halfway there.
void setUpBetweenTicks();
void renderPlayFrameBetween();
void tearDownPlay();

// The play frame presented as on a desktop's full screen: scaled to its
// largest 4:3 size into a screen of screenW x screenH (a memory bitmap here).
bool setUpScaledPresent(int screenW, int screenH);
void presentScaled();
void tearDownScaledPresent();

// The play frame presented through the display, full screen (after setUpPlay;
// stopDisplay ends it): presentBitmap shows it.
bool setUpShownPresent();

void tearDownScene();
