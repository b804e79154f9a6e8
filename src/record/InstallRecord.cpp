#include "record/InstallRecord.h"

#include <stdlib.h>

#include "base/InstallLog.h"
#include "base/PathText.h"
#include "base/Product.h"
#include "base/RegistryView.h"
#include "payload/PayloadWriter.h"
#include "payload/WrittenItems.h"
#include "record/KeptUninstaller.h"

namespace {

const char kFilesList[] = "InstalledFiles";
const char kValuesList[] = "InstalledValues";
const char kFoldersList[] = "InstalledFolders";
const char kMakerValues[] = "HKEY_LOCAL_MACHINE\\" MAKER_KEY "\\";
const size_t kViewSuffixLength = sizeof OTHER_VIEW_SUFFIX - 1;

// Letter case aside, in the system's code page: a double-byte character's second byte is no letter.
bool SameKey(const char* entry, const char* name) {
  size_t length = strcspn(entry, "|");
  return length == strcspn(name, "|") &&
         CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE | LOCALE_USE_CP_ACP, entry, static_cast<int>(length), name,
                        static_cast<int>(length)) == CSTR_EQUAL;
}

bool IsDigits(const char* text, size_t count, bool hex) {
  for (size_t i = 0; i < count; ++i) {
    char c = text[i];
    if (!(c >= '0' && c <= '9') && !(hex && c >= 'a' && c <= 'f')) return false;
  }
  return count > 0;
}

// A folder or file on a drive ("X:\...") or a network share ("\\server\share\..."): the places
// the setup installs into. Anything else is no path the setup can have written.
bool IsRecordablePath(const char* path) {
  return IsAbsolutePath(path) ||
         (path[0] == '\\' && path[1] == '\\' && path[2] && path[2] != '\\' && path[2] != '?' && path[2] != '.');
}

// "path|16 hex digits|size": a file this setup can have written.
bool IsFileEntry(const char* entry) {
  size_t pathLength = strcspn(entry, "|");
  if (pathLength >= kFileNameCapacity || entry[pathLength] != '|' || !IsRecordablePath(entry)) return false;
  const char* hash = entry + pathLength + 1;
  const char* size = hash + kHashTextCapacity;
  return IsDigits(hash, kHashTextCapacity - 1, true) && size[-1] == '|' && strlen(size) <= 10 &&
         IsDigits(size, strlen(size), false);
}

bool IsValueEntry(const char* entry) {
  char copy[kWrittenSubjectCapacity];
  size_t length = strlen(entry);
  if (length >= sizeof copy) return false;
  memcpy(copy, entry, length + 1);
  char *keyPath, *name;
  REGSAM view;
  return SplitValueEntry(copy, &keyPath, &name, &view);
}

bool IsFolderEntry(const char* entry) {
  return strlen(entry) < kPathCapacity && IsRecordablePath(entry) && EndsInBackslash(entry);
}

// The texts of a REG_MULTI_SZ value's size bytes, which the block holds with two bytes to spare.
// Every text must end in a NUL, and nothing but NULs may follow the empty text that ends the list.
LONG TakeTexts(TextList* list, size_t size, bool (*isEntry)(const char*)) {
  list->text[size] = list->text[size + 1] = '\0';
  size_t at = 0;
  while (at < size && list->text[at]) {
    size_t length = strnlen(list->text + at, size - at);
    if (at + length == size || !isEntry(list->text + at)) return ERROR_INVALID_DATA;
    at += length + 1;
  }
  for (size_t rest = at; rest < size; ++rest) {
    if (list->text[rest]) return ERROR_INVALID_DATA;
  }
  list->used = at;
  list->text[at] = '\0';
  return ERROR_SUCCESS;
}

