#include "record/InstallRecord.h"

#include <stdlib.h>
#include <string.h>

#include "base/Product.h"
#include "record/KeptUninstaller.h"

namespace {

EntryList files, values, folders;

bool SameKey(const char* entry, const char* name) {
  size_t length = strcspn(entry, "|");
  return length == strcspn(name, "|") && CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, entry, static_cast<int>(length),
                                                         name, static_cast<int>(length)) == CSTR_EQUAL;
}

bool SetText(HKEY key, const char* name, const char* text) {
  return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), lstrlenA(text) + 1) == ERROR_SUCCESS;
}

bool SetNumber(HKEY key, const char* name, DWORD number) {
  return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number) == ERROR_SUCCESS;
}

}  // namespace

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

bool RecordInstallation(const char* folder) {
  char keptPath[MAX_PATH], entry[kWrittenSubjectCapacity + 40];
  if (!KeptUninstallerPath(keptPath)) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return false;
  }
  if (!KeepUninstaller()) return false;
  HKEY key;
  LONG status = RegCreateKeyExA(HKEY_LOCAL_MACHINE, UNINSTALL_ENTRY_KEY, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
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
  bool stored = fits && SetText(key, "DisplayName", PRODUCT_NAME) &&
                SetText(key, "Publisher", MAKER_NAME) && SetText(key, "DisplayVersion", PRODUCT_VERSION) &&
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

