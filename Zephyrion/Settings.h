// The settings, key bindings and high-score table as stored in "Zephyrion.cfg".
// Start-up selects the file and calls resetHighScores then loadSettings; shutdown
// calls saveSettings. In between the game works on the values in the record.
#pragma once

struct HighScoreEntry;

// The built-in table: 1000 down to 100 points, all "KVZ".
void resetHighScores();

// Reads the selected configuration file over the values in memory; a missing key
// keeps its value and an unsafe value is replaced (see the guards in Settings.cpp).
void loadSettings();

// Writes every setting, key and high-score row to the selected configuration file.
void saveSettings();

// Selects path as the configuration file, mended where Allegro would go wrong
// with it: lines that are not text (control bytes, or bytes that are not UTF-8)
// throw its reader out of step and are left out, and a section not set apart
// by a blank line would get another section's new keys, so it gets one.
void selectSettingsFile(const char *path);

// saveSettings into the selected file, and the file written; a file that was
// mended is written afresh from its mended text.
void writeSettingsFile();

// Whether path can be written back: a regular file we may write, or none yet in
// a folder we may write in. Otherwise errno says why. (Allegro itself keeps
// quiet when it cannot write the file.)
bool settingsFileWritable(const char *path);

// Parses one stored row "score,cities,rating,name" into row, field by field:
// the first field that does not match keeps its value, and so do those after it.
void parseHighScoreRow(const char *text, HighScoreEntry *row);
