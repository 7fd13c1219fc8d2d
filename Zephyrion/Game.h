// One game, from the first city to game over: life by life, city by city.
// The title loop starts it in the city it shows.
#pragma once

// False when the game could not go on (its enemies could not be made): it
// ends through game over as any other, and then the program ends.
bool runGame();

// The steps of a game, in the order runGame takes them.
bool beginGame();             // lives, score, difficulty, the first city's enemies
void startLife();             // the craft at the city's edge, a full tank, the engine on
bool endLife(int cityResult); // false when the game is over
bool nextCity();              // the climb out with its rating, then the next city; false
                              // when its enemies could not be made
void repairAfterCity();       // by difficulty: Easy all, Normal a quarter of the damage
