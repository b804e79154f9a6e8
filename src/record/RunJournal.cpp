#include "record/RunJournal.h"

#include <stdlib.h>
#include <wchar.h>

#include "base/FileReplacement.h"
#include "base/InstallLog.h"
#include "base/MakerValues.h"
#include "base/Messages.h"
#include "base/PathText.h"
#include "base/TrustedFolder.h"
#include "payload/PresetValues.h"
#include "record/InstallRecord.h"

namespace {

const wchar_t kJournalKey[] = L"InterruptedRun";
using JournalStep = BoundedText<2 * kFileNameCapacity + 64>;  // a kind and up to two full names

// "...\Uninstall\<entry>\InterruptedRun" below HKEY_LOCAL_MACHINE.
bool JournalPath(KeyPath* path) { return path->Join(EntryKey(), kJournalKey); }

// The file of the full name, opened to be renamed or deleted, in its folder; 0, the system's
// error, or ERROR_FILE_NOT_FOUND when it is not there.
SystemError OpenByFullName(const wchar_t* fullName, TrustedFolder* folder, ScopedHandle* file, const wchar_t** name) {
  SystemError error = folder->OpenFolderOf(fullName, kReadFolder, name);
  if (!error) {
    error = folder->OpenFile(*name, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, FILE_OPEN, file);
  }
  return folder->IsGone(error) ? ERROR_FILE_NOT_FOUND : error;
}

SystemError DeleteIfThere(const wchar_t* fullName) {
  TrustedFolder folder;
  ScopedHandle file;
  const wchar_t* name;
  SystemError error = OpenByFullName(fullName, &folder, &file, &name);
  if (!error) error = DeleteOpenFile(file.get());
  return error == ERROR_FILE_NOT_FOUND ? 0 : error;
}

// The old file back at its name, over whatever has it now; nothing where it is not aside (any more).
SystemError PutBackAside(const wchar_t* fullName, const wchar_t* asideFullName) {
  TrustedFolder folder;
  ScopedHandle file;
  const wchar_t* asideName;
  SystemError error = OpenByFullName(asideFullName, &folder, &file, &asideName);
  if (!error) error = folder.Rename(file.get(), wcsrchr(fullName, L'\\') + 1, true);
  return error == ERROR_FILE_NOT_FOUND ? 0 : error;
}

// The preset value as it was: the journal's copy (named copy) where it existed, else none.
SystemError PutBackValue(HKEY journal, const wchar_t* flags, wchar_t* where) {
  wchar_t copy[16];
  lstrcpynW(copy, flags, 16);
  wchar_t* colon = wcschr(copy, L':');
  if (!colon || !colon[1] || !colon[2] || !colon[3]) return ERROR_INVALID_DATA;
  *colon = L'\0';
  REGSAM view = colon[1] == L'1' ? KEY_WOW64_64KEY : 0;
  bool existed = colon[3] == L'1';
  wchar_t* name = wcsrchr(where, L'\\');
  if (!name || !HasPrefixIgnoringCase(where, MakerKey()) || where[wcslen(MakerKey())] != L'\\') return ERROR_INVALID_DATA;
  *name++ = L'\0';
  ScopedKey key;
  SystemError status = key.Open(HKEY_LOCAL_MACHINE, where, KEY_SET_VALUE | view);
  if (status == ERROR_SUCCESS && existed) {
    DWORD type = 0, size = 0;
    ScopedHeapBlock data;
    status = ReadWholeValue(journal, copy, &type, &size, &data);
    if (status == ERROR_SUCCESS) status = RegSetValueExW(key.get(), name, 0, type, static_cast<BYTE*>(data.get()), size);
  } else if (status == ERROR_SUCCESS) {
    status = RegDeleteValueW(key.get(), name);
  }
  key.reset();
  if (status == ERROR_FILE_NOT_FOUND && !existed) status = ERROR_SUCCESS;
  RemoveEmptyKeys(where, view);
  return status;
}

// The folders a run made, deepest first, where nothing is left in them.
void RemoveMadeFolders(const wchar_t* path, int count) {
  FolderPath left;
  if (!left.Assign(path)) return;
  for (; count > 0 && EndsInBackslash(left); --count) {
    left.Truncate(left.length() - 1);
    TrustedFolder parent;
    const wchar_t* name;
    if (parent.OpenFolderOf(left, kReadFolder, &name) != 0 || parent.RemoveSubfolder(name) != 0) return;
    left.Truncate(static_cast<size_t>(name - left.get()));
  }
}

// The entry's values as the journal kept them, each one that was not there deleted.
SystemError PutBackEntry(HKEY journal) {
  ScopedKey entry;
  SystemError status = entry.Open(HKEY_LOCAL_MACHINE, EntryKey(), KEY_SET_VALUE);
  for (int i = 0; status == ERROR_SUCCESS && i < kEntryValues; ++i) {
    wchar_t copy[48];
    wsprintfW(copy, L"e:%s", EntryValueName(i));
    DWORD type = 0, size = 0;
    ScopedHeapBlock data;
    SystemError read = ReadWholeValue(journal, copy, &type, &size, &data);
    if (read == ERROR_SUCCESS) {
      status = RegSetValueExW(entry.get(), EntryValueName(i), 0, type, static_cast<BYTE*>(data.get()), size);
    } else if (read == ERROR_FILE_NOT_FOUND) {
      status = RegDeleteValueW(entry.get(), EntryValueName(i));
      if (status == ERROR_FILE_NOT_FOUND) status = ERROR_SUCCESS;
    } else {
      status = read;
    }
  }
  return status;
}

// The journal's step of that index. The registry's status.
SystemError ReadStep(HKEY journal, int index, JournalStep* step) {
  wchar_t name[16];
  wsprintfW(name, L"s%d", index);
  // Room for the terminator the registry need not have stored.
  DWORD size = static_cast<DWORD>((step->capacity() - 1) * sizeof(wchar_t)), type = 0;
  SystemError status = RegQueryValueExW(journal, name, nullptr, &type, reinterpret_cast<BYTE*>(step->buffer()), &size);
  if (status == ERROR_SUCCESS && type != REG_SZ) status = ERROR_INVALID_DATA;
  step->Truncate(status == ERROR_SUCCESS ? size / sizeof(wchar_t) : 0);
  return status;
}

}  // namespace

