// Fuzzing the text renderer: any bytes as a TrueType file, loaded, measured
// and drawn at several heights into a memory bitmap.
#include <allegro.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>

#include "text/Ttf.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static BITMAP *target = nullptr;
    if (!target) {
        install_allegro(SYSTEM_NONE, &errno, atexit);
        set_color_depth(32);
        target = create_bitmap(320, 120);
        if (ttf_startup() != 0)
            abort();
        ttf_set_background(-1);
    }
    FILE *file = fopen("fuzz.ttf", "wb");
    if (!file)
        return 0;
    fwrite(data, 1, size, file);
    fclose(file);
    TtfFont *face = ttf_load("fuzz.ttf");
    if (!face)
        return 0;
    for (int height : {1, 12, 36, 200}) {
        ttf_set_height(face, height);
        ttf_text_width(face, "Zephyrion 0123 {~}");
        ttf_draw_text(target, face, "Zephyrion 0123 {~}", -5, 10, makecol(255, 255, 255));
    }
    ttf_free(face);
    return 0;
}
