#include "record/Uninstall.h"

#include <string.h>

#include "base/ContentHash.h"
#include "base/ExitCode.h"
#include "base/FileHolder.h"
#include "base/InstallLog.h"
#include "base/PathText.h"
#include "base/Product.h"
#include "base/SystemError.h"
#include "payload/InstallFailures.h"
#include "payload/PayloadWriter.h"
#include "payload/WrittenItems.h"
#include "record/InstallRecord.h"
#include "record/KeptUninstaller.h"
#include "record/RecordLock.h"

namespace {

const size_t kMakerFolderLength = sizeof("\\" MAKER_FOLDER) - 1;

struct Tally {
  int failed, changed;
  char holder[kHolderCapacity];  // a program that holds a file that could not be removed
};

// Renames the open file, in its folder, to a name no editor loads, and has the system delete it at
// the next start. False, with GetLastError, when it cannot.
bool MoveAsideForNextStart(HANDLE file, const char* path) {
  char aside[kFileNameCapacity];
  static union {
    FILE_RENAME_INFO info;
    BYTE bytes[sizeof(FILE_RENAME_INFO) + 2 * (4 + kFileNameCapacity)];
  } rename;
  if (!MakeAsideName(path, aside)) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return false;
  }
  // The native form of the path, which every system takes here.
  lstrcpyW(rename.info.FileName, L"\\??\\");
  int length = MultiByteToWideChar(CP_ACP, 0, aside, -1, rename.info.FileName + 4, kFileNameCapacity);
  if (length == 0) return false;
  rename.info.ReplaceIfExists = FALSE;
  rename.info.RootDirectory = nullptr;
  rename.info.FileNameLength = static_cast<DWORD>((length + 3) * sizeof(WCHAR));
  if (!SetFileInformationByHandle(file, FileRenameInfo, &rename, sizeof rename)) return false;
  if (!MoveFileExA(aside, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) {
    LogFailure("Could not arrange to remove at the next start", aside, GetLastError());
  }
  LogMovedAside(aside);
  return true;
}

// Whether the file is still what the setup wrote, and its deletion, through one handle that lets
// nobody else write or delete it in between. A changed file is not ours any more. A file that a
// program has loaded cannot be deleted, only renamed: it moves aside and goes at the next start.
void RemoveFile(const char* entry, Tally* tally, TextList* kept) {
  char path[kWrittenSubjectCapacity + 40], hash[kHashTextCapacity];
  lstrcpynA(path, entry, sizeof path);  // entries are checked as they are read: they fit
  char* recordedHash = strchr(path, '|');
  *recordedHash++ = '\0';
  HANDLE file = CreateFileA(path, GENERIC_READ | DELETE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  DWORD error = file == INVALID_HANDLE_VALUE ? GetLastError() : 0;
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return;  // gone already
  ContentHash content;
  if (!error && !HashOpenFile(file, &content)) error = GetLastError();
  if (!error) {
    HashText(content, hash);
    if (strncmp(hash, recordedHash, kHashTextCapacity - 1) != 0) {
      CloseHandle(file);
      LogLine("Kept, changed since it was installed: %s", path);
      ++tally->changed;
      return;
    }
    FILE_DISPOSITION_INFO disposition = {TRUE};
    if (SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition)) {
      CloseHandle(file);
      LogLine("Removed file: %s", path);
      return;
    }
    error = GetLastError();
    // A read-only file is its owner's protection, not a program's hold: it stays.
    BY_HANDLE_FILE_INFORMATION information;
    bool readOnly = GetFileInformationByHandle(file, &information) &&
                    (information.dwFileAttributes & FILE_ATTRIBUTE_READONLY);
    if (IsHeldError(error) && !readOnly && MoveAsideForNextStart(file, path)) {
      CloseHandle(file);
      return;
    }
  }
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  LogFailure("Could not remove", path, error);
  if (IsHeldError(error) && !tally->holder[0] && NameProgramHolding(path, tally->holder, sizeof tally->holder)) {
    LogLine("Held by %s: close it and try again.", tally->holder);
  }
  ++tally->failed;
  AddText(kept, entry);
}

// Removes the key and its parents up to the maker's own key while they hold nothing.
void DeleteEmptyKeys(char* keyPath, REGSAM view) {
  while (HasPrefixIgnoringCase(keyPath, MAKER_KEY)) {
    HKEY key;
    DWORD subkeys = 1, valueCount = 1;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ | view, &key) != ERROR_SUCCESS) return;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &valueCount, nullptr, nullptr,
                     nullptr, nullptr);
    RegCloseKey(key);
    if (subkeys || valueCount || RegDeleteKeyExA(HKEY_LOCAL_MACHINE, keyPath, view, 0) != ERROR_SUCCESS) return;
    char* parent = strrchr(keyPath, '\\');
    if (!parent) return;
    *parent = '\0';
  }
}

