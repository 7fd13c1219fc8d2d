// The 3D engine. See 3D.h.
#include "Std/3D.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "Std/Errors.h"
#include "Std/Raster.h"

// The engine's own value of pi: headings and pitches convert with exactly this.
static const double enginePi = 3.14159;
static const double lensPi = 3.14159265358979323846;  // Allegro's, for its turn steps
static const double stepsPerDegree = 0.7111111111111111;  // 256 turn steps a full turn
static const float nearPlane = 0.1f;
static const float classicFov = 36.0f;  // turn steps across the 4:3 picture
static const float shadeStep = 5.0f;  // brightness added per face index
static const float edgeSnap = 0.01f;  // pixels: projected points this near an edge lie on it

// Source lines the error log names for this module's reports.
static const int rectAllocLine = 185;
static const int quadAllocLine = 283;
static const int pyramidAllocLine = 728;
static const int fRandRangeLine = 922;

RenderStats renderStats;
void *(*allocatePrimitive)(size_t size) = malloc;

static DepthBuffer *zBuffer = nullptr;
static float viewDistance = 10000.0f;
static Camera eye;
static float lensFov = classicFov, lensAspect = 4.0f / 3.0f;
static MATRIX_f cameraMatrix;  // the eye's, through the lens
static int viewportX, viewportY, viewportW, viewportH;

// Clipping scratch: clip3d_f can return far more vertices than it is given.
static const int scratchVertices = 96;
static V3D_f scratchOut[scratchVertices], scratchTemp[scratchVertices];
static V3D_f *scratchOutList[scratchVertices], *scratchTempList[scratchVertices];
static int scratchFlags[scratchVertices];

static const int boxFaces[6][4] = {
    // Named for a building, a flipped box: flipping swaps the x ends, so its
    // first x face lies at high x.
    {0, 3, 2, 1},  // low z: a building's south wall
    {4, 5, 6, 7},  // high z: north wall
    {0, 1, 5, 4},  // first x end: a building's east wall
    {2, 3, 7, 6},  // second x end: its west wall
    {0, 4, 7, 3},  // first y side: a building's floor
    {1, 2, 6, 5},  // second y side: its roof
};

static const int pyramidFaces[4][3] = {{4, 0, 1}, {4, 1, 2}, {4, 2, 3}, {4, 3, 0}};

// ---- Camera and pipeline ----

static void makeCameraMatrix();

// The 4:3 picture's lens is the game's own; another shape keeps its height of
// view and widens or narrows at the sides.
void setupProjection(int x, int y, int w, int h)
{
    set_projection_viewport(x, y, w, h);
    viewportX = x, viewportY = y, viewportW = w, viewportH = h;
    lensAspect = (float)w / (float)h;
    if (w * 3 == h * 4) {
        lensFov = classicFov;
    } else {
        double halfWidth = tan(classicFov / 2 * lensPi / 128) * (3.0 / 4.0) * w / h;
        lensFov = (float)(2 * atan(halfWidth) * 128 / lensPi);
    }
    makeCameraMatrix();
}

float fieldOfView()
{
    return lensFov;
}

bool createZBuffer(BITMAP *bmp)
{
    zBuffer = createDepthBuffer(bmp);
    return zBuffer != nullptr;
}

void clearZBuffer()
{
    if (zBuffer)
        clearDepthBuffer(zBuffer, 0);
}

void clearFrame(BITMAP *bmp)
{
    clearPicture(bmp);
    clearZBuffer();
}

void destroyZBuffer()
{
    if (!zBuffer)
        return;
    destroyDepthBuffer(zBuffer);
    zBuffer = nullptr;
}

void setViewDistance(float distance)
{
    viewDistance = distance;
}

float getViewDistance()
{
    return viewDistance;
}

static double radians(float degrees)
{
    return degrees * enginePi / 180;
}

static void makeCameraMatrix()
{
    double yaw = radians(eye.yaw), pitch = radians(eye.pitch);
    float fx = (float)(sin(yaw) * cos(pitch)), fy = (float)sin(pitch),
          fz = (float)(cos(yaw) * cos(pitch));
    MATRIX_f roll;
    get_vector_rotation_matrix_f(&roll, fx, fy, fz, (float)(eye.roll * stepsPerDegree));
    float ux, uy, uz;
    apply_matrix_f(&roll, 0, -1, 0, &ux, &uy, &uz);
    get_camera_matrix_f(&cameraMatrix, eye.x, eye.y, eye.z, fx, fy, fz, ux, uy, uz, lensFov,
                        lensAspect);
}

