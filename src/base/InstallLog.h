#pragma once
// The log that /LOG= asks for: appended to, one line per event, in UTF-8 behind a byte order mark,
// so that any folder name reads right. A log an earlier version began in the system's code page
// goes on in that code page, and stays one readable file. A log that cannot be written never stops
// a run; the run's exit code says so.
#include <windows.h>

#include "base/ScopedHandle.h"
#include "base/SystemError.h"

// The log of a run, open while the object lives: the lines below go to it.
class InstallLog {
 public:
  // Opens (appends to) the file, unless the name is empty, and writes the header: program,
  // version, command line.
  InstallLog(const wchar_t* fileName, const wchar_t* commandLine);
  ~InstallLog() { Close(); }
  InstallLog(const InstallLog&) = delete;
  InstallLog& operator=(const InstallLog&) = delete;
  // Closes the log. False when a log was asked for and anything of it could not be written.
  bool Close();

 private:
  friend void LogLine(const char* format, ...);
  void Write(const wchar_t* line, int length);
  ScopedHandle file_;
  UINT codePage_ = CP_UTF8;
  bool asked_ = false, failed_ = false;
};

// One line, formatted as wsprintfW does (%s: a wide text, %hs: an ASCII one); nothing when no log is
// open. Formats are ASCII, kept narrow: the program's fixed texts would double in size as wide ones.
void LogLine(const char* format, ...);
// A file a program holds, moved aside to be deleted at the next start.
void LogMovedAside(const wchar_t* path);
// A line with the system's message for the error appended.
void LogFailure(const char* what, const wchar_t* subject, SystemError error);
