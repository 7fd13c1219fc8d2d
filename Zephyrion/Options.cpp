// The Game Options, Controls and Display and Sound screens. See Options.h.
#include "Zephyrion/Options.h"

#include <allegro.h>

#include <algorithm>
#include <cstdio>

#include "Std/Display.h"
#include "Std/Errors.h"
#include "Std/Platform.h"
#include "Zephyrion/DefineKeys.h"
#include "Zephyrion/GameState.h"
#include "Zephyrion/Layout.h"
#include "Zephyrion/Graphics.h"
#include "Zephyrion/Menu.h"
#include "Zephyrion/PadControls.h"
#include "Zephyrion/Settings.h"
#include "Zephyrion/Sounds.h"
#include "text/Ttf.h"

static const int labelX = 60, valueX = 390;
static const int labelHeight = 36, valueHeight = 26;
static const int valueDrop = 8;  // a value sits this far below its label's top
static const int valueGap = 20;  // a label too long for the value column: its value this far after it
static const int fewestLives = 3, mostLives = 5;
static const int easy = 1, normal = 2, hard = 3;
static const int fine = 1, normalTurn = 3, coarse = 6;

int nextLives(int lives)
{
    return lives + 1 > mostLives ? fewestLives : lives + 1;
}

int nextDifficulty(int difficulty)
{
    return difficulty == easy ? normal : difficulty == normal ? hard : easy;
}

int nextSensitivity(int sensitivity)
{
    return sensitivity == fine ? normalTurn : sensitivity == normalTurn ? coarse : fine;
}

const char *difficultyName(int difficulty)
{
    return difficulty == easy ? "Easy" : difficulty == hard ? "Hard" : "Normal";
}

const char *sensitivityName(int sensitivity)
{
    return sensitivity == fine ? "Fine" : sensitivity == coarse ? "Coarse" : "Normal";
}

// A row of an option screen: its label, an optional value, and what Enter
// does. An action returns false when the program must end; a row without an
// action is "Back".
struct OptionRow {
    const char *label;
    int y;
    const char *(*value)();
    bool (*act)(KeySource nextKey);
};

// ---- The display mode ----

// Sets the mode LowSpeedPC asks for, and logs the library's reason when it cannot.
static bool setModeOrLog()
{
    if (setGameScreenMode())
        return true;
    logError(__LINE__, __FILE__, SevError, "%s", allegro_error);
    return false;
}

// Everything drawn is released, the mode changed, and everything loaded again
// at the new size. A mode that cannot be had falls back to the one before;
// only when that fails too does the program end.
static bool switchDisplayMode(KeySource)
{
    bool wasLow = game.settings.lowSpeedPC;
    game.settings.lowSpeedPC = !wasLow;
    freeGraphics();
    if (!setModeOrLog()) {
        game.settings.lowSpeedPC = wasLow;
        if (!setModeOrLog())
            return false;
    }
    if (!loadGraphics())
        return false;
    game.craft = {};  // the title's craft starts afresh, still
    resetTitleCamera();
    return true;
}

// ---- Game Options ----

static const char *systemValue()
{
    return game.settings.lowSpeedPC ? "Low Speed PC" : "High Speed PC";
}

static const char *gameTypeValue()
{
    return game.settings.classic ? "Classic" : "Modern";
}

static const char *livesValue()
{
    static char text[16];
    snprintf(text, sizeof text, "%d", game.settings.numLives);
    return text;
}

static const char *difficultyValue()
{
    return difficultyName(game.settings.difficulty);
}

static bool toggleGameType(KeySource)
{
    game.settings.classic = !game.settings.classic;
    return true;
}

static bool stepLives(KeySource)
{
    game.settings.numLives = nextLives(game.settings.numLives);
    return true;
}

static bool stepDifficulty(KeySource)
{
    game.settings.difficulty = nextDifficulty(game.settings.difficulty);
    return true;
}

static bool openControls(KeySource nextKey)
{
    controlsScreen(nextKey);
    return true;
}

static bool openDisplayAndSound(KeySource nextKey)
{
    return displayAndSoundScreen(nextKey);
}

static const OptionRow gameOptionRows[] = {
    {"System", 180, systemValue, switchDisplayMode},
    {"Game Type", 220, gameTypeValue, toggleGameType},
    {"Number of Lives", 260, livesValue, stepLives},
    {"Difficulty", 300, difficultyValue, stepDifficulty},
    {"Controls...", 340, nullptr, openControls},
    {"Display and Sound...", 380, nullptr, openDisplayAndSound},
    {"Back", 450, nullptr, nullptr},
};

// ---- Controls ----

static const char *useMouseValue()
{
    return game.settings.useMouse ? "Yes" : "No";
}

static const char *gamepadValue()
{
    return game.settings.useGamepad ? "On" : "Off";
}

