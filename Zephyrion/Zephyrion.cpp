// The program: brings up Allegro, the settings and the font, shows what the
// game's foundation holds, and writes the settings back on the way out.
#include <allegro.h>

#include <cstdio>

#include "Std/Errors.h"
#include "Zephyrion/GameState.h"
#include "Zephyrion/Settings.h"
#include "text/Ttf.h"

// Source lines the error log reports start-up failures from.
static const int noDisplayLine = 520;
static const int screenModeLine = 625;
static const int fontLine = 688;

static const int highWidth = 800, highHeight = 600;
static const int lowWidth = 640, lowHeight = 480;

// A window of the settings' size; full screen comes with the platform layer.
static bool openScreen()
{
    int depth = desktop_color_depth();
    set_color_depth(depth ? depth : 16);
    bool low = game.settings.lowSpeedPC;
    return set_gfx_mode(GFX_AUTODETECT_WINDOWED, low ? lowWidth : highWidth,
                        low ? lowHeight : highHeight, 0, 0) == 0;
}

static void centred(BITMAP *bmp, TtfFont *font, int height, const char *text, int y, int colour)
{
    ttf_set_height(font, height);
    ttf_draw_text(bmp, font, text, (SCREEN_W - ttf_text_width(font, text)) / 2, y, colour);
}

static void showFoundation(TtfFont *font)
{
    BITMAP *back = create_bitmap(SCREEN_W, SCREEN_H);
    clear_to_color(back, makecol(0, 0, 0));
    centred(back, font, 62, "Zephyrion", 60, makecol(255, 255, 255));
    centred(back, font, 18, "Settings, high scores and text are in place.", 180,
            makecol(140, 140, 140));
    centred(back, font, 18, "The flight over the city is still being built.", 205,
            makecol(140, 140, 140));
    char line[128];
    snprintf(line, sizeof line, "Lives %d   Difficulty %d   Frame rate %d", game.settings.numLives,
             game.settings.difficulty, game.settings.frameRate);
    centred(back, font, 16, line, 280, makecol(255, 0, 0));
    snprintf(line, sizeof line, "Best score %d by %s", game.highScores[0].score,
             game.highScores[0].name);
    centred(back, font, 16, line, 305, makecol(0, 0, 255));
    centred(back, font, 12, "Press any key to leave", SCREEN_H - 30, makecol(230, 230, 230));
    blit(back, screen, 0, 0, 0, 0, SCREEN_W, SCREEN_H);
    destroy_bitmap(back);
}

int main()
{
    errorLogFresh = true;
    traceEnabled = false;
    resetHighScores();
    if (allegro_init() != 0) {
        logError(noDisplayLine, __FILE__, SevError, "Allegro could not start: no display");
        fprintf(stderr, "Zephyrion: Allegro could not start: no X display (is DISPLAY set?)\n");
        return 0;
    }
    install_keyboard();
    install_timer();
    set_config_file("Zephyrion.cfg");
    loadSettings();
    set_window_title("Zephyrion");
    if (!openScreen()) {
        logError(screenModeLine, __FILE__, SevError, "%s", allegro_error);
        return 0;
    }
    TtfFont *font = ttf_startup() == 0 ? ttf_load("bitmaps/chintzy.ttf") : nullptr;
    if (!font) {
        logError(fontLine, __FILE__, SevError, "Unable to load bitmaps/chintzy.ttf");
        return 0;
    }
    showFoundation(font);
    clear_keybuf();
    readkey();
    ttf_free(font);
    ttf_shutdown();
    saveSettings();
    return 0;
}
END_OF_MAIN()
