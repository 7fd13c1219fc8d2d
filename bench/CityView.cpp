// Renders frames of the benchmark city and optionally saves the last as a PNG.
// Usage: CityView <title|street|play|between|scaled|shown> <bits per pixel> <frames> [WxH] [picture.png]
// WxH is the picture's size, 800x600 when left out.
// "play" is the whole frame of play: the street view with enemies, HUD and beams;
// "between" is that frame a tick on, drawn halfway between the two ticks;
// "scaled" is that frame presented scaled to 1440 x 1080 on a 1920 x 1080 screen;
// "shown" is that frame presented through the display, full screen on the
// X display of $DISPLAY (SDL's variables choose the present path).
// Run under callgrind with 1 and with 11 frames: the difference over 10 is the
// instruction count of one frame.
#include <allegro.h>
#include <loadpng.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "Scene.h"
#include "Std/Display.h"
#include "Zephyrion/GameState.h"

static const int desktopW = 1920, desktopH = 1080;

int main(int argc, char **argv)
{
    if (argc < 4) {
        fprintf(stderr,
                "usage: CityView <title|street|play|between|scaled|shown> <bits per pixel> <frames> "
                "[WxH] [picture.png]\n");
        return 2;
    }
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0)
        return 1;
    const char *png = nullptr;
    for (int i = 4; i < argc; i++) {
        int w, h;
        char end;
        if (sscanf(argv[i], "%dx%d%c", &w, &h, &end) == 2 && w > 0 && h > 0)
            setPictureSize(w, h);
        else
            png = argv[i];
    }
    bool scaled = strcmp(argv[1], "scaled") == 0;
    bool between = strcmp(argv[1], "between") == 0;
    bool shown = strcmp(argv[1], "shown") == 0;
    bool play = scaled || between || shown || strcmp(argv[1], "play") == 0;
    if (play) {
        if (!setUpPlay(atoi(argv[2]), RUNTIME_DIR))
            return 1;
        if (between)
            setUpBetweenTicks();
        if (scaled && !setUpScaledPresent(desktopW, desktopH))
            return 1;
        if (shown && !setUpShownPresent())
            return 1;
    } else {
        setUpScene(atoi(argv[2]));
        viewFrom(strcmp(argv[1], "street") == 0 ? StreetView : TitleView);
    }
    for (int frame = atoi(argv[3]); frame > 0; frame--) {
        if (between)
            renderPlayFrameBetween();
        else
            play ? renderPlayFrame() : renderFrame();
        if (scaled)
            presentScaled();
        if (shown)
            presentBitmap(game.backBuffer);
    }
    int saved = 0;
    if (png) {
        // PNG with no alpha: a 32-bit bitmap's alpha byte would make it transparent.
        BITMAP *opaque = create_bitmap_ex(24, game.backBuffer->w, game.backBuffer->h);
        blit(game.backBuffer, opaque, 0, 0, 0, 0, opaque->w, opaque->h);
        saved = save_png(png, opaque, nullptr);
        destroy_bitmap(opaque);
    }
    tearDownScaledPresent();
    if (shown)
        stopDisplay();
    play ? tearDownPlay() : tearDownScene();
    return saved == 0 ? 0 : 1;
}
