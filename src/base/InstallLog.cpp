#include "base/InstallLog.h"

#include <string.h>

#include "base/PathText.h"
#include "base/Permissions.h"
#include "base/MakerValues.h"
#include "base/SystemError.h"
#include "base/TrustedFolder.h"

namespace {
InstallLog* openLog;  // the one log of this run, while it lives

const BYTE kByteOrderMark[] = {0xEF, 0xBB, 0xBF};

bool WriteBytes(HANDLE file, const void* bytes, DWORD size) {
  DWORD written = 0;
  return WriteFile(file, bytes, size, &written, nullptr) && written == size;
}
// The elevated setup appends to whatever file it is named, so in a folder where other users can make
// files first, one of them could have it write into another file: a link, a second name of
// another file (a hard link), or a file that is theirs, not an administrator's.
bool IsTrustedLogFile(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION information;
  return GetFileInformationByHandle(file, &information) &&
         !(information.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) &&
         information.nNumberOfLinks == 1 && IsOwnedByAnAdministrator(file);
}
}  // namespace

InstallLog::InstallLog(const wchar_t* fileName, const wchar_t* commandLine) {
  asked_ = fileName[0] != L'\0';
  if (!asked_) return;
  // Through its folder, walked down by handle: a link on the way or in the file's place is refused,
  // never followed. Shared for writing: another run, refused because this one runs, says so in the
  // same log.
  TrustedFolder folder;
  const wchar_t* name = nullptr;
  if (folder.OpenFolderOf(fileName, kWriteFolder, &name) == 0) {
    folder.OpenFile(name, FILE_APPEND_DATA | FILE_READ_DATA | READ_CONTROL, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    FILE_OPEN_IF, &file_);
  }
  if (file_.valid() && !IsTrustedLogFile(file_.get())) file_.reset();
  failed_ = !file_.valid();
  if (failed_) return;
  // A new log starts with the mark; one that has none is an earlier version's, in the code page.
  LARGE_INTEGER size = {};
  BYTE start[3] = {};
  DWORD read = 0;
  OVERLAPPED atStart = {};
  if (!GetFileSizeEx(file_.get(), &size) || size.QuadPart == 0) {
    if (!WriteBytes(file_.get(), kByteOrderMark, sizeof kByteOrderMark)) failed_ = true;
  } else if (!ReadFile(file_.get(), start, sizeof start, &read, &atStart) || read != sizeof start ||
             memcmp(start, kByteOrderMark, sizeof start) != 0) {
    codePage_ = CP_ACP;
  }
  openLog = this;
  LogLine("%s %s", Maker(kMakerProductName), Maker(kMakerVersion));
  LogLine("Command line:%s", commandLine);
}

bool InstallLog::Close() {
  if (openLog == this) openLog = nullptr;
  if (file_.valid() && !CloseHandle(file_.release())) failed_ = true;
  return !(asked_ && failed_);
}

void InstallLog::Write(const wchar_t* line, int length) {
  char bytes[3 * 1024 + 2];  // three bytes a character at most, and the line break
  int size = length ? WideCharToMultiByte(codePage_, 0, line, length, bytes, sizeof bytes - 2, nullptr, nullptr) : 0;
  if (length && size == 0) {
    failed_ = true;
    return;
  }
  bytes[size++] = '\r';
  bytes[size++] = '\n';
  if (!WriteBytes(file_.get(), bytes, static_cast<DWORD>(size))) failed_ = true;
}

void LogLine(const char* format, ...) {
  if (!openLog || !openLog->file_.valid()) return;
  wchar_t wideFormat[256], line[1024 + 1];  // the most wvsprintf writes
  if (!WidenAscii(wideFormat, 256, format)) return;
  va_list arguments;
  va_start(arguments, format);
  int length = wvsprintfW(line, wideFormat, arguments);
  va_end(arguments);
  if (length < 0) return;
  for (int i = 0; i < length; ++i) {
    if (line[i] == L'\n' || line[i] == L'\r') line[i] = L' ';  // one event, one line
  }
  openLog->Write(line, length);
}

void LogMovedAside(const wchar_t* path) {
  LogLine("Moved aside, as a program has it loaded; goes at the next start: %s", path);
}

void LogFailure(const char* what, const wchar_t* subject, SystemError error) {
  wchar_t reason[512];
  DescribeError(error, reason, 512, kLogWords);
  LogLine("Failed: %hs %s: %s", what, subject, reason);
}