void lookFrom(const Camera &camera)
{
    eye = camera;
    makeCameraMatrix();
}

const Camera &viewCamera()
{
    return eye;
}

int projectVertices(const Transform &t, int count, const Vertex *model, V3D_f *out,
                    float scaleOverride)
{
    const MATRIX_f *view = &cameraMatrix;
    MATRIX_f place;
    get_transformation_matrix_f(&place, scaleOverride != 0.0f ? scaleOverride : t.scale, t.rotX,
                                t.rotY, t.rotZ, t.x, t.y, t.z);
    int behind = 0;
    for (int i = 0; i < count; i++) {
        float wx, wy, wz;
        apply_matrix_f(&place, model[i].x, model[i].y, model[i].z, &wx, &wy, &wz);
        apply_matrix_f(view, wx, wy, wz, &out[i].x, &out[i].y, &out[i].z);
        out[i].u = out[i].v = 0;
        out[i].c = 0;
        behind += out[i].z < 0.0f;
    }
    return behind;
}

// Clipped polygons end a hair inside or outside the view's edges, and the
// filler's rounding would then leave the edge row or column unfilled.
static float snapToEdge(float v, float low, float high)
{
    if (fabsf(v - low) < edgeSnap)
        return low;
    if (fabsf(v - high) < edgeSnap)
        return high;
    return v;
}

static double projectedArea(int count, V3D_f *const *v)
{
    double twice = 0;
    for (int i = 0; i < count; i++) {
        const V3D_f *a = v[i], *b = v[(i + 1) % count];
        twice += (double)a->x * b->y - (double)b->x * a->y;
    }
    return fabs(twice) / 2;
}

void drawPolygon(BITMAP *bmp, int count, V3D_f *vertices, int colour, bool cull)
{
    if (!scratchOutList[0]) {
        for (int i = 0; i < scratchVertices; i++) {
            scratchOutList[i] = &scratchOut[i];
            scratchTempList[i] = &scratchTemp[i];
        }
    }
    if (count < 3 || count > scratchVertices / 8)
        return;
    const V3D_f *in[scratchVertices / 8];
    for (int i = 0; i < count; i++)
        in[i] = &vertices[i];
    int n = clip3d_f(POLYTYPE_FLAT, nearPlane, viewDistance, count, in, scratchOutList,
                     scratchTempList, scratchFlags);
    if (n <= 0)
        return;
    float left = (float)viewportX, right = (float)(viewportX + viewportW);
    float top = (float)viewportY, bottom = (float)(viewportY + viewportH);
    for (int i = 0; i < n; i++) {
        V3D_f *v = scratchOutList[i];
        float w = 1.0f / v->z;
        v->x = snapToEdge(v->x * w * _persp_xscale_f + _persp_xoffset_f, left, right);
        v->y = snapToEdge(v->y * w * _persp_yscale_f + _persp_yoffset_f, top, bottom);
        v->c = colour;
    }
    if (cull && polygon_z_normal_f(scratchOutList[0], scratchOutList[1], scratchOutList[2]) < 0.0f)
        return;
    if (zBuffer)
        fillDepthPolygon(bmp, zBuffer, n, scratchOutList, colour);
    else
        polygon3d_f(bmp, POLYTYPE_FLAT, nullptr, n, scratchOutList);
    if (n == 3)
        renderStats.triangles++;
    else
        renderStats.polygons++;
    renderStats.pixels += projectedArea(n, scratchOutList);
}

// ---- Movement, angles and random numbers ----

void moveAlongHeading(float *x, float *y, float *z, float yaw, float pitch, float distance)
{
    double yawR = radians(yaw), pitchR = radians(pitch);
    *x += (float)(sin(yawR) * cos(pitchR) * distance);
    *y += (float)(sin(pitchR) * distance);
    *z += (float)(cos(yawR) * cos(pitchR) * distance);
}

// One correction only: a sum of exactly the wrap stays, one beyond twice it stays above.
static float wrapOnce(float r, float wrap)
{
    if (r > wrap)
        return r - wrap;
    if (r < 0.0f)
        return r + wrap;
    return r;
}

float addAngle360(float a, float b)
{
    return wrapOnce(a + b, 360.0f);
}

float subAngle360(float a, float b)
{
    return wrapOnce(a - b, 360.0f);
}

float addAngle255(float a, float b)
{
    return wrapOnce(a + b, 255.0f);
}

