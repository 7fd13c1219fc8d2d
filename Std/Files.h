// Files the game writes whole: the settings and the demos. A save goes to a
// file of its own beside the old one and is renamed over it in one step, so
// that a full disk, a kill or a power cut leaves the old file or the new.
#pragma once

#include <cstddef>

// Writes size bytes over path in one step; false with errno set when it could not.
bool replaceFileAtomically(const char *path, const void *data, size_t size);

// Takes away what saves killed before their rename left beside path.
void removeUnfinishedSaves(const char *path);

// Makes the folder unless it is there; false when it is not there after.
bool makeFolder(const char *path);

// Removes the file; a file that is not there is no failure.
bool removeFile(const char *path);
