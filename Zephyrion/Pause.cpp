// The pause. See Pause.h.
#include "Zephyrion/Pause.h"

#include <allegro.h>

#include "Std/Display.h"
#include "Std/Gamepad.h"
#include "Std/Input.h"
#include "Std/Platform.h"
#include "Std/Sound.h"
#include "Zephyrion/GameState.h"
#include "Zephyrion/Graphics.h"
#include "Zephyrion/Layout.h"
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

// Over the last frame, which is still in the back buffer.
static void showPaused()
{
    int middle = classicHeight() / 2;
    writeCentred(game.backBuffer, "Paused", titleHeight, middle - titleRise, makecol(255, 255, 255));
    const char *how = gamepadsConnected() && game.settings.useGamepad ? padHint : hint;
    writeCentred(game.backBuffer, how, hintHeight, middle + hintDrop, makecol(200, 200, 200));
    presentBitmap(game.backBuffer);
}

// The picture changed its size while paused: the last frame, kept as it was,
// shows in its shape on the new one until the game goes on.
static void showPausedAgain(BITMAP *frozen)
{
    if (!followPicture())
        return;
    clear_bitmap(game.backBuffer);
    if (frozen) {
        ScreenRect r = fitPicture(frozen->w, frozen->h, game.backBuffer->w, game.backBuffer->h);
        stretch_blit(frozen, game.backBuffer, 0, 0, frozen->w, frozen->h, r.x, r.y, r.w, r.h);
    }
    showPaused();
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
    BITMAP *frozen = create_bitmap(game.backBuffer->w, game.backBuffer->h);
    if (frozen)
        blit(game.backBuffer, frozen, 0, 0, 0, 0, frozen->w, frozen->h);
    showPaused();
    waitForPauseKeyUp();  // the key that paused
    while (!leaving() && !pauseKeyDown()) {
        waitABit();
        showPausedAgain(frozen);
    }
    waitForPauseKeyUp();  // the key that goes on
    if (frozen)
        destroy_bitmap(frozen);
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
