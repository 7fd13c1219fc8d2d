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

// Parses one stored row "score,cities,rating,name" into row, field by field:
// the first field that does not match keeps its value, and so do those after it.
void parseHighScoreRow(const char *text, HighScoreEntry *row);