float fRand(Random &random, float min, float max, int decimals)
{
    double scale = pow(10.0, decimals);
    int lo = (int)(min * scale), hi = (int)(max * scale);
    if (hi == lo)
        return min;
    if (hi < lo) {
        logError(fRandRangeLine, __FILE__, SevWarning,
                 "Incorrect Min/Max range supplied to fRand(): (%f->%f)", (double)min, (double)max);
        int swap = lo;
        lo = hi;
        hi = swap;
    }
    return (float)((nextRandom(random) % (hi - lo) + lo) / scale);
}

// ---- Primitives ----

static Transform placedAtOrigin(unsigned char centreX, unsigned char centreY,
                                unsigned char centreZ, unsigned char flipY)
{
    Transform t;
    t.rotX = t.rotY = t.rotZ = 0;
    t.colour = makecol(0, 0, 0);
    t.centreX = centreX, t.centreY = centreY, t.centreZ = centreZ, t.flipY = flipY;
    t.x = t.y = t.z = 0;
    t.scale = 1.0f;
    return t;
}

// The two coordinates of an axis: centred on 0, or from 0 up to the size.
static void extent(float size, unsigned char centred, float *low, float *high)
{
    *low = centred == 1 ? -size / 2 : 0;
    *high = centred == 1 ? size / 2 : size;
}

Rect *createRect(float width, float depth, unsigned char centreX, unsigned char centreZ)
{
    Rect *rect = (Rect *)allocatePrimitive(sizeof(Rect));
    if (!rect) {
        logError(rectAllocLine, __FILE__, SevError, "Unable to allocate memory for new Rect");
        return nullptr;
    }
    float x0, x1, z0, z1;
    extent(width, centreX, &x0, &x1);
    extent(depth, centreZ, &z0, &z1);
    rect->vertices[0] = {x0, 0, z0};
    rect->vertices[1] = {x0, 0, z1};
    rect->vertices[2] = {x1, 0, z1};
    rect->vertices[3] = {x1, 0, z0};
    rect->transform = placedAtOrigin(centreX, 0, centreZ, 0);
    rect->width = width, rect->height = 0, rect->depth = depth;
    return rect;
}

Quad *createQuad(float width, float height, float depth, unsigned char centreX,
                 unsigned char centreY, unsigned char centreZ, unsigned char flipY)
{
    Quad *quad = (Quad *)allocatePrimitive(sizeof(Quad));
    if (!quad) {
        logError(quadAllocLine, __FILE__, SevError, "Unable to allocate memory for new Quad");
        return nullptr;
    }
    float x0, x1, y0, y1, z0, z1;
    extent(width, centreX, &x0, &x1);
    extent(height, centreY, &y0, &y1);
    extent(depth, centreZ, &z0, &z1);
    Vertex *v = quad->vertices;
    v[0] = {x0, y0, z0}, v[1] = {x0, y1, z0}, v[2] = {x1, y1, z0}, v[3] = {x1, y0, z0};
    v[4] = {x0, y0, z1}, v[5] = {x0, y1, z1}, v[6] = {x1, y1, z1}, v[7] = {x1, y0, z1};
    if (flipY == 1) {
        // Mirroring in y would turn every face inside out; swapping the x ends
        // first keeps their winding.
        static const int swaps[4][2] = {{0, 3}, {1, 2}, {4, 7}, {5, 6}};
        for (const auto &s : swaps) {
            Vertex keep = v[s[0]];
            v[s[0]] = v[s[1]];
            v[s[1]] = keep;
        }
        for (int i = 0; i < 8; i++)
            v[i].y = -v[i].y;
    }
    quad->transform = placedAtOrigin(centreX, centreY, centreZ, flipY);
    quad->width = width, quad->height = height, quad->depth = depth;
    return quad;
}

Pyramid *createPyramid(float width, float depth, float height, unsigned char centreX,
                       unsigned char centreY, unsigned char centreZ, unsigned char flipY)
{
    Pyramid *pyramid = (Pyramid *)allocatePrimitive(sizeof(Pyramid));
    if (!pyramid) {
        logError(pyramidAllocLine, __FILE__, SevError, "Unable to allocate memory for new Pyramid");
        return nullptr;
    }
    float x0, x1, z0, z1;
    extent(width, centreX, &x0, &x1);
    extent(depth, centreZ, &z0, &z1);
    float base = centreY == 1 ? height / 2 : height;
    Vertex *v = pyramid->vertices;
    v[0] = {x0, base, z0}, v[1] = {x0, base, z1}, v[2] = {x1, base, z1}, v[3] = {x1, base, z0};
    v[4] = {centreX == 1 ? 0 : width / 2, centreY == 1 ? -height / 2 : 0,
            centreZ == 1 ? 0 : depth / 2};
    if (flipY == 1)
        for (int i = 0; i < 5; i++)
            v[i].y = -v[i].y;
    pyramid->transform = placedAtOrigin(centreX, centreY, centreZ, flipY);
    return pyramid;
}

