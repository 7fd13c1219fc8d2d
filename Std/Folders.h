// Where the game's files are: the player's own (settings, high scores, logs,
// demos), which is the working folder, and the pictures, sounds and demos the
// game ships with. Start-up enters the player's folder; the loaders name
// what ships through dataFile.
#pragma once

#include <string>

// Makes the player's folder if need be and works in it from now on. False,
// saying why on stderr and to the player, when another game already runs
// there or the folder cannot be had.
bool enterPlayerFolder();

// The path of a shipped file, named as it lies in the game's folder ("bitmaps/Radar.png").
std::string dataFile(const char *name);

// Makes what was written in the player's folder outlast the program: in the
// browser, its copy in IndexedDB is brought up to date and waited for; on a
// disk there is nothing to do. False, with errno set, when it could not be.
bool storePlayerFiles();

// The same without waiting, for the log's lines.
void storePlayerFilesSoon();
