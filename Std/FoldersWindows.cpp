// Where the game's files are, on Windows: the player's in
// "%APPDATA%\Zephyrion", what ships beside the program, wherever it was
// unpacked. See Folders.h.
#include "Std/Folders.h"

#include <windows.h>
#include <shlobj.h>

#include <cstdio>

static const wchar_t *const playerFolderName = L"\\Zephyrion";
// One game at a time for each player: two would write the same settings file.
static const wchar_t *const oneGameMutex = L"Local\\Zephyrion-one-game";
static const char *const alreadyRunning = "the game is already running for this player";

static void sayWhy(const char *why)
{
    fprintf(stderr, "zephyrion: %s\n", why);
    char text[256];
    snprintf(text, sizeof text, "Zephyrion cannot start: %s.", why);
    MessageBoxA(nullptr, text, "Zephyrion", MB_OK | MB_ICONINFORMATION);
}

bool enterPlayerFolder()
{
    // Held until the program ends; Windows lets go of it then, however it ends.
    CreateMutexW(nullptr, FALSE, oneGameMutex);
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        sayWhy(alreadyRunning);
        return false;
    }
    wchar_t folder[MAX_PATH + 32];
    if (SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder) != S_OK) {
        sayWhy("there is no application data folder");
        return false;
    }
    wcscat(folder, playerFolderName);
    if (!CreateDirectoryW(folder, nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        sayWhy("its folder in the application data cannot be made");
        return false;
    }
    if (!SetCurrentDirectoryW(folder)) {
        sayWhy("its folder in the application data cannot be entered");
        return false;
    }
    return true;
}

// The program's folder in the narrow characters the C library opens files
// with: its short form, which is plain ASCII even where the long one is not.
static std::string programFolder()
{
    wchar_t path[MAX_PATH], shortPath[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length == MAX_PATH)
        return ".";
    wchar_t *slash = wcsrchr(path, L'\\');
    if (slash)
        *slash = 0;
    DWORD shortLength = GetShortPathNameW(path, shortPath, MAX_PATH);
    const wchar_t *use = shortLength > 0 && shortLength < MAX_PATH ? shortPath : path;
    char narrow[MAX_PATH * 2];
    if (!WideCharToMultiByte(CP_ACP, 0, use, -1, narrow, sizeof narrow, nullptr, nullptr))
        return ".";
    return narrow;
}

std::string dataFile(const char *name)
{
    static const std::string folder = programFolder();
    return folder + "\\" + name;
}

// The player's files are on the disk as soon as they are written.
bool storePlayerFiles()
{
    return true;
}

void storePlayerFilesSoon() {}
