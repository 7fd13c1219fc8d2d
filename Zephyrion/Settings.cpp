// The configuration file: sections "Settings", "Keys", "HighScore", "Misc" and "Display".
#include "Zephyrion/Settings.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "Zephyrion/GameState.h"
#include "Zephyrion/HighScores.h"

// Guards for values a hand-edited file may hold. Out-of-range values are
// replaced when read, so the game never sees them and the file is mended at exit.
static const int maxLives = 99;          // more could not be shown or played out
static const int minSensitivity = 1;     // degrees per frame; 0 could not turn at all
static const int maxSensitivity = 90;    // larger would jump past the heading wrap

static const char *const keyNames[keyBindingCount] = {
    "Left",           "Right",      "PitchForward", "PitchBack", "TorqueIncrease",
    "TorqueDecrease", "Accelerate", "Deccelerate",  "Stop",      "Fire",
};

void resetHighScores()
{
    for (int i = 0; i < highScoreRows; i++) {
        HighScoreEntry &row = game.highScores[i];
        row.score = (highScoreRows - i) * 100;
        strcpy(row.name, "KVZ");
        row.cities = 0;
        row.rating = rand() % ratingCount;
    }
}

static bool readBool(const char *section, const char *key, bool current)
{
    return get_config_int(section, key, current ? 1 : 0) != 0;
}

// The value from the file, or the fallback when the file's value is outside lo..hi.
static int readInRange(const char *section, const char *key, int current, int lo, int hi,
                       int fallback)
{
    int value = get_config_int(section, key, current);
    return value >= lo && value <= hi ? value : fallback;
}

static int clampInt(int value, int lo, int hi)
{
    return value < lo ? lo : value > hi ? hi : value;
}

// One "%d" field: optional blanks, an optional sign and at least one digit.
// Values beyond the int range saturate instead of overflowing.
static bool parseInt(const char **text, int *out)
{
    char *end;
    long value = strtol(*text, &end, 10);
    if (end == *text)
        return false;
    *out = (int)(value < INT_MIN ? INT_MIN : value > INT_MAX ? INT_MAX : value);
    *text = end;
    return true;
}

static bool parseComma(const char **text)
{
    if (**text != ',')
        return false;
    (*text)++;
    return true;
}

// One "%s" field cut to the three characters the name holds: leading blanks are
// skipped and the name ends at the next blank.
static void parseName(const char *text, char name[4])
{
    while (isspace((unsigned char)*text))
        text++;
    if (!*text)
        return;
    int length = 0;
    while (length < 3 && text[length] && !isspace((unsigned char)text[length]))
        length++;
    memcpy(name, text, length);
    name[length] = '\0';
}

void parseHighScoreRow(const char *text, HighScoreEntry *row)
{
    if (!parseInt(&text, &row->score) || !parseComma(&text))
        return;
    if (!parseInt(&text, &row->cities) || !parseComma(&text))
        return;
    if (!parseInt(&text, &row->rating) || !parseComma(&text))
        return;
    parseName(text, row->name);
}

static void loadHighScores()
{
    for (int i = 0; i < highScoreRows; i++) {
        char key[8];
        snprintf(key, sizeof key, "%.2d", i);
        const char *text = get_config_string("HighScore", key, nullptr);
        if (text)
            parseHighScoreRow(text, &game.highScores[i]);
        HighScoreEntry &row = game.highScores[i];
        if (row.rating < 0 || row.rating >= ratingCount)
            row.rating = noRating;
    }
}

static void loadKeys()
{
    for (int i = 0; i < keyBindingCount; i++)
        game.keyBindings[i] =
            readInRange("Keys", keyNames[i], game.keyBindings[i], 1, KEY_MAX - 1, game.keyBindings[i]);
}

void loadSettings()
{
    Settings &s = game.settings;
    const Settings defaults;
    s.lowSpeedPC = readBool("Settings", "LowSpeedPC", s.lowSpeedPC);
    s.classic = readBool("Settings", "Classic", s.classic);
    s.numLives = clampInt(get_config_int("Settings", "NumLives", s.numLives), 0, maxLives);
    s.difficulty = get_config_int("Settings", "Difficulty", s.difficulty);
    s.useMouse = readBool("Settings", "UseMouse", s.useMouse);
    s.oldSchool = readBool("Settings", "OldSchool", s.oldSchool);
    s.sensitivity = readInRange("Settings", "Sensitivity", s.sensitivity, minSensitivity,
                                maxSensitivity, defaults.sensitivity);
    loadKeys();
    loadHighScores();
    s.showFPS = readBool("Misc", "ShowFPS", s.showFPS);
    s.frameRate = readInRange("Misc", "FrameRate", s.frameRate, 1, INT_MAX, defaults.frameRate);
    s.mouseRatio = readInRange("Misc", "MouseRatio", s.mouseRatio, 1, INT_MAX, defaults.mouseRatio);
    s.fullScreen = readBool("Display", "FullScreen", s.fullScreen);
}

