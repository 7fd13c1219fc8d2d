// The Define Keys screen, opened from Controls: one pass over the eight actions
// of the current control type, each bound to the next key pressed.
#pragma once

#include "Zephyrion/Menu.h"

const int definedActions = 8;

void defineKeysScreen();
const char *keyName(int scancode);  // the name the screen shows for a key
void defineKeys(KeySource nextKey);
