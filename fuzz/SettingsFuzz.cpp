// Fuzzing the configuration file: any bytes as "Zephyrion.cfg", read, mended,
// written back and read again. The values must stay inside their guards.
#include <allegro.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "Zephyrion/GameState.h"
#include "Zephyrion/Settings.h"

static void check(bool holds)
{
    if (!holds)
        abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static bool started = false;
    if (!started) {
        install_allegro(SYSTEM_NONE, &errno, atexit);
        started = true;
    }
    FILE *file = fopen("fuzz.cfg", "wb");
    if (!file)
        return 0;
    fwrite(data, 1, size, file);
    fclose(file);
    for (int pass = 0; pass < 2; pass++) {
        game = GameState();
        resetHighScores();
        selectSettingsFile("fuzz.cfg");
        loadSettings();
        const Settings &s = game.settings;
        check(s.numLives >= 0 && s.numLives <= 99);
        check(s.sensitivity >= 1 && s.sensitivity <= 90);
        check(s.frameRate >= 1 && s.mouseRatio >= 1);
        for (int key : game.keyBindings)
            check(key >= 1 && key < KEY_MAX);
        for (const HighScoreEntry &row : game.highScores) {
            check(row.rating >= 0 && row.rating <= 5);
            check(memchr(row.name, 0, sizeof row.name) != nullptr);
        }
        writeSettingsFile();
    }
    return 0;
}
