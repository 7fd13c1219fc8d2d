// The configuration file: sections "Settings", "Keys", "HighScore", "HighScoreDemo", "Misc",
// "Display", "Sound" and "Gamepad".
#include "Zephyrion/Settings.h"

#include <allegro.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <strings.h>

#include "Std/Display.h"
#include "Std/Errors.h"
#include "Std/Files.h"
#include "Zephyrion/GameState.h"

// Guards for values a hand-edited file may hold. Out-of-range values are
// replaced when read, so the game never sees them and the file is mended at exit.
static const int maxLives = 99;          // more could not be shown or played out
static const int minSensitivity = 1;     // degrees per frame; 0 could not turn at all
static const int maxSensitivity = 90;    // larger would jump past the heading wrap
static const int maxVolume = 100;        // per cent
static const int maxDeadZone = 90;       // per cent of the stick's travel: more would leave no steering
static const int maxDemoNumber = 9999;   // a row's demo file number

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
        row.demo = 0;
    }
}

// A number as Allegro reads one (decimal, 0x hex or 0 octal, a word as 0),
// except that values beyond the int range saturate instead of wrapping.
static int readInt(const char *section, const char *key, int current)
{
    const char *text = get_config_string(section, key, nullptr);
    if (!text)
        return current;
    long value = strtol(text, nullptr, 0);
    return (int)(value < INT_MIN ? INT_MIN : value > INT_MAX ? INT_MAX : value);
}

static bool readBool(const char *section, const char *key, bool current)
{
    return readInt(section, key, current ? 1 : 0) != 0;
}

// The value from the file, or the fallback when the file's value is outside lo..hi.
static int readInRange(const char *section, const char *key, int current, int lo, int hi,
                       int fallback)
{
    int value = readInt(section, key, current);
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
        int demo = get_config_int("HighScoreDemo", key, 0);
        row.demo = demo >= 0 && demo <= maxDemoNumber ? demo : 0;
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
    s.numLives = clampInt(readInt("Settings", "NumLives", s.numLives), 0, maxLives);
    s.difficulty = readInt("Settings", "Difficulty", s.difficulty);
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
    s.windowScale = readInRange("Display", "WindowSize", s.windowScale, 0, largestWindowScale,
                                defaults.windowScale);
    s.pauseWhenUnfocused = readBool("Display", "PauseWhenUnfocused", s.pauseWhenUnfocused);
    s.smoothMotion = readInRange("Display", "SmoothMotion", s.smoothMotion, smoothMotionDisplay,
                                 fastestSmoothMotion, defaults.smoothMotion);
    s.vsync = readBool("Display", "VSync", s.vsync);
    s.scaling = readInRange("Display", "Scaling", s.scaling, 0, scalingCount - 1, defaults.scaling);
    s.widescreen = readBool("Display", "Widescreen", s.widescreen);
    s.resolution = readInRange("Display", "Resolution", s.resolution, 0, resolutionCount - 1,
                               defaults.resolution);
    s.soundVolume = clampInt(readInt("Sound", "Volume", s.soundVolume), 0, maxVolume);
    s.useGamepad = readBool("Gamepad", "Enabled", s.useGamepad);
    s.gamepadDeadZone = readInRange("Gamepad", "DeadZone", s.gamepadDeadZone, 0, maxDeadZone,
                                    defaults.gamepadDeadZone);
}

// ---- The file's text ----

static std::string settingsPath;  // the selected file
static std::string settingsText;  // its text as read and mended, then as last composed

static std::string trimmed(const std::string &text)
{
    size_t first = text.find_first_not_of(" \t"), last = text.find_last_not_of(" \t");
    return first == std::string::npos ? "" : text.substr(first, last - first + 1);
}

static bool isSectionLine(const std::string &line)
{
    size_t first = line.find_first_not_of(" \t");
    return first != std::string::npos && line[first] == '[';
}

static bool isBlank(const std::string &line)
{
    return line.find_first_not_of(" \t") == std::string::npos;
}

