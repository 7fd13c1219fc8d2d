// The Game Options, Controls and Define Keys screens, reached from the title menu.
#pragma once

// False when a change of display mode failed: the program must then end.
bool gameOptionsScreen();
