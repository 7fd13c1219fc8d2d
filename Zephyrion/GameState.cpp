// The one instance of the game state record.
#include "Zephyrion/GameState.h"

GameState game;
