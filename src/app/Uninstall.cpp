#include "app/Uninstall.h"

#include <stdlib.h>
#include <string.h>

#include "app/Branding.h"
#include "app/CommandLine.h"
#include "app/InstallLog.h"
#include "discovery/PathText.h"
#include "payload/WrittenItems.h"

namespace {

const char kEntryKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velmoran Plugins";
const char kTitle[] = "Velmoran Plugins : Installation";
const char kMachinePrefix[] = "HKEY_LOCAL_MACHINE\\";
enum { kListCapacity = 32768 };

// A REG_MULTI_SZ list of entries in a fixed buffer. A file's entry is "path|hash|size"; an entry's
// key, which names what it records, is the text before the first '|'.
struct EntryList {
  char text[kListCapacity + 2];
  size_t used;  // bytes of the entries, their NULs included
};
EntryList files, values, folders, kept;

void LoadList(HKEY key, const char* name, EntryList* list) {
  DWORD type = 0, size = kListCapacity;
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(list->text), &size) != ERROR_SUCCESS ||
      type != REG_MULTI_SZ) {
    size = 0;
  }
  list->text[size] = list->text[size + 1] = '\0';  // whatever the registry held, the list ends here
  list->used = 0;
  while (list->used < size && list->text[list->used]) list->used += strlen(list->text + list->used) + 1;
  list->text[list->used] = '\0';
}

bool StoreList(HKEY key, const char* name, const EntryList& list) {
  return RegSetValueExA(key, name, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(list.text),
                        static_cast<DWORD>(list.used + 1)) == ERROR_SUCCESS;
}

bool SameKey(const char* entry, const char* name) {
  size_t length = strcspn(entry, "|");
  return length == strcspn(name, "|") && CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, entry, static_cast<int>(length),
                                                         name, static_cast<int>(length)) == CSTR_EQUAL;
}

// Appends the entry, replacing one with the same key. False when the list has no room.
bool PutEntry(EntryList* list, const char* entry) {
  for (size_t at = 0; at < list->used;) {
    size_t length = strlen(list->text + at) + 1;
    if (SameKey(list->text + at, entry)) {
      memmove(list->text + at, list->text + at + length, list->used - at - length + 1);
      list->used -= length;
    } else {
      at += length;
    }
  }
  size_t length = strlen(entry) + 1;
  if (list->used + length > kListCapacity) return false;
  memcpy(list->text + list->used, entry, length);
  list->used += length;
  list->text[list->used] = '\0';
  return true;
}

// FNV-1a over the file's bytes: whether a file is still the one the setup wrote.
bool HashFile(const char* path, char* hash) {
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  static BYTE chunk[65536];
  unsigned long long value = 14695981039346656037ull;
  DWORD got = 0;
  bool read;
  while ((read = ReadFile(file, chunk, sizeof chunk, &got, nullptr) != FALSE) && got > 0) {
    for (DWORD i = 0; i < got; ++i) value = (value ^ chunk[i]) * 1099511628211ull;
  }
  CloseHandle(file);
  wsprintfA(hash, "%08lx%08lx", static_cast<unsigned long>(value >> 32), static_cast<unsigned long>(value));
  return read;
}

bool KeptUninstallerPath(char* path) {
  DWORD length = ExpandEnvironmentStringsA("%ProgramFiles%\\" VELMORAN_PRODUCT_NAME "\\Uninstall.exe", path, MAX_PATH);
  return length > 0 && length <= MAX_PATH;
}

bool SetText(HKEY key, const char* name, const char* text) {
  return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), lstrlenA(text) + 1) == ERROR_SUCCESS;
}

bool SetNumber(HKEY key, const char* name, DWORD number) {
  return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number) == ERROR_SUCCESS;
}

// Removes the key and its parents up to the maker's own key while they hold nothing.
void DeleteEmptyKeys(char* keyPath) {
  while (HasPrefixIgnoringCase(keyPath, "Software\\Velmoran")) {
    HKEY key;
    DWORD subkeys = 1, valueCount = 1;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &valueCount, nullptr, nullptr,
                     nullptr, nullptr);
    RegCloseKey(key);
    if (subkeys || valueCount || RegDeleteKeyA(HKEY_LOCAL_MACHINE, keyPath) != ERROR_SUCCESS) return;
    char* parent = strrchr(keyPath, '\\');
    if (!parent) return;
    *parent = '\0';
  }
}

