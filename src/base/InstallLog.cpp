#include "base/InstallLog.h"

#include "base/Product.h"
#include "base/SystemError.h"

namespace {
HANDLE logFile = INVALID_HANDLE_VALUE;
bool asked, failed;
}  // namespace

void OpenInstallLog(const char* fileName, const char* commandLine) {
  asked = fileName[0] != '\0';
  failed = false;
  if (!asked) return;
  // Shared for writing: another run, refused because this one runs, says so in the same log.
  logFile = CreateFileA(fileName, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
  failed = logFile == INVALID_HANDLE_VALUE;
  LogLine("%s %s", PRODUCT_NAME, PRODUCT_VERSION);
  LogLine("Command line:%s", commandLine);
}

void LogLine(const char* format, ...) {
  if (logFile == INVALID_HANDLE_VALUE) return;
  char line[1024 + 2];  // the most wvsprintf writes, and the line break
  va_list arguments;
  va_start(arguments, format);
  int length = wvsprintfA(line, format, arguments);
  va_end(arguments);
  if (length < 0) return;
  for (int i = 0; i < length; ++i) {
    if (line[i] == '\n' || line[i] == '\r') line[i] = ' ';  // one event, one line
  }
  line[length++] = '\r';
  line[length++] = '\n';
  DWORD written = 0;
  if (!WriteFile(logFile, line, static_cast<DWORD>(length), &written, nullptr) || written != static_cast<DWORD>(length)) {
    failed = true;
  }
}

void LogMovedAside(const char* path) {
  LogLine("Moved aside, as a program has it loaded; goes at the next start: %s", path);
}

void LogFailure(const char* what, const char* subject, DWORD error) {
  char reason[512];
  DescribeError(error, reason, sizeof reason);
  LogLine("Failed: %s %s: %s", what, subject, reason);
}

bool CloseInstallLog() {
  if (logFile != INVALID_HANDLE_VALUE && !CloseHandle(logFile)) failed = true;
  logFile = INVALID_HANDLE_VALUE;
  return !(asked && failed);
}