static void saveHighScores()
{
    for (int i = 0; i < highScoreRows; i++) {
        const HighScoreEntry &row = game.highScores[i];
        char key[8], text[64];
        snprintf(key, sizeof key, "%.2d", i);
        snprintf(text, sizeof text, "%d,%d,%d,%.3s", row.score, row.cities, row.rating, row.name);
        set_config_string("HighScore", key, text);
    }
}

void saveSettings()
{
    const Settings &s = game.settings;
    set_config_int("Settings", "LowSpeedPC", s.lowSpeedPC);
    set_config_int("Settings", "OldSchool", s.oldSchool);
    set_config_int("Settings", "Classic", s.classic);
    set_config_int("Settings", "NumLives", s.numLives);
    set_config_int("Settings", "Difficulty", s.difficulty);
    set_config_int("Settings", "UseMouse", s.useMouse);
    set_config_int("Settings", "Sensitivity", s.sensitivity);
    for (int i = 0; i < keyBindingCount; i++)
        set_config_int("Keys", keyNames[i], game.keyBindings[i]);
    saveHighScores();
    set_config_int("Misc", "ShowFPS", s.showFPS);
    set_config_int("Misc", "FrameRate", s.frameRate);
    set_config_int("Misc", "MouseRatio", s.mouseRatio);
    set_config_int("Display", "FullScreen", s.fullScreen);
}

bool settingsFileWritable(const char *path)
{
    struct stat st;
    if (stat(path, &st) != 0)
        return errno == ENOENT && access(".", W_OK) == 0;
    if (S_ISDIR(st.st_mode)) {
        errno = EISDIR;
        return false;
    }
    return access(path, W_OK) == 0;
}

// ---- The file itself ----

static std::string settingsPath;  // the selected file
static std::string mendedText;    // what Allegro reads when the file needed mending
static bool rewriteNeeded = false;

// Allegro reads the file as UTF-8: a stray lead byte would swallow the line
// breaks after it.
static bool isTextLine(const std::string &line)
{
    size_t i = 0;
    while (i < line.size()) {
        unsigned char c = line[i];
        int follow = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2
                   : (c & 0xF8) == 0xF0 ? 3 : -1;
        if (follow < 0 || (c < ' ' && c != '\t' && c != '\r') || c == 0x7F)
            return false;
        if (follow > 0 && c < 0xC2)  // overlong forms
            return false;
        for (int k = 1; k <= follow; k++)
            if (i + k >= line.size() || (line[i + k] & 0xC0) != 0x80)
                return false;
        i += follow + 1;
    }
    return true;
}

static bool isSectionLine(const std::string &line)
{
    size_t first = line.find_first_not_of(" \t");
    return first != std::string::npos && line[first] == '[';
}

static std::string readWhole(const char *path)
{
    std::string text;
    FILE *file = fopen(path, "rb");
    if (!file)
        return text;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, file)) > 0)
        text.append(buffer, n);
    fclose(file);
    return text;
}

static void writeWhole(const char *path, const std::string &text)
{
    FILE *file = fopen(path, "wb");
    if (!file)
        return;
    fwrite(text.data(), 1, text.size(), file);
    fclose(file);
}

// The file's text lines, with a blank line before every section after the
// first: Allegro adds a key a section lacks before the blank line that ends
// the section, and without one the key lands in the next section, where the
// next run would not look. True when anything had to change.
static bool mendText(const std::string &text, std::string &mended)
{
    bool changed = false, blankBefore = true, inSection = false;
    mended.clear();
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        bool lastLine = end == std::string::npos;
        if (lastLine)
            end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!isTextLine(line)) {
            changed = true;
            continue;
        }
        if (isSectionLine(line)) {
            if (inSection && !blankBefore) {
                mended += "\n";
                changed = true;
            }
            inSection = true;
        }
        mended += line + "\n";
        changed |= lastLine;
        blankBefore = line.find_first_not_of(" \t\r") == std::string::npos;
    }
    return changed;
}

void selectSettingsFile(const char *path)
{
    settingsPath = path;
    rewriteNeeded = mendText(readWhole(path), mendedText);
    if (rewriteNeeded)
        set_config_data(mendedText.data(), (int)mendedText.size());
    else
        set_config_file(path);
}

void writeSettingsFile()
{
    const char *path = settingsPath.c_str();
    if (rewriteNeeded) {
        writeWhole(path, mendedText);
        set_config_file(path);
        rewriteNeeded = false;
    }
    saveSettings();
    flush_config_file();
    // What Allegro wrote is mended too, so that the next run reads it unchanged.
    std::string written;
    if (mendText(readWhole(path), written))
        writeWhole(path, written);
}
