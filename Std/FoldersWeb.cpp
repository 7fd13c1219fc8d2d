// Where the game's files are, in the web browser: the player's in a folder
// kept in the browser's IndexedDB, which the page brings back before the
// game starts (web/prepare.js) and the game stores after each save; what
// ships is packed beside the program, under /game. See Folders.h.
#include "Std/Folders.h"

#include <emscripten.h>

#include <cerrno>
#include <cstdlib>

#include "Std/Errors.h"

// Whether the page could bring the folder back from IndexedDB: "" when it
// could, else why not.
EM_JS(char *, playerFilesError, (), {
    return stringToNewUTF8(Module.playerFilesError || "");
});

// Stores the folder in IndexedDB and waits for it: 0, or why it failed.
EM_ASYNC_JS(char *, storeAndWait, (), {
    var error = await new Promise(function(done) { FS.syncfs(false, done); });
    return error ? stringToNewUTF8(String(error.message || error.errno || error)) : 0;
});

EM_JS(void, storeSoon, (), {
    FS.syncfs(false, function(error) {
        if (error)
            console.error("The browser did not store the player's files: " + (error.message || error));
    });
});

static bool storeWorks = true;  // false once IndexedDB refused the folder: saves last as long as the page

bool enterPlayerFolder()
{
    char *why = playerFilesError();
    if (*why) {
        storeWorks = false;
        logError(__LINE__, __FILE__, SevWarning,
                 "The browser keeps no files (%s): settings, scores and demos last until the page closes",
                 why);
    }
    free(why);
    return true;
}

std::string dataFile(const char *name)
{
    return std::string("/game/") + name;
}

bool storePlayerFiles()
{
    if (!storeWorks)
        return true;  // said once at start: the files are in the page's memory
    char *why = storeAndWait();
    if (!why)
        return true;
    logError(__LINE__, __FILE__, SevWarning, "The browser did not store the player's files: %s", why);
    free(why);
    errno = EIO;
    return false;
}

void storePlayerFilesSoon()
{
    if (storeWorks)
        storeSoon();
}