SystemError RunJournal::Begin(HKEY entry, bool madeEntry) {
  steps_ = values_ = 0;
  DWORD disposition = 0;
  SystemError status = RegCreateKeyExW(entry, kJournalKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key_.receive(),
                                       &disposition);
  if (status == ERROR_SUCCESS && disposition != REG_CREATED_NEW_KEY) status = ERROR_ALREADY_EXISTS;
  if (status == ERROR_SUCCESS && madeEntry) status = Add(L"made-entry", L"");
  for (int i = 0; status == ERROR_SUCCESS && i < kEntryValues; ++i) {
    DWORD type = 0, size = 0;
    ScopedHeapBlock data;
    SystemError read = ReadWholeValue(entry, EntryValueName(i), &type, &size, &data);
    wchar_t copy[48];
    wsprintfW(copy, L"e:%s", EntryValueName(i));
    if (read == ERROR_SUCCESS) {
      status = RegSetValueExW(key_.get(), copy, 0, type, static_cast<BYTE*>(data.get()), size);
    } else if (read != ERROR_FILE_NOT_FOUND) {
      status = read;
    }
  }
  // The copies are whole: only now may a take-back put them back.
  if (status == ERROR_SUCCESS) status = Add(L"entry-kept", L"");
  return status;
}

SystemError RunJournal::Add(const wchar_t* kind, const wchar_t* first, const wchar_t* second) {
  if (!key_.get()) return ERROR_INVALID_HANDLE;
  JournalStep step;
  if (!step.Assign(kind) || !step.Append(L"|") || !step.Append(first) ||
      (second && (!step.Append(L"|") || !step.Append(second)))) {
    return ERROR_FILENAME_EXCED_RANGE;
  }
  wchar_t name[16];
  wsprintfW(name, L"s%d", steps_++);
  SystemError status = RegSetValueExW(key_.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(step.get()),
                                      static_cast<DWORD>((step.length() + 1) * sizeof(wchar_t)));
  return status == ERROR_SUCCESS ? RegFlushKey(key_.get()) : status;
}

SystemError RunJournal::MadeFolders(const TrustedFolder& folder, int count) {
  if (count == 0) return 0;
  wchar_t made[12];
  wsprintfW(made, L"%d", count);
  return Add(L"made", folder.path(), made);
}

SystemError RunJournal::WillMakeTemporary(const wchar_t* fullName) { return Add(L"temp", fullName); }

