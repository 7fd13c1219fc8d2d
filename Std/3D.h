// The small 3D engine: the camera, the polygon pipeline (clip, project, cull,
// depth-buffered flat fill), the scene primitives Rect, Quad and Pyramid, and
// the angle, heading and random helpers the game moves things with.
#pragma once

#include <allegro.h>

#include <cstddef>

#include "Std/Random.h"

// Where the frames drawn next are seen from, made afresh for each frame by
// whoever draws one. Angles in degrees.
struct Camera {
    float x;      // eye position, east
    float y;      // down: the ground is y = 0, altitude is -y
    float z;      // north
    float yaw;    // heading, 0 north (+z), 90 east (+x), 0..360
    float pitch;  // positive looks down
    float roll;   // turn about the forward vector
};

// A model-space vertex.
struct Vertex {
    float x, y, z;
};

// Where a primitive stands in the world and how it looks.
struct Transform {
    float rotX, rotY, rotZ;          // turn steps about the object's own axes
    int colour;                      // makecol colour
    unsigned char centreX, centreY;  // 1: geometry centred on that axis, else from 0 up
    unsigned char centreZ;
    unsigned char flipY;             // 1: geometry mirrored in y, so it rises toward -y
    float x, y, z;                   // origin in world units
    float scale;                     // uniform scale
};

struct Rect {
    Vertex vertices[4];
    Transform transform;
    float width, height, depth;  // height is always 0
};

struct Quad {
    Vertex vertices[8];
    Transform transform;
    float width, height, depth;
};

struct Pyramid {
    Vertex vertices[5];  // the four base corners, then the apex
    Transform transform;
};

// What the pipeline filled since the counters were last cleared, for benchmarks.
struct RenderStats {
    long triangles;  // polygons that came out of clipping with three vertices
    long polygons;   // those with more, filled as one polygon
    double pixels;   // their projected area: the pixels the span filler visits
};

extern RenderStats renderStats;

// The primitives' allocator; tests swap in one that fails.
extern void *(*allocatePrimitive)(size_t size);

// ---- Camera and pipeline ----
// The viewport, and a lens for its shape: every picture sees what the 4:3
// picture sees from top to bottom, and a wider one sees more at the sides.
void setupProjection(int x, int y, int w, int h);
float fieldOfView();  // the lens's width, turn steps (256 a turn): 36 at 4:3
void lookFrom(const Camera &eye);
const Camera &viewCamera();
bool createZBuffer(BITMAP *bmp);  // false when there is no memory for it
void clearZBuffer();
void clearFrame(BITMAP *bmp);  // the picture black and its depth buffer far away, for a frame
void destroyZBuffer();
void setViewDistance(float distance);
float getViewDistance();
int projectVertices(const Transform &transform, int count, const Vertex *model, V3D_f *out,
                    float scaleOverride);
void drawPolygon(BITMAP *bmp, int count, V3D_f *vertices, int colour, bool cull);

// ---- Movement, angles and random numbers ----
void moveAlongHeading(float *x, float *y, float *z, float yaw, float pitch, float distance);
float addAngle360(float a, float b);
float subAngle360(float a, float b);
float addAngle255(float a, float b);
float fRand(Random &random, float min, float max, int decimals);  // from min up, below max

// ---- Primitives ----
Rect *createRect(float width, float depth, unsigned char centreX, unsigned char centreZ);
Quad *createQuad(float width, float height, float depth, unsigned char centreX,
                 unsigned char centreY, unsigned char centreZ, unsigned char flipY);
Pyramid *createPyramid(float width, float depth, float height, unsigned char centreX,
                       unsigned char centreY, unsigned char centreZ, unsigned char flipY);
void destroyRect(Rect *rect);
void destroyQuad(Quad *quad);
void destroyPyramid(Pyramid *pyramid);
int shadeColour(int colour, int face, bool darkenSaturated);
bool drawRect(BITMAP *bmp, const Rect *rect);
bool drawQuad(BITMAP *bmp, const Quad *quad);
bool drawQuadBlast(BITMAP *bmp, const Quad *quad, float distance, float spin, float scale);
bool drawPyramid(BITMAP *bmp, const Pyramid *pyramid);
