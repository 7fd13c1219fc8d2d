// The pause. See Pause.h.
#include "Zephyrion/Pause.h"

#include <allegro.h>

#include "Std/Display.h"
#include "Std/Gamepad.h"
#include "Std/Input.h"
#include "Std/Platform.h"
#include "Std/Sound.h"
#include "Zephyrion/GameState.h"
#include "Zephyrion/PadControls.h"
#include "text/Ttf.h"

static const int pollMs = 10;
static const int lifeLoops = 4;        // engine, crash dive, shot, beam on a building
static const int titleHeight = 48, hintHeight = 18;
static const int titleRise = 110, hintDrop = 40;  // from mid-view, clear of the sights
static const char *const hint = "Press P to go on, Escape to end the game";
static const char *const padHint = "Press Start to go on, Back to end the game";

bool isPauseKey(int scancode)
{
    return scancode == KEY_P || scancode == KEY_PAUSE;
}

static bool pauseKeyDown()
{
    return keyHeld(KEY_P) || keyHeld(KEY_PAUSE) || padPauseHeld();
}

// Each is asked every time, so that none is left over for later. A pad
// pulled out pauses: the player has lost the controls.
bool pauseWanted()
{
    bool unfocused = focusLost() && game.settings.pauseWhenUnfocused;
    bool switched = displaySwitched();
    bool pulledOut = gamepadPulledOut();
    return pauseKeyDown() || unfocused || switched || pulledOut;
}

static bool isLifeLoop(const SAMPLE *sample)
{
    const Samples &s = game.samples;
    return sample && (sample == s.engine || sample == s.crashDive || sample == s.fireBeam ||
                      sample == s.beamOnBuilding);
}

// Stops the life's looping voices where they are; returns how many.
static int holdLoops(int held[lifeLoops])
{
    int count = 0;
    for (int voice = 0; voice < soundVoices && count < lifeLoops; voice++)
        if (isLifeLoop(voiceSample(voice))) {
            holdVoice(voice);
            held[count++] = voice;
        }
    return count;
}

static void centred(const char *text, int height, int y, int colour)
{
    ttf_set_height(game.gameFont, height);
    int x = (game.screenWidth - ttf_text_width(game.gameFont, text)) / 2;
    ttf_draw_text(game.backBuffer, game.gameFont, text, x, y, colour);
}

// Over the last frame, which is still in the back buffer.
static void showPaused()
{
    centred("Paused", titleHeight, game.screenHeight / 2 - titleRise, makecol(255, 255, 255));
    const char *how = gamepadsConnected() && game.settings.useGamepad ? padHint : hint;
    centred(how, hintHeight, game.screenHeight / 2 + hintDrop, makecol(200, 200, 200));
    presentBitmap(game.backBuffer);
}

static bool leaving()
{
    return keyHeld(KEY_ESC) || padEndHeld() || quitRequested();
}

// The paused frame stays on the picture, so a switch of the display shows it again.
static void waitABit()
{
    restMs(pollMs);
    serveInput();
}

static void waitForPauseKeyUp()
{
    while (pauseKeyDown() && !leaving())
        waitABit();
}

bool pauseGame()
{
    InLoop here("pause");
    game.paused = true;
    int held[lifeLoops];
    int heldCount = holdLoops(held);
    captureMouse(false);  // the pointer is the player's while the game waits
    showPaused();
    waitForPauseKeyUp();  // the key that paused
    while (!leaving() && !pauseKeyDown())
        waitABit();
    waitForPauseKeyUp();  // the key that goes on
    game.paused = false;
    if (leaving())
        return false;  // the life's end silences what is held
    for (int i = 0; i < heldCount; i++)
        resumeVoice(held[i]);
    int mx, my;
    mouseMotion(mx, my);  // what the mouse did meanwhile does not steer
    focusLost();  // nor does a loss of focus, a switch or a pad pulled out while paused pause again
    displaySwitched();
    gamepadPulledOut();
    return true;
}