// Removes the recorded files that are still as written; a changed one is left and forgotten, one
// that cannot be removed stays recorded.
void RemoveFiles(int* failed, int* changed) {
  kept.used = 0;
  kept.text[0] = '\0';
  for (size_t at = 0; at < files.used; at += strlen(files.text + at) + 1) {
    char path[kWrittenSubjectCapacity + 40], hash[20];
    lstrcpynA(path, files.text + at, sizeof path);
    char* recordedHash = strchr(path, '|');
    if (!recordedHash) continue;
    *recordedHash++ = '\0';
    if (!HashFile(path, hash)) {
      DWORD error = GetLastError();
      if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) continue;  // gone already
      LogFailure("Could not read", path, error);
    } else if (strncmp(hash, recordedHash, 16) != 0) {
      LogLine("Kept, changed since it was installed: %s", path);  // not ours any more
      ++*changed;
      continue;
    } else if (DeleteFileA(path)) {
      LogLine("Removed file: %s", path);
      continue;
    } else {
      LogFailure("Could not remove", path, GetLastError());
    }
    ++*failed;
    PutEntry(&kept, files.text + at);
  }
  files = kept;
}

// Removes the recorded values, and their keys below the maker's once they are empty.
void RemoveValues(int* failed) {
  kept.used = 0;
  kept.text[0] = '\0';
  for (size_t at = 0; at < values.used; at += strlen(values.text + at) + 1) {
    char keyPath[kWrittenSubjectCapacity];
    const char* subject = values.text + at;
    if (strncmp(subject, kMachinePrefix, sizeof kMachinePrefix - 1) == 0) subject += sizeof kMachinePrefix - 1;
    lstrcpynA(keyPath, subject, sizeof keyPath);
    char* name = strrchr(keyPath, '\\');
    if (!name) continue;
    *name++ = '\0';
    HKEY valueKey;
    LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_SET_VALUE, &valueKey);
    if (status == ERROR_SUCCESS) {
      status = RegDeleteValueA(valueKey, name);
      RegCloseKey(valueKey);
    }
    if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) {
      LogLine("Removed registry value: %s", values.text + at);
      DeleteEmptyKeys(keyPath);
    } else {
      LogFailure("Could not remove", values.text + at, static_cast<DWORD>(status));
      ++*failed;
      PutEntry(&kept, values.text + at);
    }
  }
  values = kept;
}

// A maker folder goes when nothing is left in it; any other folder was the user's before. A folder
// that still holds a recorded file stays recorded.
void RemoveEmptyMakerFolders() {
  kept.used = 0;
  kept.text[0] = '\0';
  for (size_t at = 0; at < folders.used; at += strlen(folders.text + at) + 1) {
    const char* folder = folders.text + at;
    size_t length = strlen(folder);
    bool stillUsed = false;
    for (size_t file = 0; file < files.used; file += strlen(files.text + file) + 1) {
      stillUsed = stillUsed || HasPrefixIgnoringCase(files.text + file, folder);
    }
    if (stillUsed) {
      PutEntry(&kept, folder);
    } else if (length > 10 && lstrcmpiA(folder + length - 10, "\\Velmoran\\") == 0 && RemoveDirectoryA(folder)) {
      LogLine("Removed folder: %s", folder);
    }
  }
  folders = kept;
}