static const char *controlTypeValue()
{
    return game.settings.oldSchool ? "Old School" : "Modern";
}

static const char *sensitivityValue()
{
    return sensitivityName(game.settings.sensitivity);
}

static bool toggleMouse(KeySource)
{
    game.settings.useMouse = !game.settings.useMouse;
    return true;
}

static bool toggleGamepad(KeySource)
{
    game.settings.useGamepad = !game.settings.useGamepad;
    applyGamepadSetting();
    return true;
}

static bool toggleControlType(KeySource)
{
    game.settings.oldSchool = !game.settings.oldSchool;
    return true;
}

static bool stepSensitivity(KeySource)
{
    game.settings.sensitivity = nextSensitivity(game.settings.sensitivity);
    return true;
}

static bool openDefineKeys(KeySource nextKey)
{
    defineKeys(nextKey);
    return true;
}

static const OptionRow controlRows[] = {
    {"Use Mouse", 180, useMouseValue, toggleMouse},
    {"Gamepad", 220, gamepadValue, toggleGamepad},
    {"Control Type", 260, controlTypeValue, toggleControlType},
    {"Sensitivity", 300, sensitivityValue, stepSensitivity},
    {"Define Keys...", 340, nullptr, openDefineKeys},
    {"Back", 380, nullptr, nullptr},
};

// ---- Display and Sound ----

static const int volumeStep = 10;  // per cent

int nextWindowScale(int scale)
{
    return scale >= largestWindowScale || scale < 0 ? 0 : scale + 1;
}

int nextVolume(int percent)
{
    int next = percent / volumeStep * volumeStep + volumeStep;
    return next > fullVolumePercent ? 0 : next;
}

// A rate set by hand steps on to the next offered above it.
int nextSmoothMotion(int rate)
{
    static const int offered[] = {60, 120, 144};
    if (rate == smoothMotionDisplay)
        return smoothMotionOff;
    for (int next : offered)
        if (next > rate)
            return next;
    return smoothMotionDisplay;
}

const char *smoothMotionName(int rate)
{
    static char text[16];
    if (rate == smoothMotionOff)
        return "Off";
    if (rate == smoothMotionDisplay)
        return "Display";
    snprintf(text, sizeof text, "%d fps", rate);
    return text;
}

static const char *displayValue()
{
    return displayFullScreen() ? "Full Screen" : "Window";
}

static const char *windowSizeValue()
{
    static const char *const names[] = {"Auto", "1x", "2x", "3x"};
    int scale = game.settings.windowScale;
    return scale >= 0 && scale <= largestWindowScale ? names[scale] : names[0];
}

static const char *volumeValue()
{
    static char text[16];
    snprintf(text, sizeof text, "%d %%", game.settings.soundVolume);
    return text;
}

static const char *pauseValue()
{
    return game.settings.pauseWhenUnfocused ? "Yes" : "No";
}

// A mode that cannot be had leaves the one in force; only when neither can be
// set does the program end.
static bool applyOrLog()
{
    bool shown = applyDisplaySettings();
    if (!shown)
        logError(__LINE__, __FILE__, SevError, "%s", allegro_error);
    game.settings.fullScreen = displayChoice().fullScreen;
    return shown;
}

// The other kind, where it can be had; where not, the log says why.
static bool toggleDisplay(KeySource)
{
    bool wanted = !displayFullScreen();
    game.settings.fullScreen = wanted;
    if (!applyOrLog())
        return false;
    if (displayFullScreen() != wanted)
        logError(__LINE__, __FILE__, SevWarning, "%s", allegro_error);
    return true;
}

// The size shows at once in a window; a full screen keeps it for the next window.
static bool stepWindowSize(KeySource)
{
    game.settings.windowScale = nextWindowScale(game.settings.windowScale);
    game.settings.fullScreen = displayFullScreen();
    return applyOrLog();
}

static bool stepVolume(KeySource)
{
    game.settings.soundVolume = nextVolume(game.settings.soundVolume);
    applySoundVolume();
    return true;
}

static const char *vsyncValue()
{
    return game.settings.vsync ? "On" : "Off";
}

static bool toggleVsync(KeySource)
{
    game.settings.vsync = !game.settings.vsync;
    game.settings.fullScreen = displayFullScreen();
    return applyOrLog();
}

const char *scalingName(int scaling)
{
    static const char *const names[scalingCount] = {"Sharp", "Pixel Perfect", "Smooth"};
    return scaling >= 0 && scaling < scalingCount ? names[scaling] : names[ScaleSharp];
}

static const char *scalingValue()
{
    return scalingName(game.settings.scaling);
}

// The picture refits at once.
static bool stepScaling(KeySource)
{
    int next = game.settings.scaling + 1;
    game.settings.scaling = next >= 0 && next < scalingCount ? next : ScaleSharp;
    game.settings.fullScreen = displayFullScreen();
    return applyOrLog();
}

