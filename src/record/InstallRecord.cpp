#include "record/InstallRecord.h"

#include <stdlib.h>

#include "base/FileReplacement.h"
#include "base/InstallLog.h"
#include "base/Messages.h"
#include "base/PathText.h"
#include "base/MakerValues.h"
#include "base/RegistryView.h"
#include "payload/PayloadRun.h"

namespace {

// Every value an installation writes into the entry, in the order it writes them: what the list
// of installed programs shows and starts, what deployment tools read (the version, the size of all
// that this machine has installed, where the last installation went), then the record's lists.
enum EntryValue {
  kDisplayName, kPublisher, kDisplayVersion, kDisplayIcon, kInstallLocation, kEstimatedSize, kUrlInfoAbout,
  kNoModify, kNoRepair, kUninstallString, kQuietUninstallString, kFilesList, kValuesList, kFoldersList, kAsideList,
  kEntryValueCount
};
const wchar_t* const kEntryValueNames[] = {
    L"DisplayName", L"Publisher", L"DisplayVersion", L"DisplayIcon", L"InstallLocation", L"EstimatedSize",
    L"URLInfoAbout", L"NoModify", L"NoRepair", L"UninstallString", L"QuietUninstallString", L"InstalledFiles",
    L"InstalledValues", L"InstalledFolders", L"MovedAsideFiles"};
static_assert(sizeof kEntryValueNames / sizeof *kEntryValueNames == kEntryValueCount, "a name for each value");
static_assert(static_cast<int>(kEntryValueCount) == kEntryValues, "the snapshot holds each value");
const size_t kViewSuffixLength = sizeof OTHER_VIEW_SUFFIX / sizeof(wchar_t) - 1;

// Letter case aside, as the system compares names.
bool SameKey(const wchar_t* entry, const wchar_t* name) {
  size_t length = wcscspn(entry, L"|");
  return length == wcscspn(name, L"|") && CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, entry,
                                                         static_cast<int>(length), name,
                                                         static_cast<int>(length)) == CSTR_EQUAL;
}

bool IsDigits(const wchar_t* text, size_t count, bool hex) {
  for (size_t i = 0; i < count; ++i) {
    wchar_t c = text[i];
    if (!(c >= L'0' && c <= L'9') && !(hex && c >= L'a' && c <= L'f')) return false;
  }
  return count > 0;
}

// "path|16 hex digits|size": a file this setup can have written.
bool IsFileEntry(const wchar_t* entry) {
  size_t pathLength = wcscspn(entry, L"|");
  if (pathLength >= kFileNameCapacity || entry[pathLength] != L'|' || !IsInstallablePath(entry)) return false;
  const wchar_t* hash = entry + pathLength + 1;
  const wchar_t* size = hash + kHashTextCapacity;
  return IsDigits(hash, kHashTextCapacity - 1, true) && size[-1] == L'|' && wcslen(size) <= 10 &&
         IsDigits(size, wcslen(size), false);
}

bool IsValueEntry(const wchar_t* entry) {
  wchar_t copy[kFailureSubjectCapacity];
  wchar_t *keyPath, *name;
  REGSAM view;
  return CopyText(copy, kFailureSubjectCapacity, entry) && SplitValueEntry(copy, &keyPath, &name, &view);
}

// A file the setup moved aside: in a folder it installs into, under its aside suffix.
bool IsAsideEntry(const wchar_t* entry) {
  const wchar_t* name = wcsrchr(entry, L'\\');
  return wcslen(entry) < kFileNameCapacity && IsInstallablePath(entry) && name && IsAsideName(name + 1);
}

// The texts of a REG_MULTI_SZ value's size bytes, which the block holds with two characters to
// spare. Every text must end in a NUL, and nothing but NULs may follow the empty text that ends
// the list.
SystemError TakeTexts(TextList* list, size_t size, bool (*isEntry)(const wchar_t*)) {
  size_t count = size / sizeof(wchar_t);
  list->text[count] = list->text[count + 1] = L'\0';
  size_t at = 0;
  while (at < count && list->text[at]) {
    size_t length = BoundedLength(list->text + at, count - at);
    if (at + length == count || !isEntry(list->text + at)) return ERROR_INVALID_DATA;
    at += length + 1;
  }
  for (size_t rest = at; rest < count; ++rest) {
    if (list->text[rest]) return ERROR_INVALID_DATA;
  }
  list->used = at;
  list->text[at] = L'\0';
  return ERROR_SUCCESS;
}

