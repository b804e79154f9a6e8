#pragma once
// How the layers below the installation run say what failed: a SystemError, 0 when nothing did,
// else the system's own error code (the registry's statuses are such codes too). Above them a run
// gathers its InstallFailures, and the kind it ends in gives its ExitCode. And the system's own words for an
// error code, for messages and the log.
#include <windows.h>

class SystemError {
 public:
  constexpr SystemError() = default;
  // Any of the system's codes, as functions return them (the registry's statuses too).
  constexpr SystemError(DWORD code) : code_(code) {}  // implicit on purpose
  constexpr DWORD code() const { return code_; }
  constexpr explicit operator bool() const { return code_ != 0; }
  friend constexpr bool operator==(SystemError a, SystemError b) { return a.code_ == b.code_; }
  friend constexpr bool operator!=(SystemError a, SystemError b) { return a.code_ != b.code_; }

 private:
  DWORD code_ = 0;
};

enum ErrorWords { kUsersWords, kLogWords };

// The system's message for the error, or its number where the system has none: in the user's
// language for a message, in English where the system has it for the log. text holds capacity
// characters, at least 32.
void DescribeError(SystemError error, wchar_t* text, DWORD capacity, ErrorWords words = kUsersWords);