static const char *widescreenValue()
{
    return game.settings.widescreen ? "On" : "Off";
}

static bool toggleWidescreen(KeySource)
{
    game.settings.widescreen = !game.settings.widescreen;
    game.settings.fullScreen = displayFullScreen();
    return applyOrLog();
}

static const char *resolutionName(int resolution)
{
    static const char *const names[resolutionCount] = {"Screen", "Classic", "Double"};
    return resolution >= 0 && resolution < resolutionCount ? names[resolution]
                                                           : names[ResolutionClassic];
}

static const char *resolutionValue()
{
    return resolutionName(game.settings.resolution);
}

// Classic, Double, Screen, and round again.
static bool stepResolution(KeySource)
{
    static const int next[resolutionCount] = {ResolutionClassic, ResolutionDouble, ResolutionScreen};
    int r = game.settings.resolution;
    game.settings.resolution = r >= 0 && r < resolutionCount ? next[r] : ResolutionClassic;
    game.settings.fullScreen = displayFullScreen();
    return applyOrLog();
}

static bool togglePauseWhenUnfocused(KeySource)
{
    game.settings.pauseWhenUnfocused = !game.settings.pauseWhenUnfocused;
    return true;
}

static const char *smoothMotionValue()
{
    return smoothMotionName(game.settings.smoothMotion);
}

// The next game draws at it.
static bool stepSmoothMotion(KeySource)
{
    game.settings.smoothMotion = nextSmoothMotion(game.settings.smoothMotion);
    return true;
}

static const OptionRow displayAndSoundRows[] = {
    {"Display", 180, displayValue, toggleDisplay},
    {"Window Size", 210, windowSizeValue, stepWindowSize},
    {"Widescreen", 240, widescreenValue, toggleWidescreen},
    {"Resolution", 270, resolutionValue, stepResolution},
    {"Scaling", 300, scalingValue, stepScaling},
    {"VSync", 330, vsyncValue, toggleVsync},
    {"Smooth Motion", 360, smoothMotionValue, stepSmoothMotion},
    {"Sound Volume", 390, volumeValue, stepVolume},
    {"Pause When Unfocused", 420, pauseValue, togglePauseWhenUnfocused},
    {"Back", 450, nullptr, nullptr},
};

// ---- The screen loop all share ----

static bool leaveOptionScreen()
{
    writeSettingsFile();  // a failure is logged; the screen is left all the same
    return true;
}

static void drawRows(const OptionRow *rows, int count, int selected)
{
    drawTitleCity();
    drawTitleLogo();
    BITMAP *to = game.backBuffer;
    int white = makecol(255, 255, 255), grey = makecol(140, 140, 140), red = makecol(255, 0, 0);
    for (int i = 0; i < count; i++) {
        writeAt(to, rows[i].label, labelHeight, labelX, rows[i].y, i == selected ? white : grey);
        if (rows[i].value) {
            ttf_set_height(game.gameFont, labelHeight);  // where the label ends, on the classic picture
            int labelEnd = labelX + ttf_text_width(game.gameFont, rows[i].label);
            writeAt(to, rows[i].value(), valueHeight, std::max(valueX, labelEnd + valueGap),
                    rows[i].y + valueDrop, red);
        }
    }
    presentBitmap(to);
}

// Runs one option screen until Back or Escape, and saves what it changed;
// false when the program must end.
static bool runOptionScreen(const OptionRow *rows, int count, KeySource nextKey)
{
    InLoop here("options");
    int selected = 0;
    for (;;) {
        drawRows(rows, count, selected);
        switch (nextKey()) {
        case KEY_UP:
            selected = selected == 0 ? count - 1 : selected - 1;
            break;
        case KEY_DOWN:
            selected = selected == count - 1 ? 0 : selected + 1;
            break;
        case KEY_ENTER:
        case KEY_ENTER_PAD:
        case KEY_SPACE:
            if (!rows[selected].act)
                return leaveOptionScreen();
            if (!rows[selected].act(nextKey))
                return false;
            break;
        case KEY_ESC:
            return leaveOptionScreen();
        }
    }
}

bool gameOptions(KeySource nextKey)
{
    return runOptionScreen(gameOptionRows, sizeof gameOptionRows / sizeof *gameOptionRows, nextKey);
}

bool gameOptionsScreen()
{
    return gameOptions(keyboardScancode);
}

void controlsScreen(KeySource nextKey)
{
    runOptionScreen(controlRows, sizeof controlRows / sizeof *controlRows, nextKey);
}

bool displayAndSoundScreen(KeySource nextKey)
{
    return runOptionScreen(displayAndSoundRows,
                           sizeof displayAndSoundRows / sizeof *displayAndSoundRows, nextKey);
}