SystemError ReadList(HKEY key, const wchar_t* name, TextList* list, bool (*isEntry)(const wchar_t*)) {
  ClearTexts(list);
  // The value may grow between asking its size and reading it: another try then.
  for (int attempt = 0; attempt < 3; ++attempt) {
    DWORD type = 0, size = 0;
    SystemError status = RegQueryValueExW(key, name, nullptr, &type, nullptr, &size);
    if (status == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
    if (status != ERROR_SUCCESS) return status;
    if (type != REG_MULTI_SZ) return ERROR_INVALID_DATA;
    if (!ReserveText(list, size / sizeof(wchar_t) + 2)) return ERROR_NOT_ENOUGH_MEMORY;
    DWORD room = static_cast<DWORD>((list->capacity - 2) * sizeof(wchar_t));
    status = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(list->text), &room);
    if (status == ERROR_MORE_DATA) continue;
    if (status != ERROR_SUCCESS) return status;
    if (type != REG_MULTI_SZ) return ERROR_INVALID_DATA;
    return TakeTexts(list, room, isEntry);
  }
  return ERROR_MORE_DATA;
}

SystemError WriteList(HKEY key, const wchar_t* name, const TextList& list) {
  const wchar_t empty[2] = L"";
  return RegSetValueExW(key, name, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(list.text ? list.text : empty),
                        static_cast<DWORD>((list.used + 1) * sizeof(wchar_t)));
}

SystemError SetText(HKEY key, const wchar_t* name, const wchar_t* text) {
  return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                        static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t)));
}

SystemError SetNumber(HKEY key, const wchar_t* name, DWORD number) {
  return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
}

// Adds what the run wrote, each entry as the record's reader takes it: a record this setup could
// not read again would stop every later install and uninstall. ERROR_SUCCESS or why not.
SystemError AddWritten(InstallRecord* record, const PayloadRun& run) {
  if (!run.written.complete()) return ERROR_NOT_ENOUGH_MEMORY;
  if (!IsFolderEntry(run.folder.path())) return ERROR_BAD_PATHNAME;
  if (!PutEntry(&record->folders, run.folder.path())) return ERROR_NOT_ENOUGH_MEMORY;
  for (int i = 0; const WrittenItem* item = run.written.Get(i); ++i) {
    wchar_t entry[kWrittenSubjectCapacity + 40], hash[kHashTextCapacity];
    if (item->isValue) {
      if (!IsValueEntry(item->subject)) return ERROR_BAD_PATHNAME;
      if (!PutEntry(&record->values, item->subject)) return ERROR_NOT_ENOUGH_MEMORY;
      continue;
    }
    HashText(item->hash, hash);
    wsprintfW(entry, L"%s|%s|%lu", item->subject, hash, item->size);
    if (!IsFileEntry(entry)) return ERROR_BAD_PATHNAME;
    if (!PutEntry(&record->files, entry)) return ERROR_NOT_ENOUGH_MEMORY;
  }
  size_t before = record->aside.used;
  if (!run.files.ListAside(&record->aside)) return ERROR_NOT_ENOUGH_MEMORY;
  for (size_t at = before; at < record->aside.used; at = NextText(record->aside, at)) {
    if (!IsAsideEntry(record->aside.text + at)) return ERROR_BAD_PATHNAME;
  }
  return ERROR_SUCCESS;
}

