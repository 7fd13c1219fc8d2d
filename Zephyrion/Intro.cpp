// The intro. See Intro.h.
#include "Zephyrion/Intro.h"

#include <allegro.h>
#include <loadpng.h>

#include <cstdlib>

#include "Std/3D.h"
#include "Std/Display.h"
#include "Std/Errors.h"
#include "Std/Folders.h"
#include "Std/Platform.h"
#include "Std/Sound.h"
#include "Zephyrion/Frame.h"
#include "Zephyrion/GameState.h"
#include "Zephyrion/Layout.h"
#include "Zephyrion/Sounds.h"
#include "Zephyrion/Graphics.h"

// The intro is part of start-up, so its lines are logged as start-up's.
static const char *const startupSource = "Zephyrion.cpp";

static const int border = 80;  // the picture sits half of it in from each edge of its area
static const int stripeFrames = 300;
static const int bandHeight = 25, shortestBandStep = 5;
static const int stripesVolume = 100, stripesPitch = 920, loopPitch = 900;
static const int centred = 128;
static const int stillMs = 2000;
static const float spinScaleStep = 0.02f, lowSpinScaleStep = 0.01f;
static const float spinTurn = 18.0f, lowSpinTurn = 12.0f;

struct IntroSample {
    const char *path;
    int failedLine;
};

static const int introSampleCount = 3;
static const IntroSample introSamples[introSampleCount] = {
    {"sounds/001.wav", 994},  // the start, as the picture spins
    {"sounds/015.wav", 995},  // the stripes
    {"sounds/016.wav", 996},  // the stripes' loop, once the first sound is over
};

static void presentIntroFrame()
{
    presentFrame();
    restMs(0);
}

// Bands of blue and yellow down the back buffer, each step shorter than a
// band so that the later band covers the lower part of the one before.
static void drawStripes(bool &yellow)
{
    followPicture();
    Layout l = layoutOf(game.backBuffer);
    int h = game.backBuffer->h, band = scaled(l, bandHeight);
    for (int y = 0; y < h;) {
        int colour = yellow ? makecol(255, 255, 0) : makecol(0, 0, 255);
        yellow = !yellow;
        rectfill(game.backBuffer, 0, y, game.backBuffer->w, y + band, colour);
        y += scaled(l, nextRandom(game.pictureRandom) % (bandHeight - shortestBandStep) +
                           shortestBandStep);
    }
}

static void stripesPhase(BITMAP *picture, bool withPicture, SAMPLE *stripes, SAMPLE *loop,
                         IntroRun &run)
{
    bool yellow = false;
    int voice = playSample(stripes, stripesVolume, centred, stripesPitch, false);
    for (int frame = 0; frame < stripeFrames; frame++) {
        drawStripes(yellow);
        bool stripesOver = voice < 0 || voicePosition(voice) == -1;
        if (stripesOver && run.loopStarts == 0) {
            playSample(loop, stripesVolume, centred, loopPitch, true);
            run.loopStarts++;
            run.loopStartFrame = frame;
        }
        if (withPicture)
            blit(picture, game.backBuffer, 0, 0, (game.backBuffer->w - picture->w) / 2,
                 (game.backBuffer->h - picture->h) / 2, picture->w, picture->h);
        presentIntroFrame();
        run.stripeFrames++;
    }
    stopSample(stripes);
    stopSample(loop);
}

static void drawTurned(BITMAP *picture, bool withPicture, float angle, float scale)
{
    followPicture();
    clear_bitmap(game.backBuffer);
    if (withPicture)
        pivot_scaled_sprite(game.backBuffer, picture, game.backBuffer->w / 2, game.backBuffer->h / 2,
                            picture->w / 2, picture->h / 2, ftofix(angle), ftofix(scale));
}

static void spinOut(BITMAP *picture, bool withPicture, IntroRun &run)
{
    bool low = game.settings.lowSpeedPC;
    float step = low ? lowSpinScaleStep : spinScaleStep;
    run.spinTurn = low ? lowSpinTurn : spinTurn;
    float angle = 0, scale = 1.0f;
    while (scale > step) {
        angle = addAngle255(angle, run.spinTurn);
        drawTurned(picture, withPicture, angle, scale);
        presentIntroFrame();
        run.spinFrames++;
        scale -= step;
    }
}

// A picture that did not load (or no room for the frame) is left out: the
// stripes show alone, the still and the spin-out stay black. The loaded
// picture is done with either way.
static bool stretchInto(BITMAP *picture, BITMAP *loaded)
{
    bool shown = picture && loaded;
    if (shown)
        stretch_blit(loaded, picture, 0, 0, loaded->w, loaded->h, 0, 0, picture->w, picture->h);
    if (loaded)
        destroy_bitmap(loaded);
    return shown;
}

static void destroySamples(SAMPLE **samples, int count)
{
    for (int i = 0; i < count; i++)
        if (samples[i]) {
            stopSample(samples[i]);  // the mixer lets go of it first
            destroy_sample(samples[i]);
        }
}

bool playIntro(IntroRun &run)
{
    InLoop here("intro");
    BITMAP *loadingPicture = load_png(dataFile("bitmaps/LoadScreen.png").c_str(), nullptr);
    BITMAP *titlePicture = load_png(dataFile("bitmaps/Intro.png").c_str(), nullptr);
    SAMPLE *samples[introSampleCount] = {};
    for (int i = 0; i < introSampleCount; i++) {
        samples[i] = load_sample(dataFile(introSamples[i].path).c_str());
        if (!samples[i]) {
            noteLoadFailure(introSamples[i].path);
            logError(introSamples[i].failedLine, startupSource, SevError, "%s", allegro_error);
            destroySamples(samples, i);
            if (loadingPicture)
                destroy_bitmap(loadingPicture);
            if (titlePicture)
                destroy_bitmap(titlePicture);
            return false;
        }
    }
    SAMPLE *start = samples[0], *stripes = samples[1], *loop = samples[2];
    // The pictures keep the classic shape, centred on the picture at its scale.
    followPicture();
    Layout l = layoutOf(game.backBuffer);
    BITMAP *picture = create_bitmap(l.width - scaled(l, border), game.backBuffer->h - scaled(l, border));
    if (picture)
        run.pictureW = picture->w, run.pictureH = picture->h;
    bool loading = stretchInto(picture, loadingPicture);
    startFrames(0);  // its frames are its ticks
    stripesPhase(picture, loading, stripes, loop, run);

    bool title = stretchInto(picture, titlePicture);
    drawTurned(picture, title, 0, 1.0f);
    presentBitmap(game.backBuffer);
    restServingInput(stillMs);
    playOnce(start);
    startFrames(0);
    spinOut(picture, title, run);

    if (picture)
        destroy_bitmap(picture);
    destroySamples(samples, introSampleCount);
    return true;
}

bool runIntro()
{
    IntroRun run;
    return playIntro(run);
}
