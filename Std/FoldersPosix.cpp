// Where the game's files are, on Linux. See Folders.h.
#include "Std/Folders.h"

// The launcher has already entered the player's folder, linked the shipped
// files in beside the player's own and made sure one game runs there.
bool enterPlayerFolder()
{
    return true;
}

std::string dataFile(const char *name)
{
    return name;
}

// The player's files are on the disk as soon as they are written.
bool storePlayerFiles()
{
    return true;
}

void storePlayerFilesSoon() {}