void RemoveValue(const char* entry, Tally* tally, TextList* kept) {
  char copy[kWrittenSubjectCapacity], *keyPath, *name;
  REGSAM view;
  lstrcpynA(copy, entry, sizeof copy);
  if (!SplitValueEntry(copy, &keyPath, &name, &view)) return;  // never read: the record was checked
  HKEY valueKey;
  LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_SET_VALUE | view, &valueKey);
  if (status == ERROR_SUCCESS) {
    status = RegDeleteValueA(valueKey, name);
    RegCloseKey(valueKey);
  }
  if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) {
    LogLine("Removed registry value: %s", entry);
    DeleteEmptyKeys(keyPath, view);
  } else {
    LogFailure("Could not remove", entry, static_cast<DWORD>(status));
    ++tally->failed;
    AddText(kept, entry);
  }
}

// A maker folder goes when nothing is left in it; any other folder was the user's before. A folder
// that still holds a recorded file stays recorded.
void RemoveFolder(const char* folder, const TextList& files, TextList* kept) {
  size_t length = strlen(folder);
  bool stillUsed = false;
  for (size_t file = 0; file < files.used; file = NextText(files, file)) {
    stillUsed = stillUsed || HasPrefixIgnoringCase(files.text + file, folder);
  }
  if (stillUsed) {
    AddText(kept, folder);
  } else if (length > kMakerFolderLength && lstrcmpiA(folder + length - kMakerFolderLength, "\\" MAKER_FOLDER) == 0 &&
             RemoveDirectoryA(folder)) {
    LogLine("Removed folder: %s", folder);
  }
}

// Each list keeps what could not be removed.
void RemoveRecorded(InstallRecord* record, Tally* tally) {
  InstallRecord kept;
  for (size_t at = 0; at < record->files.used; at = NextText(record->files, at)) {
    RemoveFile(record->files.text + at, tally, &kept.files);
  }
  for (size_t at = 0; at < record->values.used; at = NextText(record->values, at)) {
    RemoveValue(record->values.text + at, tally, &kept.values);
  }
  for (size_t at = 0; at < record->folders.used; at = NextText(record->folders, at)) {
    RemoveFolder(record->folders.text + at, kept.files, &kept.folders);
  }
  FreeInstallRecord(record);
  *record = kept;
}

int Finish(bool silent, int code, const char* outcome) {
  LogLine("Outcome: %s", outcome);
  if (!silent) MessageBoxA(nullptr, outcome, WINDOW_TITLE, MB_OK | (code ? MB_ICONWARNING : MB_ICONINFORMATION));
  return code;
}

}  // namespace

int RunUninstall(bool silent) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, UNINSTALL_ENTRY_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return Finish(silent, kExitSuccess, "The " MAKER_NAME " plug-ins are not installed.");
  }
  RegCloseKey(key);
  if (!silent && MessageBoxA(nullptr, "Remove the " MAKER_NAME " plug-ins and their presets from this computer?",
                             WINDOW_TITLE, MB_YESNO | MB_ICONQUESTION) != IDYES) {
    LogLine("Outcome: cancelled");
    return kExitCancelled;
  }
  if (!LockRecord()) {
    return Finish(silent, kExitAlreadyRunning,
                  "Another copy of the setup is installing or removing the plug-ins. Nothing was removed.");
  }
  InstallRecord record;
  HKEY entry = nullptr;
  LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, UNINSTALL_ENTRY_KEY, 0, KEY_ALL_ACCESS, &entry);
  if (status == ERROR_SUCCESS) {
    status = ReadInstallRecord(entry, &record);
    if (status != ERROR_SUCCESS) RegCloseKey(entry);
  }
  if (status != ERROR_SUCCESS) {
    FreeInstallRecord(&record);
    UnlockRecord();
    LogFailure("Could not read", "the record of what was installed", static_cast<DWORD>(status));
    char message[600] = "The record of what was installed cannot be read, so nothing was removed.\n\n";
    AppendErrorDescription(static_cast<DWORD>(status), message, sizeof message);
    return Finish(silent, kExitNotWritten, message);
  }
  RemoveMovedAsideLeftovers(record.folders);
  Tally tally = {};
  RemoveRecorded(&record, &tally);
  if (record.files.used == 0 && record.values.used == 0) {
    RegCloseKey(entry);
    status = RegDeleteKeyA(HKEY_LOCAL_MACHINE, UNINSTALL_ENTRY_KEY);
    if (status == ERROR_SUCCESS) RemoveKeptCopy();  // the entry would start it
  } else {
    // What is left stays recorded, so that a second uninstall can finish the job.
    status = WriteInstallRecord(entry, record);
    RegCloseKey(entry);
  }
  if (status != ERROR_SUCCESS) {
    LogFailure("Could not update", "the entry in the list of installed programs", static_cast<DWORD>(status));
    ++tally.failed;
  }
  FreeInstallRecord(&record);
  UnlockRecord();
  if (tally.failed) {
    char outcome[256];
    wsprintfA(outcome, "Some plug-ins could not be removed: close %s and try again.",
              tally.holder[0] ? tally.holder : "your image editor");
    return Finish(silent, kExitNotWritten, outcome);
  }
  if (tally.changed) {
    return Finish(silent, kExitChangedFilesKept,
                  "The plug-ins were removed, except files changed since they were installed.");
  }
  return Finish(silent, kExitSuccess, "The " MAKER_NAME " plug-ins were removed.");
}
