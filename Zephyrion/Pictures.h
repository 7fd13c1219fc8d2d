// Pictures of frames written to PNG: the frames of a replay asked for on the
// command line by their tick (--shot), for tests that compare pictures
// exactly. The command line asks for them; the frame pipeline writes them.
#pragma once

#include <cstdint>

struct BITMAP;

// The first frame shown once the game's tick has reached tick goes to path;
// false when no more can be asked for.
bool askPictureAt(uint32_t tick, const char *path);

// Writes the frames due at the game's tick now; one that cannot be written is
// said on stderr and in the error log.
void writeDuePictures(BITMAP *frame);

// After the replay: each picture asked for and not written, said on stderr
// with the tick the game ended at.
void reportUnwrittenPictures();