LONG ReadList(HKEY key, const char* name, TextList* list, bool (*isEntry)(const char*)) {
  ClearTexts(list);
  // The value may grow between asking its size and reading it: another try then.
  for (int attempt = 0; attempt < 3; ++attempt) {
    DWORD type = 0, size = 0;
    LONG status = RegQueryValueExA(key, name, nullptr, &type, nullptr, &size);
    if (status == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
    if (status != ERROR_SUCCESS) return status;
    if (type != REG_MULTI_SZ) return ERROR_INVALID_DATA;
    if (!ReserveText(list, size + 1)) return ERROR_NOT_ENOUGH_MEMORY;
    DWORD room = static_cast<DWORD>(list->capacity - 2);
    status = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(list->text), &room);
    if (status == ERROR_MORE_DATA) continue;
    if (status != ERROR_SUCCESS) return status;
    if (type != REG_MULTI_SZ) return ERROR_INVALID_DATA;
    return TakeTexts(list, room, isEntry);
  }
  return ERROR_MORE_DATA;
}

LONG WriteList(HKEY key, const char* name, const TextList& list) {
  const char empty[2] = "";
  return RegSetValueExA(key, name, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(list.text ? list.text : empty),
                        static_cast<DWORD>(list.used + 1));
}

LONG SetText(HKEY key, const char* name, const char* text) {
  return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), lstrlenA(text) + 1);
}

LONG SetNumber(HKEY key, const char* name, DWORD number) {
  return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
}

// Adds what the last run wrote, each entry as the record's reader takes it: a record this setup
// could not read again would stop every later install and uninstall. ERROR_SUCCESS or why not.
LONG AddWritten(InstallRecord* record, const char* folder) {
  if (!IsFolderEntry(folder)) return ERROR_BAD_PATHNAME;
  if (!PutEntry(&record->folders, folder)) return ERROR_NOT_ENOUGH_MEMORY;
  for (int i = 0; const WrittenItem* item = GetWritten(i); ++i) {
    char entry[kWrittenSubjectCapacity + 40], hash[kHashTextCapacity];
    if (item->isValue) {
      if (!IsValueEntry(item->subject)) return ERROR_BAD_PATHNAME;
      if (!PutEntry(&record->values, item->subject)) return ERROR_NOT_ENOUGH_MEMORY;
      continue;
    }
    HashText(item->hash, hash);
    wsprintfA(entry, "%s|%s|%lu", item->subject, hash, item->size);
    if (!IsFileEntry(entry)) return ERROR_BAD_PATHNAME;
    if (!PutEntry(&record->files, entry)) return ERROR_NOT_ENOUGH_MEMORY;
  }
  return ERROR_SUCCESS;
}

// The entry's own values: what the list of installed programs shows and starts.
LONG WriteEntry(HKEY key, const InstallRecord& record, const char* folder, const char* keptPath) {
  DWORD kilobytes = 0;
  for (size_t at = 0; at < record.files.used; at = NextText(record.files, at)) {
    kilobytes += (strtoul(strrchr(record.files.text + at, '|') + 1, nullptr, 10) + 1023) / 1024;
  }
  char icon[MAX_PATH + 4], command[MAX_PATH + 24], quietCommand[MAX_PATH + 24];
  wsprintfA(icon, "%s,0", keptPath);
  wsprintfA(command, "\"%s\" /UNINSTALL", keptPath);
  wsprintfA(quietCommand, "\"%s\" /UNINSTALL /S", keptPath);
  const LONG steps[] = {SetText(key, "DisplayName", PRODUCT_NAME), SetText(key, "Publisher", MAKER_NAME),
                        SetText(key, "DisplayVersion", PRODUCT_VERSION), SetText(key, "DisplayIcon", icon),
                    SetText(key, "InstallLocation", folder), SetNumber(key, "EstimatedSize", kilobytes),
                    SetNumber(key, "NoModify", 1), SetNumber(key, "NoRepair", 1),
                    WriteInstallRecord(key, record), SetText(key, "UninstallString", command),
                    SetText(key, "QuietUninstallString", quietCommand)};
  for (LONG status : steps) {
    if (status != ERROR_SUCCESS) return status;
  }
  return ERROR_SUCCESS;
}

}  // namespace

