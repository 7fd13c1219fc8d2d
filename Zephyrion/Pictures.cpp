// Pictures of frames. See Pictures.h.
#include "Zephyrion/Pictures.h"

#include <allegro.h>

#include <cstdio>
#include <string>
#include <vector>

#include "Std/Errors.h"
#include "Std/Screenshot.h"
#include "Zephyrion/GameState.h"

static const size_t picturesAskedMost = 64;

struct AskedPicture {
    uint32_t tick;
    std::string path;
    bool written;
};

static std::vector<AskedPicture> asked;

bool askPictureAt(uint32_t tick, const char *path)
{
    if (asked.size() >= picturesAskedMost)
        return false;
    // Whole, as the command line meant it: the game may work in another folder.
    char whole[1024];
    canonicalize_filename(whole, path, sizeof whole);
    asked.push_back({tick, whole, false});
    return true;
}

void writeDuePictures(BITMAP *frame)
{
    for (AskedPicture &p : asked) {
        if (p.written || game.tick < p.tick)
            continue;
        p.written = true;  // asked once: a failure is not tried again
        if (!writeOpaquePng(frame, p.path.c_str())) {
            fprintf(stderr, "Cannot write the frame of tick %u to %s\n", p.tick, p.path.c_str());
            logError(__LINE__, __FILE__, SevWarning, "Cannot write the frame of tick %u to %s",
                     p.tick, p.path.c_str());
        }
    }
}

void reportUnwrittenPictures()
{
    for (const AskedPicture &p : asked)
        if (!p.written)
            fprintf(stderr, "No frame at tick %u: the game ended at tick %u\n", p.tick, game.tick);
}
