// Ratings, game over and high scores. See HighScores.h.
#include "Zephyrion/HighScores.h"

#include <allegro.h>

#include <cstdio>
#include <cstring>

#include "Std/Display.h"
#include "Std/Input.h"
#include "Std/Platform.h"
#include "Zephyrion/Demo.h"
#include "Zephyrion/GameState.h"
#include "Zephyrion/Graphics.h"
#include "Zephyrion/Layout.h"
#include "Zephyrion/PadControls.h"
#include "Zephyrion/Settings.h"
#include "Zephyrion/Sounds.h"
#include "text/Ttf.h"

const RatingLevel ratingLevels[ratingCount] = {
    {"Hero", 5},       {"Sharp Shooter", 10}, {"Gung Ho", 20},
    {"Dangerous", 40}, {"Catastrophic", 9999}, {"None", -1},
};

static const int gameOverPauseMs = 2000;
static const int recordedPauseMs = 2000;
static const int initialsHeight = 96;
static const int initialsY = 370;
static const int firstAccepted = ' ', lastAccepted = 'z';
// What the arrows and the d-pad step through, in order, wrapping round.
static const char offerable[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 ";
static const int offerableCount = sizeof offerable - 1;

int cityRatingIndex()
{
    int destroyed = 0;
    for (int j = 0; j < cityStrips; j++)
        for (int i = 0; i < citySlots; i++)
            destroyed += game.city[i][j].state == BuildingDestroyed;
    for (int r = 0; r < ratingCount; r++)
        if (destroyed < ratingLevels[r].threshold)
            return r;
    return -1;
}

const char *ratingNameOf(int index)
{
    return index >= 0 && index < ratingCount ? ratingLevels[index].name : "None";
}

static int overallRating()
{
    return game.citiesCleared > 0 ? game.ratingSum / game.citiesCleared : noRating;
}

const char *ratingName(bool wholeGame)
{
    return ratingNameOf(wholeGame ? overallRating() : cityRatingIndex());
}

static void centred(BITMAP *bmp, const char *s, int height, int y, int colour)
{
    writeCentred(bmp, s, height, y, colour);
}

static void drawGameOverScreen(BITMAP *bmp)
{
    clear_bitmap(bmp);
    centred(bmp, "Game Over", 48, 60, makecol(220, 0, 0));
    char line[64];
    snprintf(line, sizeof line, "Score  %d", game.score);
    centred(bmp, line, 32, 160, makecol(160, 160, 160));
    snprintf(line, sizeof line, "Overall Rating  %s", ratingName(true));
    centred(bmp, line, 32, 190, makecol(140, 140, 140));
}

void showGameOverScreen()
{
    followPicture();
    drawGameOverScreen(game.backBuffer);
    presentBitmap(game.backBuffer);
}

static void drawCongratulations(BITMAP *bmp)
{
    centred(bmp, "Congratulations!", 48, 270, makecol(0, 0, 255));
    centred(bmp, "You have made it onto the High Score table", 16, 330, makecol(140, 140, 140));
    centred(bmp, "Please enter your initials", 16, 345, makecol(140, 140, 140));
}

void showCongratulations()
{
    drawCongratulations(game.backBuffer);
    presentBitmap(game.backBuffer);
}

int findHighScoreSlot()
{
    for (int row = 0; row < highScoreRows; row++)
        if (game.highScores[row].score < game.score)
            return row;
    return -1;
}

void insertHighScoreSlot(int row)
{
    for (int j = highScoreRows - 1; j > row; j--)
        game.highScores[j] = game.highScores[j - 1];
}

InitialsKey initialsKey(char name[initialsLength + 1], int &length, int key)
{
    int scancode = key >> 8;
    if (scancode == KEY_ESC)
        return InitialsCancelled;
    if (scancode == KEY_BACKSPACE) {
        if (length == 0)
            return InitialIgnored;
        name[--length] = ' ';
        return InitialErased;
    }
    int c = (signed char)(key & 0xFF);  // function and arrow keys carry no character
    if (c < firstAccepted || c > lastAccepted || length >= initialsLength) {
        playOnce(game.samples.refusal);
        return InitialRefused;
    }
    name[length++] = (char)c;
    return InitialAdded;
}

int offerCharacter(int &offered, int key)
{
    int scancode = key >> 8;
    bool next = scancode == KEY_UP || scancode == KEY_RIGHT;
    bool previous = scancode == KEY_DOWN || scancode == KEY_LEFT;
    if (next || previous) {
        if (offered < 0)
            offered = 0;  // the first step offers 'A'
        else
            offered = (offered + (next ? 1 : offerableCount - 1)) % offerableCount;
        return 0;
    }
    bool enter = scancode == KEY_ENTER || scancode == KEY_ENTER_PAD;
    return enter && offered >= 0 ? (unsigned char)offerable[offered] : key;
}

// The whole screen afresh in one present: the initials so far in grey, and
// after them, once the arrows or the d-pad are used, the character offered in white.
static void showEntry(const char *name, int length, int offered)
{
    followPicture();
    BITMAP *bmp = game.backBuffer;
    drawGameOverScreen(bmp);
    drawCongratulations(bmp);
    Layout l = layoutOf(bmp);
    ttf_set_height(game.gameFont, scaled(l, initialsHeight));
    int x = (bmp->w - initialsLength * ttf_text_width(game.gameFont, "W")) / 2;
    int y = placeY(l, initialsY);
    ttf_draw_text(bmp, game.gameFont, name, x, y, makecol(160, 160, 160));
    if (offered >= 0 && length < initialsLength) {
        char shown[2] = {offerable[offered], 0};
        ttf_draw_text(bmp, game.gameFont, shown, x + ttf_text_width(game.gameFont, name), y,
                      makecol(255, 255, 255));
    }
    presentBitmap(bmp);
}

// The pad's B steps back a character here, where elsewhere it goes back a screen.
void enterInitials(int row)
{
    InLoop here("initials");
    HighScoreEntry &entry = game.highScores[row];
    entry.score = game.score;
    entry.cities = game.citiesCleared;
    entry.rating = overallRating();
    memset(entry.name, 0, sizeof entry.name);
    showCongratulations();
    typeInitialsPadKeys();
    int length = 0, offered = -1;
    bool cancelled = false;
    while (length < initialsLength) {
        clearKeys();  // only keys pressed while the entry waits count
        int pressed = readKeyUnlessQuit();
        if (pressed >> 8 == pictureChangedKey) {  // the screen is drawn anew
            showEntry(entry.name, length, offered);
            continue;
        }
        int key = offerCharacter(offered, pressed);
        InitialsKey done = key ? initialsKey(entry.name, length, key) : InitialIgnored;  // a step
        cancelled = done == InitialsCancelled;
        if (cancelled)
            break;
        if (done != InitialRefused)
            showEntry(entry.name, length, offered);
    }
    typeMenuPadKeys();
    writeSettingsFile();  // the row is kept at once, whatever happens later
    if (cancelled)
        return;
    centred(displayPicture(), "High Score recorded", 16, classicHeight() - 30,
            makecol(140, 140, 140));
    showPicture();
    restServingInput(recordedPauseMs);
}

void gameOver()
{
    InLoop here("game over");
    showGameOverScreen();
    restServingInput(gameOverPauseMs);
    int row = findHighScoreSlot();
    if (row == -1)
        return;
    int dropped = game.highScores[highScoreRows - 1].demo;  // leaves the table with its row
    insertHighScoreSlot(row);
    game.highScores[row].demo = keepGameDemo(dropped);
    enterInitials(row);  // the table is written with the row
    dropRowDemo(dropped);
}

void showHighScores()
{
    BITMAP *bmp = game.backBuffer;
    centred(bmp, "High Scores", 36, 140, makecol(160, 160, 160));
    Layout l = layoutOf(bmp);
    ttf_set_height(game.gameFont, scaled(l, 18));
    int blue = makecol(0, 0, 255);
    auto at = [&](const char *text, int x, int y) {
        ttf_draw_text(bmp, game.gameFont, text, placeX(l, x), placeY(l, y), blue);
    };
    auto endingAt = [&](const char *text, int x, int y) {
        ttf_draw_text(bmp, game.gameFont, text, placeX(l, x) - ttf_text_width(game.gameFont, text),
                      placeY(l, y), blue);
    };
    for (int i = 0; i < highScoreRows; i++) {
        const HighScoreEntry &row = game.highScores[i];
        int y = 210 + 24 * i;
        char text[32];
        snprintf(text, sizeof text, "%d", row.score);
        endingAt(text, 140, y);
        at(row.name, 160, y);
        snprintf(text, sizeof text, "%d", row.cities);
        endingAt(text, 280, y);
        at(ratingNameOf(row.rating), 300, y);
    }
    presentBitmap(bmp);
}
