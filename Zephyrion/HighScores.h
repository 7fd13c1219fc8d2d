// Ratings, game over and the high-score table: each cleared city's rating, the
// game's overall rating, the game-over screen, the initials of a top-ten score
// and the High Scores screen the title loop shows.
#pragma once

#include "Zephyrion/GameState.h"

struct RatingLevel {
    const char *name;
    int threshold;  // applies while fewer buildings than this were destroyed
};

extern const RatingLevel ratingLevels[ratingCount];

int cityRatingIndex();           // the current city's rating, or -1
const char *ratingName(bool wholeGame);
const char *ratingNameOf(int index);  // "None" for an index outside the table
void gameOver();
int findHighScoreSlot();         // the row the score takes, or -1
void insertHighScoreSlot(int row);

const int initialsLength = 3;  // a table row's name: three characters

// What one key did to the initials being typed.
enum InitialsKey { InitialAdded, InitialErased, InitialIgnored, InitialRefused, InitialsCancelled };

// Applies one readkey() value to name, of which length characters are typed;
// a key that cannot be taken sounds the refusal.
InitialsKey initialsKey(char name[initialsLength + 1], int &length, int key);

// The arrows and the d-pad step the character offered (offered: -1 none yet,
// else an index into the offered set, from 'A'); Enter and A take it. Returns
// the key for initialsKey: as typed, the offered character for Enter, 0 after a step.
int offerCharacter(int &offered, int key);
void enterInitials(int row);
void showGameOverScreen();
void showCongratulations();
void showHighScores();