SystemError RunJournal::WillMoveAside(const wchar_t* fullName, const wchar_t* asideFullName) {
  return Add(L"aside", fullName, asideFullName);
}

SystemError RunJournal::WillPutNew(const wchar_t* fullName) { return Add(L"new", fullName); }

SystemError RunJournal::WillWriteValue(const wchar_t* keyPath, const wchar_t* name, REGSAM view, bool existed,
                                       DWORD type, const BYTE* data, DWORD size) {
  if (!key_.get()) return ERROR_INVALID_HANDLE;
  wchar_t copy[16], flags[24];
  wsprintfW(copy, L"v%d", values_++);
  wsprintfW(flags, L"%s:%c:%c", copy, view ? L'1' : L'0', existed ? L'1' : L'0');
  FilePath where;
  if (!where.Assign(keyPath) || !where.Append(L"\\") || !where.Append(name)) return ERROR_FILENAME_EXCED_RANGE;
  SystemError status = existed ? RegSetValueExW(key_.get(), copy, 0, type, data, size) : ERROR_SUCCESS;
  return status == ERROR_SUCCESS ? Add(L"value", flags, where) : status;
}

void RunJournal::End() {
  if (!key_.get()) return;
  key_.reset();
  KeyPath path;
  if (!JournalPath(&path)) return;
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, path);
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, path);
}

SystemError TakeBackInterruptedRun(FilePath* subject) {
  subject->Clear();
  KeyPath path;
  if (!JournalPath(&path)) return ERROR_FILENAME_EXCED_RANGE;
  ScopedKey journal;
  SystemError status = journal.Open(HKEY_LOCAL_MACHINE, path, KEY_READ);
  if (status == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
  if (status != ERROR_SUCCESS) return status;
  LogLine("An earlier run did not end; what it changed is taken back");
  int count = 0;
  JournalStep step;
  while (ReadStep(journal.get(), count, &step) == ERROR_SUCCESS) ++count;
  bool madeEntry = false, entryKept = false;
  SystemError first = ERROR_SUCCESS;
  for (int i = count - 1; i >= 0; --i) {  // newest first, as the run would have taken itself back
    status = ReadStep(journal.get(), i, &step);
    wchar_t* a = wcschr(step.buffer(), L'|');
    if (status != ERROR_SUCCESS || !a) {
      status = status ? status : ERROR_INVALID_DATA;
    } else {
      *a++ = L'\0';
      wchar_t* b = wcschr(a, L'|');
      if (b) *b++ = L'\0';
      if (wcscmp(step, L"temp") == 0 || wcscmp(step, L"new") == 0) {
        status = DeleteIfThere(a);
      } else if (wcscmp(step, L"aside") == 0 && b) {
        status = PutBackAside(a, b);
        if (status == ERROR_SUCCESS) LogLine("Put back: %s", a);
      } else if (wcscmp(step, L"value") == 0 && b) {
        status = PutBackValue(journal.get(), a, b);
      } else if (wcscmp(step, L"made") == 0) {
        // Once every file in them is gone, at the end.
      } else {
        madeEntry = madeEntry || wcscmp(step, L"made-entry") == 0;
        entryKept = entryKept || wcscmp(step, L"entry-kept") == 0;
      }
    }
    if (status != ERROR_SUCCESS && first == ERROR_SUCCESS) {
      first = status;
      subject->Assign(a ? a : path.get());
      LogFailure("Could not take back", *subject, status);
    }
  }
  for (int i = 0; first == ERROR_SUCCESS && i < count; ++i) {
    wchar_t* depth = ReadStep(journal.get(), i, &step) == ERROR_SUCCESS ? wcsrchr(step.buffer(), L'|') : nullptr;
    if (HasPrefixIgnoringCase(step, L"made|") && depth && depth > step + 5) {
      *depth++ = L'\0';
      RemoveMadeFolders(step + 5, _wtoi(depth));
    }
  }
  if (first == ERROR_SUCCESS && entryKept && !madeEntry) first = PutBackEntry(journal.get());
  journal.reset();
  if (first != ERROR_SUCCESS) {
    if (subject->empty()) subject->Assign(EntryName());
    return first;
  }
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, path);
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, path);
  if (madeEntry) RegDeleteKeyW(HKEY_LOCAL_MACHINE, EntryKey());
  LogLine("Taken back: the run that did not end");
  return ERROR_SUCCESS;
}
