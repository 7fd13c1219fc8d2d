// Frames drawn between two ticks: the camera and the enemies' cubes as the
// last tick began, and where between that and what the tick left a frame shows
// them. The world's loops keep each tick's start; the flight model marks its
// jumps; the drawing of the city, the enemies and the HUD asks where things show.
#pragma once

#include "Std/3D.h"

struct Enemy;

// Before a tick of the world: the camera and the enemies as they stand.
void keepTickStart();

// The camera jumped in this tick (a collision's push back, a landing): the
// frames until the next tick show it where it landed.
void cutCamera();

// Degrees from one angle toward another by a part of the way, 0..1, the
// shorter way round 0/360.
float angleBetween(float from, float to, float part);

// The camera a part of the way from one tick's camera to the next.
Camera cameraBetween(const Camera &from, const Camera &to, float part);

// Where cube k of an enemy shows in the frame being drawn.
Transform cubeSeen(const Enemy &e, int k);

// How far an enemy's explosion shows in the frame being drawn.
void blastSeen(const Enemy &e, float *distance, float *spin, float *scale);

// The frame being drawn lies this part of the way between the last two ticks;
// while it lasts, the engine's camera is the camera at that moment.
struct SeenBetweenTicks {
    explicit SeenBetweenTicks(float part);
    ~SeenBetweenTicks();
    Camera seen;    // the camera drawn from
    Camera *craft;  // the craft's own, given back after
};