void RemoveKeptCopy() {
  char keptPath[MAX_PATH], own[MAX_PATH];
  DWORD ownLength = GetModuleFileNameA(nullptr, own, MAX_PATH);
  if (!KeptUninstallerPath(keptPath) || ownLength == 0 || ownLength >= MAX_PATH) return;
  if (lstrcmpiA(own, keptPath) != 0) {
    RemoveKeptUninstaller(0);
    return;
  }
  // A running program cannot delete itself: a copy in the temporary folder does once this one has
  // ended, and the system removes that copy at the next start.
  char tempFolder[MAX_PATH], helper[MAX_PATH], command[MAX_PATH + 40];
  DWORD tempLength = GetTempPathA(MAX_PATH, tempFolder);
  if (tempLength == 0 || tempLength >= MAX_PATH - 14 || !GetTempFileNameA(tempFolder, "vms", 0, helper) ||
      !CopyFileA(own, helper, FALSE)) {
    return;
  }
  wsprintfA(command, "\"%s\" /CLEANUP=%lu", helper, GetCurrentProcessId());
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process;
  if (CreateProcessA(helper, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  MoveFileExA(helper, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

}  // namespace

bool RecordInstallation(const char* folder) {
  char keptPath[MAX_PATH], own[MAX_PATH], keptFolder[MAX_PATH], entry[kWrittenSubjectCapacity + 40];
  DWORD ownLength = GetModuleFileNameA(nullptr, own, MAX_PATH);
  if (!KeptUninstallerPath(keptPath) || ownLength == 0 || ownLength >= MAX_PATH) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return false;
  }
  if (lstrcmpiA(own, keptPath) != 0) {
    lstrcpyA(keptFolder, keptPath);
    *strrchr(keptFolder, '\\') = '\0';
    CreateDirectoryA(keptFolder, nullptr);
    if (!CopyFileA(own, keptPath, FALSE)) return false;
  }
  HKEY key;
  LONG status = RegCreateKeyExA(HKEY_LOCAL_MACHINE, kEntryKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  if (status != ERROR_SUCCESS) {
    SetLastError(static_cast<DWORD>(status));
    return false;
  }
  LoadList(key, "InstalledFiles", &files);
  LoadList(key, "InstalledValues", &values);
  LoadList(key, "InstalledFolders", &folders);
  bool fits = !WrittenOverflowed() && PutEntry(&folders, folder);
  for (int i = 0; const WrittenItem* item = GetWritten(i); ++i) {
    char hash[20] = "";
    if (item->isValue) {
      fits = PutEntry(&values, item->subject) && fits;
    } else if (HashFile(item->subject, hash)) {
      wsprintfA(entry, "%s|%s|%lu", item->subject, hash, item->size);
      fits = PutEntry(&files, entry) && fits;
    }
  }
  DWORD kilobytes = 0;
  for (size_t at = 0; at < files.used; at += strlen(files.text + at) + 1) {
    const char* size = strrchr(files.text + at, '|');
    if (size) kilobytes += (strtoul(size + 1, nullptr, 10) + 1023) / 1024;
  }
  char command[MAX_PATH + 24], icon[MAX_PATH + 4];
  wsprintfA(icon, "%s,0", keptPath);
  bool stored = fits && SetText(key, "DisplayName", VELMORAN_PRODUCT_NAME) &&
                SetText(key, "Publisher", VELMORAN_PUBLISHER) && SetText(key, "DisplayVersion", VELMORAN_VERSION) &&
                SetText(key, "DisplayIcon", icon) && SetText(key, "InstallLocation", folder) &&
                SetNumber(key, "EstimatedSize", kilobytes) && SetNumber(key, "NoModify", 1) &&
                SetNumber(key, "NoRepair", 1) && StoreList(key, "InstalledFiles", files) &&
                StoreList(key, "InstalledValues", values) && StoreList(key, "InstalledFolders", folders);
  wsprintfA(command, "\"%s\" /UNINSTALL", keptPath);
  stored = stored && SetText(key, "UninstallString", command);
  lstrcatA(command, " /S");
  stored = stored && SetText(key, "QuietUninstallString", command);
  RegCloseKey(key);
  if (!stored) SetLastError(fits ? ERROR_WRITE_FAULT : ERROR_INSUFFICIENT_BUFFER);
  return stored;
}

int RunUninstall(const CommandLine& options) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kEntryKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) {
    LogLine("Outcome: nothing is installed");
    if (!options.silent) MessageBoxA(nullptr, "The Velmoran plug-ins are not installed.", kTitle, MB_OK);
    return kExitSuccess;
  }
  if (!options.silent && MessageBoxA(nullptr, "Remove the Velmoran plug-ins and their presets from this computer?",
                                     kTitle, MB_YESNO | MB_ICONQUESTION) != IDYES) {
    RegCloseKey(key);
    LogLine("Outcome: cancelled");
    return kExitCancelled;
  }
  LoadList(key, "InstalledFiles", &files);
  LoadList(key, "InstalledValues", &values);
  LoadList(key, "InstalledFolders", &folders);
  int failed = 0, changed = 0;
  RemoveFiles(&failed, &changed);
  RemoveValues(&failed);
  RemoveEmptyMakerFolders();

  if (files.used == 0 && values.used == 0) {
    RegCloseKey(key);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kEntryKey);
    RemoveKeptCopy();
  } else {
    // What is left stays recorded, so that a second uninstall can finish the job.
    StoreList(key, "InstalledFiles", files);
    StoreList(key, "InstalledValues", values);
    StoreList(key, "InstalledFolders", folders);
    RegCloseKey(key);
  }
  int code = failed ? kExitNotWritten : changed ? kExitChangedFilesKept : kExitSuccess;
  const char* outcome = failed    ? "Some plug-ins could not be removed: close your image editor and try again."
                        : changed ? "The plug-ins were removed, except files changed since they were installed."
                                  : "The Velmoran plug-ins were removed.";
  LogLine("Outcome: %s", outcome);
  if (!options.silent) MessageBoxA(nullptr, outcome, kTitle, MB_OK | (code ? MB_ICONWARNING : MB_ICONINFORMATION));
  return code;
}

void RemoveKeptUninstaller(DWORD processId) {
  if (HANDLE process = processId ? OpenProcess(SYNCHRONIZE, FALSE, processId) : nullptr) {
    WaitForSingleObject(process, 60000);
    CloseHandle(process);
  }
  char keptPath[MAX_PATH];
  if (!KeptUninstallerPath(keptPath)) return;
  for (int attempt = 0; attempt < 50 && !DeleteFileA(keptPath) && GetLastError() != ERROR_FILE_NOT_FOUND; ++attempt) {
    Sleep(100);  // the system may still hold the ended program's file for a moment
  }
  *strrchr(keptPath, '\\') = '\0';
  RemoveDirectoryA(keptPath);
}
