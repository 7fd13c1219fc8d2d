// Files written whole, on Linux. See Files.h.
#include "Std/Files.h"

#include "Std/Folders.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// A save writes "<file>.saving-XXXXXX" first; one that was killed before its
// rename left that behind, and the next start takes it away.
static const char *const savingMark = ".saving-";

static std::string folderOf(const std::string &path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

void removeUnfinishedSaves(const char *path)
{
    std::string whole = path;
    std::string folder = folderOf(whole);
    std::string prefix = whole.substr(whole.rfind('/') + 1) + savingMark;
    DIR *entries = opendir(folder.c_str());
    if (!entries)
        return;
    while (const dirent *entry = readdir(entries))
        if (strncmp(entry->d_name, prefix.c_str(), prefix.size()) == 0)
            unlink((folder + "/" + entry->d_name).c_str());
    closedir(entries);
}

static bool writeAll(int fd, const char *data, size_t size)
{
    for (size_t done = 0; done < size;) {
        ssize_t n = write(fd, data + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += (size_t)n;
    }
    return true;
}

bool replaceFileAtomically(const char *path, const void *data, size_t size)
{
    std::string temporary = std::string(path) + savingMark + "XXXXXX";
    int fd = mkstemp(&temporary[0]);
    if (fd < 0)
        return false;
    bool written =
        fchmod(fd, 0644) == 0 && writeAll(fd, (const char *)data, size) && fsync(fd) == 0;
    int saved = errno;
    if (close(fd) != 0 && written)
        written = false, saved = errno;
    if (written && rename(temporary.c_str(), path) != 0)
        written = false, saved = errno;
    if (!written) {
        unlink(temporary.c_str());
        errno = saved;
        return false;
    }
    int folder = open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY);
    if (folder >= 0) {
        fsync(folder);
        close(folder);
    }
    return storePlayerFiles();
}

bool makeFolder(const char *path)
{
    if (mkdir(path, 0755) == 0 || errno == EEXIST) {
        struct stat s;
        return stat(path, &s) == 0 && S_ISDIR(s.st_mode);
    }
    return false;
}

bool removeFile(const char *path)
{
    return (unlink(path) == 0 || errno == ENOENT) && storePlayerFiles();
}
