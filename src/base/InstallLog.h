#pragma once
// The plain-text log that /LOG= asks for: appended to, one line per event. A log that cannot be
// written never stops a run; the run's exit code says so.
#include <windows.h>

// Opens (appends to) the file and writes the header: program, version, command line.
void OpenInstallLog(const char* fileName, const char* commandLine);
// One line; nothing when no log is open.
void LogLine(const char* format, ...);
// A file a program holds, moved aside to be deleted at the next start.
void LogMovedAside(const char* path);
// A line with the system's message for the error appended.
void LogFailure(const char* what, const char* subject, DWORD error);
// Closes the log. False when a log was asked for and anything of it could not be written.
bool CloseInstallLog();
