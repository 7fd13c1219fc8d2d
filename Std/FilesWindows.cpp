// Files written whole, on Windows: the new file is flushed to the disk, then
// moved over the old one in one step, and the move itself is written through.
// See Files.h.
#include "Std/Files.h"

#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <string>

// A save writes "<file>.saving-XXXXXX" first; one that was killed before its
// move left that behind, and the next start takes it away.
static const char *const savingMark = ".saving-";
static const int namesToTry = 100;  // others' leftovers a save steps over before it gives up

static void setErrno(DWORD error)
{
    switch (error) {
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
        errno = EACCES;
        break;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        errno = ENOSPC;
        break;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        errno = ENOENT;
        break;
    default:
        errno = EIO;
    }
}

// The game names its files in the system's code page; Windows' own calls take UTF-16.
static std::wstring wide(const std::string &path)
{
    int length = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
    std::wstring out(length > 0 ? length : 1, L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, &out[0], length);
    out.resize(wcslen(out.c_str()));
    return out;
}

// The folder part of path with its separator, "" for a bare name.
static std::wstring folderOf(const std::wstring &path)
{
    size_t slash = path.find_last_of(L"/\\");
    return slash == std::wstring::npos ? L"" : path.substr(0, slash + 1);
}

void removeUnfinishedSaves(const char *path)
{
    std::wstring pattern = wide(std::string(path) + savingMark + "*");
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    std::wstring folder = folderOf(pattern);
    do
        DeleteFileW((folder + found.cFileName).c_str());
    while (FindNextFileW(search, &found));
    FindClose(search);
}

static HANDLE createSaveFile(const char *path, std::wstring &name)
{
    for (int attempt = 0; attempt < namesToTry; attempt++) {
        char suffix[16];
        snprintf(suffix, sizeof suffix, "%06lx",
                 (unsigned long)((GetCurrentProcessId() * 7919u + GetTickCount() + attempt) &
                                 0xffffffu));
        name = wide(std::string(path) + savingMark + suffix);
        HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS)
            return file;
    }
    return INVALID_HANDLE_VALUE;
}

static bool writeAll(HANDLE file, const char *data, size_t size)
{
    for (size_t done = 0; done < size;) {
        DWORD chunk = size - done > 0x40000000u ? 0x40000000u : (DWORD)(size - done), written;
        if (!WriteFile(file, data + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

bool replaceFileAtomically(const char *path, const void *data, size_t size)
{
    std::wstring temporary;
    HANDLE file = createSaveFile(path, temporary);
    if (file == INVALID_HANDLE_VALUE) {
        setErrno(GetLastError());
        return false;
    }
    bool written = writeAll(file, (const char *)data, size) && FlushFileBuffers(file);
    DWORD error = GetLastError();
    CloseHandle(file);
    if (written &&
        !MoveFileExW(temporary.c_str(), wide(path).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        written = false, error = GetLastError();
    if (!written) {
        DeleteFileW(temporary.c_str());
        setErrno(error);
        return false;
    }
    return true;
}

bool makeFolder(const char *path)
{
    std::wstring folder = wide(path);
    CreateDirectoryW(folder.c_str(), nullptr);
    DWORD attributes = GetFileAttributesW(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool removeFile(const char *path)
{
    if (DeleteFileW(wide(path).c_str()))
        return true;
    DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        return true;
    setErrno(error);
    return false;
}