// The name of a "[Name]" line.
static std::string sectionName(const std::string &line)
{
    std::string t = trimmed(line);
    size_t close = t.find(']');
    return close == std::string::npos ? t.substr(1) : t.substr(1, close - 1);
}

// The name of a "Name = value" line; "" for comments and other lines.
static std::string keyName(const std::string &line)
{
    size_t equals = line.find('=');
    std::string t = trimmed(line);
    if (equals == std::string::npos || t.empty() || t[0] == '#')
        return "";
    return trimmed(line.substr(0, equals));
}

static bool sameName(const std::string &a, const char *b)
{
    return strcasecmp(a.c_str(), b) == 0;
}

// Sets a key as Allegro would: in place, keeping the file's spelling of its
// name, else at the end of its section, else in a new section at the end.
// Every other line stays as it was.
static void setKey(std::vector<std::string> &lines, const char *section, const char *key,
                   const std::string &value)
{
    size_t at = 0;
    while (at < lines.size() &&
           !(isSectionLine(lines[at]) && sameName(sectionName(lines[at]), section)))
        at++;
    if (at == lines.size()) {
        if (!lines.empty() && !isBlank(lines.back()))
            lines.push_back("");
        lines.push_back(std::string("[") + section + "]");
        lines.push_back(std::string(key) + " = " + value);
        return;
    }
    size_t end = at + 1, lastContent = at;
    for (; end < lines.size() && !isSectionLine(lines[end]); end++) {
        std::string name = keyName(lines[end]);
        if (!name.empty() && sameName(name, key)) {
            lines[end] = name + " = " + value;
            return;
        }
        if (!isBlank(lines[end]))
            lastContent = end;
    }
    lines.insert(lines.begin() + (long)lastContent + 1, std::string(key) + " = " + value);
}

