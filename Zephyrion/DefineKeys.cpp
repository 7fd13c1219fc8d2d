// The Define Keys screen. See DefineKeys.h.
#include "Zephyrion/DefineKeys.h"

#include <allegro.h>

#include <cstring>

#include "Std/Display.h"
#include "Std/Input.h"
#include "Std/Platform.h"
#include "Zephyrion/GameState.h"
#include "Zephyrion/Layout.h"
#include "Zephyrion/Menu.h"
#include "Zephyrion/Pause.h"
#include "Zephyrion/Sounds.h"
#include "text/Ttf.h"

static const int labelX = 60, newX = 390, currentX = 510;
static const int labelHeight = 28, nameHeight = 18;
static const int headingY = 156, nameDrop = 6;  // a key's name sits this far below its label's top
static const int selectedY = 450;
static const int selectedPauseMs = 2000;
static const int pairedRows = 4;  // the pitch or torque pair is done after this row

struct ActionRow {
    const char *modern, *oldSchool;
    int y;
    int modernBinding, oldSchoolBinding;
};

static const ActionRow actionRows[definedActions] = {
    {"Left", "Left", 180, BindLeft, BindLeft},
    {"Right", "Right", 210, BindRight, BindRight},
    {"Pitch Forward", "Torque Increase", 240, BindPitchForward, BindTorqueIncrease},
    {"Pitch Back", "Torque Decrease", 270, BindPitchBack, BindTorqueDecrease},
    {"Accelerate", "Accelerate", 300, BindAccelerate, BindAccelerate},
    {"Deccelerate", "Deccelerate", 330, BindDeccelerate, BindDeccelerate},
    {"Stop", "Stop", 360, BindStop, BindStop},
    {"Fire", "Fire", 390, BindFire, BindFire},
};

// The keys a player is likely to choose get plain names; the rest are named
// as the keyboard's layout has them.
static const struct {
    int scancode;
    const char *name;
} plainNames[] = {
    {KEY_LEFT, "Left"},          {KEY_RIGHT, "Right"},        {KEY_UP, "Up"},
    {KEY_DOWN, "Down"},          {KEY_PGUP, "Page Up"},       {KEY_PGDN, "Page Down"},
    {KEY_HOME, "Home"},          {KEY_END, "End"},            {KEY_INSERT, "Insert"},
    {KEY_DEL, "Delete"},         {KEY_SPACE, "Space"},        {KEY_ENTER, "Enter"},
    {KEY_ENTER_PAD, "Pad Enter"}, {KEY_TAB, "Tab"},           {KEY_BACKSPACE, "Backspace"},
    {KEY_LSHIFT, "Left Shift"},  {KEY_RSHIFT, "Right Shift"}, {KEY_LCONTROL, "Left Ctrl"},
    {KEY_RCONTROL, "Right Ctrl"}, {KEY_ALT, "Alt"},           {KEY_ALTGR, "Alt Gr"},
};

static const char *const letterNames[] = {"A", "B", "C", "D", "E", "F", "G", "H", "I",
                                          "J", "K", "L", "M", "N", "O", "P", "Q", "R",
                                          "S", "T", "U", "V", "W", "X", "Y", "Z"};

const char *keyName(int scancode)
{
    if (scancode >= KEY_A && scancode <= KEY_Z)
        return letterNames[scancode - KEY_A];
    for (const auto &plain : plainNames)
        if (plain.scancode == scancode)
            return plain.name;
    const char *name = keyLabel(scancode);
    return name ? name : "?";
}

static void write(const char *text, int height, int x, int y, int colour)
{
    writeAt(displayPicture(), text, height, x, y, colour);
}

static void label(int row, bool oldSchool, int colour)
{
    const ActionRow &r = actionRows[row];
    write(oldSchool ? r.oldSchool : r.modern, labelHeight, labelX, r.y, colour);
}

static int binding(int row, bool oldSchool)
{
    return oldSchool ? actionRows[row].oldSchoolBinding : actionRows[row].modernBinding;
}

// The screen as it stands after rowsDone rows of this pass: each action with
// its key before the pass, the new keys given so far, the next action lit.
static void drawScreen(bool oldSchool, const int *before, const int *taken, int rowsDone)
{
    drawTitleCity();
    drawTitleLogo();
    presentBitmap(game.backBuffer);
    int grey = makecol(140, 140, 140), red = makecol(255, 0, 0);
    for (int row = 0; row < definedActions; row++) {
        label(row, oldSchool, grey);
        write(keyName(before[binding(row, oldSchool)]), nameHeight, currentX,
              actionRows[row].y + nameDrop, grey);
        if (row < rowsDone)
            write(keyName(taken[row]), nameHeight, newX, actionRows[row].y + nameDrop, red);
    }
    write("New", nameHeight, newX, headingY, grey);
    write("Current", nameHeight, currentX, headingY, grey);
    if (rowsDone < definedActions)
        label(rowsDone, oldSchool, makecol(255, 255, 255));
    showPicture();
}

// The next key not yet taken in this pass, or KEY_ESC, or pictureChangedKey;
// a taken key, the pause keys and a code the settings file could not keep
// sound the refusal.
static int untakenKey(KeySource nextKey, const int *taken, int count)
{
    for (;;) {
        int scancode = nextKey();
        if (scancode == KEY_ESC || scancode == pictureChangedKey)
            return scancode;
        bool refused = isPauseKey(scancode) || scancode < 1 || scancode >= KEY_MAX;
        for (int i = 0; i < count; i++)
            refused |= taken[i] == scancode;
        if (!refused)
            return scancode;
        playOnce(game.samples.refusal);
    }
}

// The pitch and torque actions share their keys: the pair not asked for
// follows the pair just bound.
static void couplePairs(bool oldSchool)
{
    int *keys = game.keyBindings;
    if (oldSchool) {
        keys[BindPitchForward] = keys[BindTorqueIncrease];
        keys[BindPitchBack] = keys[BindTorqueDecrease];
    } else {
        keys[BindTorqueIncrease] = keys[BindPitchForward];
        keys[BindTorqueDecrease] = keys[BindPitchBack];
    }
}

void defineKeys(KeySource nextKey)
{
    InLoop here("define keys");
    bool oldSchool = game.settings.oldSchool;
    int taken[definedActions] = {}, before[keyBindingCount];
    memcpy(before, game.keyBindings, sizeof before);
    drawScreen(oldSchool, before, taken, 0);
    int white = makecol(255, 255, 255), grey = makecol(140, 140, 140), red = makecol(255, 0, 0);
    for (int row = 0; row < definedActions; row++) {
        int scancode = untakenKey(nextKey, taken, row);
        if (scancode == KEY_ESC)
            return;  // the rows done keep their new keys
        if (scancode == pictureChangedKey) {  // drawn anew; the same row waits
            drawScreen(oldSchool, before, taken, row);
            row--;
            continue;
        }
        taken[row] = scancode;
        game.keyBindings[binding(row, oldSchool)] = scancode;
        write(keyName(scancode), nameHeight, newX, actionRows[row].y + nameDrop, red);
        label(row, oldSchool, grey);
        if (row + 1 < definedActions)
            label(row + 1, oldSchool, white);
        if (row + 1 == pairedRows)
            couplePairs(oldSchool);
        showPicture();
    }
    writeCentred(displayPicture(), "Keys Selected", labelHeight, selectedY, white);
    showPicture();
    restServingInput(selectedPauseMs);
}

void defineKeysScreen()
{
    defineKeys(keyboardScancode);
}
