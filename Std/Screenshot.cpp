// Screenshots. See Screenshot.h.
#include "Std/Screenshot.h"

#include <allegro.h>
#include <loadpng.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "Std/Display.h"
#include "Std/Errors.h"
#include "Std/Files.h"

static const char *const folder = "screenshots";
static const int namesTriedMost = 100;  // in one second: "-2" to "-99" after the first

static bool asked = false, saved = false;

void askScreenshot()
{
    asked = true;
}

bool screenshotSaved()
{
    bool was = saved;
    saved = false;
    return was;
}

bool writeOpaquePng(BITMAP *picture, const char *path)
{
    BITMAP *opaque = create_bitmap_ex(24, picture->w, picture->h);
    if (!opaque)
        return false;
    blit(picture, opaque, 0, 0, 0, 0, picture->w, picture->h);
    bool written = save_png(path, opaque, nullptr) == 0;
    destroy_bitmap(opaque);
    return written;
}

static bool taken(const char *path)
{
    FILE *f = fopen(path, "rb");
    if (f)
        fclose(f);
    return f != nullptr;
}

// "screenshots/zephyrion-YYYYMMDD-HHMMSS.png", or with "-2" and on after it
// where that is taken; false when every name of the second is.
static bool freshName(char *path, size_t size)
{
    time_t now = time(nullptr);
    char stamp[32];
    strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", localtime(&now));
    for (int n = 1; n < namesTriedMost; n++) {
        if (n == 1)
            snprintf(path, size, "%s/zephyrion-%s.png", folder, stamp);
        else
            snprintf(path, size, "%s/zephyrion-%s-%d.png", folder, stamp, n);
        if (!taken(path))
            return true;
    }
    return false;
}

void serveScreenshot()
{
    if (!asked)
        return;
    asked = false;
    BITMAP *picture = shownPicture();
    if (!picture)
        return;
    char path[256];
    if (!makeFolder(folder)) {
        logError(__LINE__, __FILE__, SevWarning, "No screenshot: cannot make the folder %s (%s)",
                 folder, strerror(errno));
        return;
    }
    if (!freshName(path, sizeof path)) {
        logError(__LINE__, __FILE__, SevWarning, "No screenshot: every name for this second is taken");
        return;
    }
    errno = 0;
    if (!writeOpaquePng(picture, path)) {
        logError(__LINE__, __FILE__, SevWarning, "No screenshot: cannot write %s (%s)", path,
                 errno ? strerror(errno) : "no memory for it");
        remove(path);  // nothing half written is left
        return;
    }
    saved = true;
}
