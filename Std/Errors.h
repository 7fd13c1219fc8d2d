// The error log "ErrorLog.txt" and the frame trace "Trace.txt".
// Every module reports failures through logError; the frame loop alone traces.
// Both files open on their first line of a run and are flushed after every line.
#pragma once

// Severities of logError; any other value is written as "UNK".
enum Severity { SevInfo = 1, SevWarning = 2, SevError = 3, SevFatal = 4 };

// Longest format (error log) or label (trace) accepted, in characters.
const int logTextMax = 1024;

// Longest source base name written in a log line, in characters.
const int logBaseNameMax = 30;

extern bool errorLogFresh;  // first opening of the run truncates ("wt") when true, appends ("at") when false
extern bool traceEnabled;   // callers trace only while this is on; off unless a developer turns it on

// One line "TAG:LINE:file - message": line is the reporting source line, path the
// reporting source file (its base name is written), fmt and the rest as for printf.
void logError(int line, const char *path, int severity, const char *fmt, ...)
    __attribute__((format(printf, 4, 5)));

// One line "label : ms" with the milliseconds since the previous trace line.
void logTrace(const char *label);

// Releases both files; tests call it between cases, the game never needs to.
void closeLogs();
