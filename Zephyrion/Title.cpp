// The title screen. See Title.h.
#include "Zephyrion/Title.h"

#include <allegro.h>

#include "Std/3D.h"
#include "Std/Display.h"
#include "Std/Input.h"
#include "Std/Platform.h"
#include "Zephyrion/City.h"
#include "Zephyrion/Frame.h"
#include "Zephyrion/Game.h"
#include "Zephyrion/GameState.h"
#include "Zephyrion/HighScores.h"
#include "Zephyrion/Layout.h"
#include "Zephyrion/Menu.h"
#include "Zephyrion/Options.h"
#include "Zephyrion/Replay.h"
#include "Zephyrion/Sounds.h"
#include "text/Ttf.h"

static const uint32_t idleMs = 10000;   // no key this long shows the High Scores
static const int keyPollMs = 10;
static const int entranceFrames = 15;
static const int menuHeight = 62;
static const int menuY[] = {240, 300, 360};
static const char *const menuItems[] = {"Start Game", "Game Options", "Exit Game"};
static const int itemCount = 3;
static const int creditHeight = 16;
// Both lines start where the first must to end 20 pixels from the edge.
static const char *const credits[] = {"Code, pictures and sounds by the Zephyrion crew",
                                      "Zephyrion - a city defence flight"};

// Over what the screen shows, as if written straight onto it.
void drawTitleMenu(int selected)
{
    BITMAP *picture = displayPicture();
    int white = makecol(255, 255, 255);
    for (int i = 0; i < itemCount; i++)
        writeCentred(picture, menuItems[i], menuHeight, menuY[i],
                     i == selected ? white : makecol(140, 140, 140));
    // The credits end at the right of the title's area, above its bottom.
    Layout l = layoutOf(picture);
    ttf_set_height(game.gameFont, scaled(l, creditHeight));
    int x = l.left + l.width - ttf_text_width(game.gameFont, credits[0]) - scaled(l, 20);
    ttf_draw_text(picture, game.gameFont, credits[0], x, placeY(l, classicHeight() - 40), white);
    ttf_draw_text(picture, game.gameFont, credits[1], x, placeY(l, classicHeight() - 20), white);
    showPicture();
}

int titleMenuKey(int &selection)
{
    switch (readKeyUnlessQuit() >> 8) {
    case KEY_UP:
        selection = selection == 0 ? itemCount - 1 : selection - 1;
        return -1;
    case KEY_DOWN:
        selection = selection == itemCount - 1 ? 0 : selection + 1;
        return -1;
    case KEY_ENTER:
    case KEY_ENTER_PAD:
    case KEY_SPACE:
        return selection;
    case KEY_ESC:
        selection = ExitGame;
        return ExitGame;
    default:
        return -1;
    }
}

// The logo grows from nothing out of the top-left corner to its place.
void logoEntrance()
{
    InLoop here("logo");
    playOnce(game.samples.logoEntrance);
    BITMAP *logo = game.bitmaps.logo;
    startFrames(0);  // its frames are its ticks
    for (int i = 0; i < entranceFrames; i++) {
        spinDepotMarkers();
        drawTitleCity();
        int finalX = logo ? (game.backBuffer->w - logo->w) / 2 : 0;
        if (logo)
            pivot_scaled_sprite(game.backBuffer, logo, (int)(finalX / 15.0 * i),
                                placeY(layoutOf(game.backBuffer), i), 0, 0, 0, ftofix(i / 15.0));
        presentFrame();
        restMs(0);
    }
    drawTitleCity();
    drawTitleLogo();
    presentFrame();
    restMs(0);
}

// How a wait on the title ended.
enum TitleWait { TimeUp, KeyCame, Resized };

static TitleWait waitForKey(uint32_t ms)
{
    uint32_t start = game.msTicks;
    while (!keyWaiting() && !quitRequested() && game.msTicks - start < ms) {
        restMs(keyPollMs);
        serveInput();
        if (pictureResized())
            return Resized;
    }
    return keyWaiting() ? KeyCame : TimeUp;
}

// True when a key ended it.
static bool highScoresInterlude()
{
    InLoop here("high scores");
    drawTitleCity();
    presentBitmap(game.backBuffer);
    drawTitleLogo();
    showHighScores();
    TitleWait ended;
    while ((ended = waitForKey(idleMs)) == Resized) {  // the table again, on the new picture
        drawTitleCity();
        presentBitmap(game.backBuffer);
        drawTitleLogo();
        showHighScores();
    }
    clearKeys();  // the key that ends the interlude does nothing else
    return ended == KeyCame;
}

void titleLoop()
{
    InLoop here("title");
    bool rebuild = true, redraw = true, logoPending = true, quit = false;
    static int selection = StartGame;  // survives games and visits to the options
    while (!quit) {
        if (rebuild) {
            game.citiesCleared = 0;
            game.citySeed = (uint32_t)nextRandom(game.pictureRandom);
            seedRandom(game.logicRandom, game.citySeed);  // a game here plays this very city
            buildCity();
            resetTitleCamera();
            rebuild = false, redraw = true, logoPending = true;
        }
        if (redraw) {
            clearKeys();
            drawTitleCity();
            if (!logoPending)
                drawTitleLogo();
            presentBitmap(game.backBuffer);
            if (logoPending)
                logoEntrance();
            logoPending = false, redraw = false;
        }
        drawTitleMenu(selection);
        TitleWait ended = waitForKey(idleMs);
        if (quitRequested())
            break;  // asked to end: as Exit Game
        if (ended == Resized) {
            redraw = true;
            continue;
        }
        if (ended == TimeUp) {  // the High Scores, then a game of the top ten in the attract mode
            if (!highScoresInterlude() && !quitRequested() && playAttractDemo())
                rebuild = true;
            redraw = true;
            continue;
        }
        switch (titleMenuKey(selection)) {
        case StartGame:
            quit = !runGame();
            freeCity();
            rebuild = true;
            break;
        case GameOptions:
            quit = !gameOptionsScreen();
            redraw = true;
            break;
        case ExitGame:
            quit = true;
            break;
        }
    }
    freeCity();
}