// The entry's values, the record's lists last. refused: a value the registry is to refuse (tests).
SystemError WriteEntry(HKEY key, const InstallRecord& record, const wchar_t* folder, const wchar_t* keptPath,
                       const wchar_t* refused) {
  DWORD kilobytes = 0;
  for (size_t at = 0; at < record.files.used; at = NextText(record.files, at)) {
    kilobytes += (wcstoul(wcsrchr(record.files.text + at, L'|') + 1, nullptr, 10) + 1023) / 1024;
  }
  BoundedText<MAX_PATH + 24> icon, command, quietCommand;
  if (!icon.Assign(keptPath) || !icon.Append(L",0") || !command.Assign(L"\"") || !command.Append(keptPath) ||
      !command.Append(L"\" /UNINSTALL") || !quietCommand.Assign(command) || !quietCommand.Append(L" /S")) {
    return ERROR_FILENAME_EXCED_RANGE;
  }
  const struct {
    EntryValue value;
    const wchar_t* text;  // null: the number, or the list
    DWORD number;
    const TextList* list;
  } values[] = {{kDisplayName, Maker(kMakerProductName), 0, nullptr}, {kPublisher, Maker(kMakerMakerName), 0, nullptr},
                {kDisplayVersion, Maker(kMakerVersion), 0, nullptr}, {kDisplayIcon, icon, 0, nullptr},
                {kInstallLocation, folder, 0, nullptr}, {kEstimatedSize, nullptr, kilobytes, nullptr},
                {kUrlInfoAbout, Maker(kMakerWebsite), 0, nullptr}, {kNoModify, nullptr, 1, nullptr},
                {kNoRepair, nullptr, 1, nullptr}, {kUninstallString, command, 0, nullptr},
                {kQuietUninstallString, quietCommand, 0, nullptr}, {kFilesList, nullptr, 0, &record.files},
                {kValuesList, nullptr, 0, &record.values}, {kFoldersList, nullptr, 0, &record.folders},
                {kAsideList, nullptr, 0, &record.aside}};
  static_assert(sizeof values / sizeof *values == kEntryValueCount, "every value of the entry");
  for (const auto& value : values) {
    const wchar_t* name = kEntryValueNames[value.value];
    if (refused && wcscmp(name, refused) == 0) return ERROR_ACCESS_DENIED;  // as a key without write rights
    SystemError status = value.list   ? WriteList(key, name, *value.list)
                         : value.text ? SetText(key, name, value.text)
                                      : SetNumber(key, name, value.number);
    if (status != ERROR_SUCCESS) return status;
  }
  return ERROR_SUCCESS;
}

}  // namespace

SystemError ReadWholeValue(HKEY key, const wchar_t* name, DWORD* type, DWORD* size, ScopedHeapBlock* data) {
  for (int attempt = 0; attempt < 3; ++attempt) {  // the value may grow in between
    SystemError status = RegQueryValueExW(key, name, nullptr, type, nullptr, size);
    if (status != ERROR_SUCCESS) return status;
    data->reset(HeapAlloc(GetProcessHeap(), 0, *size ? *size : 1));
    if (!data->valid()) return ERROR_NOT_ENOUGH_MEMORY;
    status = RegQueryValueExW(key, name, nullptr, type, static_cast<BYTE*>(data->get()), size);
    if (status != ERROR_MORE_DATA) return status;
  }
  return ERROR_MORE_DATA;
}

const wchar_t* EntryValueName(int index) { return kEntryValueNames[index]; }

bool IsFolderEntry(const wchar_t* entry) {
  return wcslen(entry) < kPathCapacity && IsInstallablePath(entry) && EndsInBackslash(entry);
}

SystemError ReadInstallRecord(HKEY entry, InstallRecord* record) {
  SystemError status = ReadList(entry, kEntryValueNames[kFilesList], &record->files, IsFileEntry);
  if (status == ERROR_SUCCESS) status = ReadList(entry, kEntryValueNames[kValuesList], &record->values, IsValueEntry);
  if (status == ERROR_SUCCESS) status = ReadList(entry, kEntryValueNames[kFoldersList], &record->folders, IsFolderEntry);
  if (status == ERROR_SUCCESS) status = ReadList(entry, kEntryValueNames[kAsideList], &record->aside, IsAsideEntry);
  return status;
}

SystemError WriteInstallRecord(HKEY entry, const InstallRecord& record) {
  SystemError status = WriteList(entry, kEntryValueNames[kFilesList], record.files);
  if (status == ERROR_SUCCESS) status = WriteList(entry, kEntryValueNames[kValuesList], record.values);
  if (status == ERROR_SUCCESS) status = WriteList(entry, kEntryValueNames[kFoldersList], record.folders);
  if (status == ERROR_SUCCESS) status = WriteList(entry, kEntryValueNames[kAsideList], record.aside);
  return status;
}

bool PutEntry(TextList* list, const wchar_t* entry) {
  for (size_t at = 0; at < list->used;) {
    if (SameKey(list->text + at, entry)) {
      RemoveText(list, at);
    } else {
      at = NextText(*list, at);
    }
  }
  return AddText(list, entry);
}