LONG ReadInstallRecord(HKEY entry, InstallRecord* record) {
  LONG status = ReadList(entry, kFilesList, &record->files, IsFileEntry);
  if (status == ERROR_SUCCESS) status = ReadList(entry, kValuesList, &record->values, IsValueEntry);
  if (status == ERROR_SUCCESS) status = ReadList(entry, kFoldersList, &record->folders, IsFolderEntry);
  return status;
}

LONG WriteInstallRecord(HKEY entry, const InstallRecord& record) {
  LONG status = WriteList(entry, kFilesList, record.files);
  if (status == ERROR_SUCCESS) status = WriteList(entry, kValuesList, record.values);
  if (status == ERROR_SUCCESS) status = WriteList(entry, kFoldersList, record.folders);
  return status;
}

void FreeInstallRecord(InstallRecord* record) {
  FreeTexts(&record->files);
  FreeTexts(&record->values);
  FreeTexts(&record->folders);
}

bool PutEntry(TextList* list, const char* entry) {
  for (size_t at = 0; at < list->used;) {
    if (SameKey(list->text + at, entry)) {
      RemoveText(list, at);
    } else {
      at = NextText(*list, at);
    }
  }
  return AddText(list, entry);
}

bool SplitValueEntry(char* entry, char** keyPath, char** name, REGSAM* view) {
  if (!HasPrefixIgnoringCase(entry, kMakerValues)) return false;
  size_t length = strlen(entry);
  *view = 0;
  if (length > kViewSuffixLength && strcmp(entry + length - kViewSuffixLength, OTHER_VIEW_SUFFIX) == 0) {
    entry[length - kViewSuffixLength] = '\0';
    *view = KEY_WOW64_64KEY;
  }
  *keyPath = entry + sizeof "HKEY_LOCAL_MACHINE\\" - 1;
  *name = strrchr(entry, '\\');  // the maker key's own backslash at the earliest
  if (*name < entry + sizeof kMakerValues - 2) return false;
  *(*name)++ = '\0';
  return **name != '\0';
}

void RemoveMovedAsideLeftovers(const TextList& folders) {
  for (size_t at = 0; at < folders.used; at = NextText(folders, at)) {
    char pattern[kPathCapacity + sizeof kAsideSuffix + 1], path[kPathCapacity + MAX_PATH];
    const char* folder = folders.text + at;  // entries end in a backslash and fit a path text
    wsprintfA(pattern, "%s*%s", folder, kAsideSuffix);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) continue;
    do {
      if (!IsAsideName(found.cFileName) || (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
      wsprintfA(path, "%s%s", folder, found.cFileName);
      if (DeleteFileA(path)) LogLine("Removed, no longer loaded: %s", path);  // one still loaded waits
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
}

LONG CheckInstallRecord() {
  HKEY key;
  LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, UNINSTALL_ENTRY_KEY, 0, KEY_READ, &key);
  if (status == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
  if (status != ERROR_SUCCESS) return status;
  InstallRecord record;
  status = ReadInstallRecord(key, &record);
  RegCloseKey(key);
  if (status == ERROR_SUCCESS) RemoveMovedAsideLeftovers(record.folders);
  FreeInstallRecord(&record);
  return status;
}

bool RecordInstallation(const char* folder) {
  char keptPath[MAX_PATH];
  if (!KeptUninstallerPath(keptPath)) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return false;
  }
  if (!KeepUninstaller()) return false;
  HKEY key;
  LONG status = RegCreateKeyExA(HKEY_LOCAL_MACHINE, UNINSTALL_ENTRY_KEY, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                nullptr);
  if (status != ERROR_SUCCESS) {
    SetLastError(static_cast<DWORD>(status));
    return false;
  }
  InstallRecord record;
  status = ReadInstallRecord(key, &record);
  if (status == ERROR_SUCCESS) status = WrittenComplete() ? AddWritten(&record, folder) : ERROR_NOT_ENOUGH_MEMORY;
  if (status == ERROR_SUCCESS) status = WriteEntry(key, record, folder, keptPath);
  RegCloseKey(key);
  FreeInstallRecord(&record);
  SetLastError(static_cast<DWORD>(status));
  return status == ERROR_SUCCESS;
}
