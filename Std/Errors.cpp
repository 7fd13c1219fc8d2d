// The error log and the frame trace. See Errors.h.
#include "Std/Errors.h"

#include "Std/Folders.h"

#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstring>

bool errorLogFresh = true;
bool traceEnabled = false;

// Source lines this module reports its own length checks from.
static const int formatTooLongLine = 42;
static const int labelTooLongLine = 140;

static FILE *errorLog = nullptr;
static FILE *traceFile = nullptr;
static bool traceClockStarted = false;
static std::chrono::steady_clock::time_point traceReference;

static const char *severityTag(int severity)
{
    switch (severity) {
    case SevInfo: return "INF";
    case SevWarning: return "WRN";
    case SevError: return "ERR";
    case SevFatal: return "FATAL";
    default: return "UNK";
    }
}

// The file name after the last directory separator. Windows builds name their
// sources with backslashes, ours with slashes; a path with neither is its own base.
static const char *baseName(const char *path)
{
    const char *base = path;
    for (const char *c = path; *c; c++)
        if (*c == '\\' || *c == '/')
            base = c + 1;
    return base;
}

// strlen that stops looking once the text is known to be too long.
static bool longerThan(const char *text, size_t limit)
{
    return strnlen(text, limit + 1) > limit;
}

void logError(int line, const char *path, int severity, const char *fmt, ...)
{
    if (longerThan(fmt, logTextMax)) {
        logError(formatTooLongLine, __FILE__, SevError,
                 "Error retrieved that is greater than max length assigned to string");
        return;
    }
    if (!errorLog) {
        errorLog = fopen("ErrorLog.txt", errorLogFresh ? "wt" : "at");
        if (errorLog)
            fputs("\n\n-----------  New log\n", errorLog);
    }
    // A folder the log cannot be written in still gets its lines told, on stderr.
    FILE *out = errorLog ? errorLog : stderr;
    // The message goes straight to the file: no buffer for a long argument to overrun.
    fprintf(out, "%s:%.4d:%.*s - ", severityTag(severity), line, logBaseNameMax, baseName(path));
    va_list args;
    va_start(args, fmt);
    vfprintf(out, fmt, args);
    va_end(args);
    fputs("\n", out);
    fflush(out);
    if (errorLog)
        storePlayerFilesSoon();
}

static unsigned msSinceTraceReference()
{
    auto elapsed = std::chrono::steady_clock::now() - traceReference;
    return (unsigned)std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count();
}

void logTrace(const char *label)
{
    if (!traceClockStarted) {
        traceReference = std::chrono::steady_clock::now();
        traceClockStarted = true;
    }
    if (longerThan(label, logTextMax)) {
        logError(labelTooLongLine, __FILE__, SevError,
                 "Trace label retrieved that is greater than max length assigned to string");
        return;
    }
    if (!traceFile) {
        traceFile = fopen("Trace.txt", "wt");
        if (!traceFile)
            return;
        fputs("\n\n-----------  New trace\n", traceFile);
    }
    fprintf(traceFile, "%s : %u\n", label, msSinceTraceReference());
    // A fresh reading, so the time spent writing counts towards the next label.
    traceReference = std::chrono::steady_clock::now();
    fflush(traceFile);
}

void closeLogs()
{
    if (errorLog)
        fclose(errorLog);
    if (traceFile)
        fclose(traceFile);
    errorLog = nullptr;
    traceFile = nullptr;
    traceClockStarted = false;
}
