#include "record/Uninstall.h"

#include <string.h>

#include "base/ExitCode.h"
#include "base/InstallLog.h"
#include "base/PathText.h"
#include "base/Product.h"
#include "record/InstallRecord.h"
#include "record/KeptUninstaller.h"

namespace {

const char kMachinePrefix[] = "HKEY_LOCAL_MACHINE\\";
EntryList files, values, folders, kept;
const size_t kMakerFolderLength = sizeof("\\" MAKER_FOLDER) - 1;

// Removes the key and its parents up to the maker's own key while they hold nothing.
void DeleteEmptyKeys(char* keyPath) {
  while (HasPrefixIgnoringCase(keyPath, MAKER_KEY)) {
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
    } else if (length > kMakerFolderLength && lstrcmpiA(folder + length - kMakerFolderLength, "\\" MAKER_FOLDER) == 0 && RemoveDirectoryA(folder)) {
      LogLine("Removed folder: %s", folder);
    }
  }
  folders = kept;
}

}  // namespace

int RunUninstall(bool silent) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, UNINSTALL_ENTRY_KEY, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) {
    LogLine("Outcome: nothing is installed");
    if (!silent) MessageBoxA(nullptr, "The " MAKER_NAME " plug-ins are not installed.", WINDOW_TITLE, MB_OK);
    return kExitSuccess;
  }
  if (!silent && MessageBoxA(nullptr, "Remove the " MAKER_NAME " plug-ins and their presets from this computer?",
                                     WINDOW_TITLE, MB_YESNO | MB_ICONQUESTION) != IDYES) {
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
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, UNINSTALL_ENTRY_KEY);
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
                                  : "The " MAKER_NAME " plug-ins were removed.";
  LogLine("Outcome: %s", outcome);
  if (!silent) MessageBoxA(nullptr, outcome, WINDOW_TITLE, MB_OK | (code ? MB_ICONWARNING : MB_ICONINFORMATION));
  return code;
}

