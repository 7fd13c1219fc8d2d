// The title screen: a fresh city under the logo and the three-item menu, the
// logo's entrance, and the High Scores interlude when no key comes.
// Start-up runs the title loop until the player leaves.
#pragma once

enum TitleItem { StartGame = 0, GameOptions = 1, ExitGame = 2 };

void titleLoop();
int titleMenuKey(int &selection);  // a chosen TitleItem, or -1
void logoEntrance();
void drawTitleMenu(int selected);