static std::vector<std::string> splitLines(const std::string &text)
{
    std::vector<std::string> lines;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

static void setInt(std::vector<std::string> &lines, const char *section, const char *key, int value)
{
    setKey(lines, section, key, std::to_string(value));
}

void saveSettings()
{
    // Alt+Enter may have switched the open display on any screen.
    if (displayOpen())
        game.settings.fullScreen = displayChoice().fullScreen;
    std::vector<std::string> lines = splitLines(settingsText);
    const Settings &s = game.settings;
    setInt(lines, "Settings", "LowSpeedPC", s.lowSpeedPC);
    setInt(lines, "Settings", "OldSchool", s.oldSchool);
    setInt(lines, "Settings", "Classic", s.classic);
    setInt(lines, "Settings", "NumLives", s.numLives);
    setInt(lines, "Settings", "Difficulty", s.difficulty);
    setInt(lines, "Settings", "UseMouse", s.useMouse);
    setInt(lines, "Settings", "Sensitivity", s.sensitivity);
    for (int i = 0; i < keyBindingCount; i++)
        setInt(lines, "Keys", keyNames[i], game.keyBindings[i]);
    for (int i = 0; i < highScoreRows; i++) {
        const HighScoreEntry &row = game.highScores[i];
        char key[8], text[64];
        snprintf(key, sizeof key, "%.2d", i);
        snprintf(text, sizeof text, "%d,%d,%d,%.3s", row.score, row.cities, row.rating, row.name);
        setKey(lines, "HighScore", key, text);
    }
    for (int i = 0; i < highScoreRows; i++) {
        char key[8];
        snprintf(key, sizeof key, "%.2d", i);
        setInt(lines, "HighScoreDemo", key, game.highScores[i].demo);
    }
    setInt(lines, "Misc", "ShowFPS", s.showFPS);
    setInt(lines, "Misc", "FrameRate", s.frameRate);
    setInt(lines, "Misc", "MouseRatio", s.mouseRatio);
    setInt(lines, "Display", "FullScreen", s.fullScreen);
    setInt(lines, "Display", "WindowSize", s.windowScale);
    setInt(lines, "Display", "PauseWhenUnfocused", s.pauseWhenUnfocused);
    setInt(lines, "Display", "SmoothMotion", s.smoothMotion);
    setInt(lines, "Display", "VSync", s.vsync);
    setInt(lines, "Display", "Scaling", s.scaling);
    setInt(lines, "Display", "Widescreen", s.widescreen);
    setInt(lines, "Display", "Resolution", s.resolution);
    setInt(lines, "Sound", "Volume", s.soundVolume);
    setInt(lines, "Gamepad", "Enabled", s.useGamepad);
    setInt(lines, "Gamepad", "DeadZone", s.gamepadDeadZone);
    settingsText.clear();
    for (const std::string &line : lines)
        settingsText += line + "\n";
}

// ---- Reading and writing the file ----

static const int settingsUnsavedLine = 545;
static const char *const shutdownSource = "Zephyrion.cpp";  // the log names the shutdown's file

// Allegro reads the file as UTF-8, where a stray lead byte would swallow the
// line breaks after it. A line of UTF-8 is kept as it is; one with other bytes
// of 128 and up is taken as Latin-1 (a comment or a name typed in an old
// editor) and turned into UTF-8; one with control bytes is no text at all.
static bool mendLine(std::string &line)
{
    bool utf8 = true;
    for (size_t i = 0; i < line.size();) {
        unsigned char c = line[i];
        if ((c < ' ' && c != '\t') || c == 0x7F)
            return false;
        int follow = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2
                   : (c & 0xF8) == 0xF0 ? 3 : -1;
        bool whole = follow >= 0 && !(follow > 0 && c < 0xC2);  // no overlong forms
        for (int k = 1; whole && k <= follow; k++)
            whole = i + k < line.size() && (line[i + k] & 0xC0) == 0x80;
        utf8 &= whole;
        i += whole ? follow + 1 : 1;
    }
    if (utf8)
        return true;
    std::string latin;
    for (unsigned char c : line) {
        if (c < 0x80) {
            latin += (char)c;
        } else {
            latin += (char)(0xC0 | c >> 6);
            latin += (char)(0x80 | (c & 0x3F));
        }
    }
    line = latin;
    return true;
}

// The file's lines as Allegro can read them: no byte-order mark, any line
// ending (LF, CRLF or a lone CR) as LF, no line that is not text, and a blank
// line before every section after the first (Allegro adds a key a section
// lacks before the blank line that ends it, else under the next section).
static std::string mendText(std::string text)
{
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0)
        text.erase(0, 3);
    std::string mended;
    bool blankBefore = true, inSection = false;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
        if (!mendLine(line))
            continue;
        if (isSectionLine(line)) {
            if (inSection && !blankBefore)
                mended += "\n";
            inSection = true;
        }
        mended += line + "\n";
        blankBefore = isBlank(line);
    }
    return mended;
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

// Allegro's reader grows its line buffer (256 bytes, then twice that) only
// before a character, so a character of several bytes at the end of one writes
// past it. Its copy of the text leaves out the long lines that hold such
// characters: no key of the game's or of Allegro's own is one of them, and our
// own text keeps them to be written back.
static const size_t allegroSafeLine = 250;  // bytes

static std::string textForAllegro(const std::string &text)
{
    std::string safe;
    for (const std::string &line : splitLines(text)) {
        bool wide = false;
        for (unsigned char c : line)
            wide |= c >= 0x80;
        if (line.size() < allegroSafeLine || !wide)
            safe += line + "\n";
    }
    return safe;
}

void selectSettingsFile(const char *path)
{
    settingsPath = path;
    removeUnfinishedSaves(settingsPath.c_str());
    settingsText = mendText(readWhole(path));
    std::string forAllegro = textForAllegro(settingsText);
    set_config_data(forAllegro.data(), (int)forAllegro.size());
}

bool writeSettingsFile()
{
    saveSettings();
    if (settingsPath.empty())
        return false;  // no file was selected: nothing to write over
    if (replaceFileAtomically(settingsPath.c_str(), settingsText.data(), settingsText.size()))
        return true;
    logError(settingsUnsavedLine, shutdownSource, SevError,
             "Unable to save the settings and high scores to %s: %s", settingsPath.c_str(),
             strerror(errno));
    return false;
}