void destroyRect(Rect *rect)
{
    free(rect);
}

void destroyQuad(Quad *quad)
{
    free(quad);
}

void destroyPyramid(Pyramid *pyramid)
{
    free(pyramid);
}

// Faces brighten by shadeStep per index; a channel at 0 stays 0 so hues hold.
// A channel that would saturate darkens instead where the caller asks.
static int shadeChannel(int c, int delta, bool darkenSaturated)
{
    if (c == 0)
        return 0;
    int shaded = c + delta < 255 ? c + delta : 255;
    return darkenSaturated && shaded == 255 ? c - delta : shaded;
}

int shadeColour(int colour, int face, bool darkenSaturated)
{
    int delta = (int)(face * shadeStep);
    return makecol(shadeChannel(getr(colour), delta, darkenSaturated),
                   shadeChannel(getg(colour), delta, darkenSaturated),
                   shadeChannel(getb(colour), delta, darkenSaturated));
}

bool drawRect(BITMAP *bmp, const Rect *rect)
{
    V3D_f p[4];
    if (projectVertices(rect->transform, 4, rect->vertices, p, 0.0f) == 4)
        return true;
    V3D_f face[4] = {p[0], p[3], p[2], p[1]};
    drawPolygon(bmp, 4, face, rect->transform.colour, false);
    return true;
}

bool drawQuad(BITMAP *bmp, const Quad *quad)
{
    V3D_f p[8];
    if (projectVertices(quad->transform, 8, quad->vertices, p, 0.0f) == 8)
        return true;
    for (int f = 0; f < 6; f++) {
        V3D_f face[4];
        for (int k = 0; k < 4; k++)
            face[k] = p[boxFaces[f][k]];
        drawPolygon(bmp, 4, face, shadeColour(quad->transform.colour, f, true), true);
    }
    return true;
}

bool drawPyramid(BITMAP *bmp, const Pyramid *pyramid)
{
    V3D_f p[5];
    if (projectVertices(pyramid->transform, 5, pyramid->vertices, p, 0.0f) == 5)
        return true;
    V3D_f base[4] = {p[0], p[1], p[2], p[3]};
    drawPolygon(bmp, 4, base, pyramid->transform.colour, true);
    for (int f = 0; f < 4; f++) {
        V3D_f side[3] = {p[pyramidFaces[f][0]], p[pyramidFaces[f][1]], p[pyramidFaces[f][2]]};
        drawPolygon(bmp, 3, side, shadeColour(pyramid->transform.colour, f, false), true);
    }
    return true;
}

// Pushes a face that lies in one plane of an axis out along that axis, and
// turns it about the axis; coordinates are one axis of the face's four vertices.
static void blastAlong(float *coords[4], unsigned char centred, float push, float spin,
                       float *rotation)
{
    float c = *coords[0];
    for (int k = 1; k < 4; k++)
        if (*coords[k] != c)
            return;
    bool outward = centred == 1 ? c >= 0 : c != 0;
    for (int k = 0; k < 4; k++)
        *coords[k] = outward ? c + push : c - push;
    *rotation = outward ? spin : -spin;
}

bool drawQuadBlast(BITMAP *bmp, const Quad *quad, float distance, float spin, float scale)
{
    const Transform &t = quad->transform;
    for (int f = 0; f < 6; f++) {
        Vertex face[4];
        for (int k = 0; k < 4; k++)
            face[k] = quad->vertices[boxFaces[f][k]];
        Transform placed = t;
        placed.scale = scale;
        float *xs[4] = {&face[0].x, &face[1].x, &face[2].x, &face[3].x};
        float *ys[4] = {&face[0].y, &face[1].y, &face[2].y, &face[3].y};
        float *zs[4] = {&face[0].z, &face[1].z, &face[2].z, &face[3].z};
        blastAlong(xs, t.centreX, distance, spin, &placed.rotX);
        // An upward-built box is mirrored: its roof still flies up, its floor down.
        blastAlong(ys, t.centreY, t.flipY == 1 ? -distance : distance, spin, &placed.rotY);
        blastAlong(zs, t.centreZ, distance, spin, &placed.rotZ);
        V3D_f p[4];
        if (projectVertices(placed, 4, face, p, 0.0f) == 4)
            continue;
        drawPolygon(bmp, 4, p, shadeColour(t.colour, f, false), false);
    }
    return true;
}
