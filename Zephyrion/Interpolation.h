// Frames drawn between two ticks: the craft and the enemies' cubes as the
// last tick began, and where between that and what the tick left a frame shows
// them; the camera each frame is drawn from. The world's loops keep each tick's
// start; the flight model marks its jumps; the drawing of the city, the enemies
// and the HUD asks where things show.
#pragma once

#include "Std/3D.h"

struct Craft;
struct Enemy;

// Before a tick of the world: the craft and the enemies as they stand.
void keepTickStart();

// The craft jumped in this tick (a collision's push back, a landing): the
// frames until the next tick show it where it landed.
void cutCamera();

// Degrees from one angle toward another by a part of the way, 0..1, the
// shorter way round 0/360.
float angleBetween(float from, float to, float part);

// The craft a part of the way from one tick's craft to the next.
Craft craftBetween(const Craft &from, const Craft &to, float part);

// The craft as the frame being drawn shows it: the craft itself outside a frame.
const Craft &craftSeen();

// Where cube k of an enemy shows in the frame being drawn.
Transform cubeSeen(const Enemy &e, int k);

// How far an enemy's explosion shows in the frame being drawn.
void blastSeen(const Enemy &e, float *distance, float *spin, float *scale);

// The frame being drawn lies this part of the way between the last two ticks
// (1 where there are none, as on the title): while it lasts, things show where
// they were at that moment, and the engine's camera is the craft's eye then.
struct SeenBetweenTicks {
    explicit SeenBetweenTicks(float part);
    ~SeenBetweenTicks();
};
