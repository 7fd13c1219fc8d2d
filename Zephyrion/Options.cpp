// The option screens. See Options.h.
#include "Zephyrion/Options.h"

// The option screens are still to come: the title menu's "Game Options" comes
// straight back, with every setting as the configuration file holds it.
bool gameOptionsScreen()
{
    return true;
}
