// The intro start-up plays once between the splash and the title: the loading
// picture in flickering stripes with their sounds, then the title picture held
// and spun away. It loads and releases its own pictures and samples.
#pragma once

// What a run of the intro showed, for those who check it.
struct IntroRun {
    int pictureW = 0, pictureH = 0;  // the framed picture, pixels: the screen less 80 each way
    int stripeFrames = 0;            // frames of the stripes phase: 300
    int loopStarts = 0;              // times the stripes' loop sample started: 0 or 1
    int loopStartFrame = -1;         // the stripes frame it started on, -1 if it never did
    int spinFrames = 0;              // frames of the spin-out: 50, or 100 with LowSpeedPC
    float spinTurn = 0;              // turn a spin frame, 256ths of a circle: 18, or 12 with LowSpeedPC
};

// False, with the failure in the error log, when one of its samples did not load.
bool runIntro();
bool playIntro(IntroRun &run);
