// The settings, key bindings and high-score table as stored in "Zephyrion.cfg".
// Start-up selects the file and calls resetHighScores then loadSettings; a
// recorded score, the option screens and shutdown write it back. In between
// the game works on the values in the record.
#pragma once

struct HighScoreEntry;

// The built-in table: 1000 down to 100 points, all "KVZ".
void resetHighScores();

// Reads the selected configuration file over the values in memory; a missing key
// keeps its value and an unsafe value is replaced (see the guards in Settings.cpp).
void loadSettings();

// Puts every setting, key and high-score row into the file's text in memory,
// keeping its comments and the keys the game does not know.
void saveSettings();

// Selects path as the configuration file and reads its text, mended where
// Allegro would go wrong with it: a byte-order mark, CR or CRLF line ends,
// lines that are not text (control bytes) left out, lines that are not UTF-8
// read as Latin-1, and a blank line before each section after the first.
void selectSettingsFile(const char *path);

// saveSettings, and the text written over the selected file in one step (a
// file of its own beside it, synced, renamed over it): whatever goes wrong, the
// old file stays whole. False, with the reason in the error log (0545), when
// it could not be written.
bool writeSettingsFile();

// Parses one stored row "score,cities,rating,name" into row, field by field:
// the first field that does not match keeps its value, and so do those after it.
void parseHighScoreRow(const char *text, HighScoreEntry *row);