bool SplitValueEntry(wchar_t* entry, wchar_t** keyPath, wchar_t** name, REGSAM* view) {
  // Only values below the maker's own key: "HKEY_LOCAL_MACHINE\\Software\\<maker>\\".
  const size_t root = wcslen(L"HKEY_LOCAL_MACHINE\\"), makerKey = wcslen(MakerKey());
  if (!HasPrefixIgnoringCase(entry, L"HKEY_LOCAL_MACHINE\\") || !HasPrefixIgnoringCase(entry + root, MakerKey()) ||
      entry[root + makerKey] != L'\\') {
    return false;
  }
  size_t length = wcslen(entry);
  *view = 0;
  if (length > kViewSuffixLength && wcscmp(entry + length - kViewSuffixLength, OTHER_VIEW_SUFFIX) == 0) {
    entry[length - kViewSuffixLength] = L'\0';
    *view = KEY_WOW64_64KEY;
  }
  *keyPath = entry + root;
  *name = wcsrchr(entry, L'\\');  // the maker key's own backslash at the earliest
  if (*name < entry + root + makerKey) return false;
  *(*name)++ = L'\0';
  return **name != L'\0';
}

void RemoveMovedAsideLeftovers(TextList* aside) {
  TrustedFolder folder;
  for (size_t at = 0; at < aside->used;) {
    const wchar_t* path = aside->text + at;  // entries are checked as they are read: they fit
    const wchar_t* name;
    SystemError error = folder.OpenFolderOf(path, kReadFolder, &name);
    ScopedHandle file;
    if (!error) error = folder.OpenFile(name, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, FILE_OPEN, &file);
    if (!error) error = DeleteOpenFile(file.get());
    file.reset();
    if (error == 0) LogLine("Removed, no longer loaded: %s", path);
    if (error == 0 || folder.IsGone(error)) {
      RemoveText(aside, at);  // one still loaded, or out of reach, waits for a later run
    } else {
      at = NextText(*aside, at);
    }
  }
}

SystemError OpenInstallRecord(ScopedKey* entry, InstallRecord* record, bool* created) {
  DWORD disposition = 0;
  SystemError status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, EntryKey(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                entry->receive(), &disposition);
  *created = status == ERROR_SUCCESS && disposition == REG_CREATED_NEW_KEY;
  if (status == ERROR_SUCCESS) status = ReadInstallRecord(entry->get(), record);
  return status;
}

SystemError RecordInstallation(HKEY entry, const InstallRecord& record, const PayloadRun& run, const wchar_t* keptPath,
                               const wchar_t* refusedValue) {
  InstallRecord updated;
  SystemError status = CopyTexts(&updated.files, record.files) && CopyTexts(&updated.values, record.values) &&
                        CopyTexts(&updated.folders, record.folders) && CopyTexts(&updated.aside, record.aside)
                    ? AddWritten(&updated, run)
                    : ERROR_NOT_ENOUGH_MEMORY;
  return status == ERROR_SUCCESS ? WriteEntry(entry, updated, run.folder.path(), keptPath, refusedValue) : status;
}

SystemError EntrySnapshot::Take(HKEY entry) {
  taken_ = false;
  for (int i = 0; i < kEntryValueCount; ++i) {
    Value& value = values_[i];
    SystemError status = ReadWholeValue(entry, kEntryValueNames[i], &value.type, &value.size, &value.data);
    value.present = status == ERROR_SUCCESS;
    if (status == ERROR_FILE_NOT_FOUND) value.data.reset();
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) return status;
  }
  taken_ = true;
  return ERROR_SUCCESS;
}

SystemError EntrySnapshot::PutBack(HKEY entry) const {
  SystemError first = ERROR_SUCCESS;
  for (int i = 0; taken_ && i < kEntryValueCount; ++i) {
    const Value& value = values_[i];
    SystemError status = value.present ? RegSetValueExW(entry, kEntryValueNames[i], 0, value.type,
                                                        static_cast<const BYTE*>(value.data.get()), value.size)
                                       : RegDeleteValueW(entry, kEntryValueNames[i]);
    if (status == ERROR_FILE_NOT_FOUND && !value.present) status = ERROR_SUCCESS;
    if (first == ERROR_SUCCESS) first = status;
  }
  return first;
}

SystemError RecordMovedAside(HKEY entry, const InstallRecord& record, const Replacements& files) {
  TextList aside;
  SystemError status = CopyTexts(&aside, record.aside) && files.ListAside(&aside) ? ERROR_SUCCESS : ERROR_NOT_ENOUGH_MEMORY;
  for (size_t at = 0; status == ERROR_SUCCESS && at < aside.used; at = NextText(aside, at)) {
    if (!IsAsideEntry(aside.text + at)) status = ERROR_BAD_PATHNAME;
  }
  if (status == ERROR_SUCCESS) status = WriteList(entry, kEntryValueNames[kAsideList], aside);
  return status;
}
