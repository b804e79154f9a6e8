#include "install/Uninstall.h"

#include <utility>

#include "base/ContentHash.h"
#include "base/ExitCode.h"
#include "base/FileHolder.h"
#include "base/FileReplacement.h"
#include "base/InstallLog.h"
#include "base/Messages.h"
#include "base/PathText.h"
#include "base/MakerValues.h"
#include "base/SystemError.h"
#include "base/Texts.h"
#include "payload/InstallFailures.h"
#include "payload/PresetValues.h"
#include "record/InstallRecord.h"
#include "record/KeptUninstaller.h"
#include "record/RecordLock.h"

namespace {

struct Tally {
  int failed, changed, unreachable;
  bool lostTrack;  // something left could not be kept in the record (no memory): the record stays
  wchar_t holder[kHolderCapacity];  // a program that holds a file that could not be removed
  TrustedFolder folder;             // the folder of the last file, open for the next one in it
};

void KeepRecorded(const wchar_t* entry, const wchar_t* path, SystemError error, Tally* tally, TextList* kept) {
  LogFailure("Could not remove", path, error);
  ++tally->failed;
  if (!AddText(kept, entry)) tally->lostTrack = true;
}

// Whether the file is still what the setup wrote, and its deletion, through one handle that lets
// nobody else write or delete it in between. A changed file is not ours any more. A file that a
// program has loaded cannot be deleted, only renamed: it moves aside and goes at the next start. A
// file on a drive or share that is not there now stays recorded, for a later uninstall.
void RemoveFile(const wchar_t* entry, Tally* tally, TextList* kept) {
  BoundedText<kFileNameCapacity + 40> path;
  wchar_t hash[kHashTextCapacity];
  path.Assign(entry);  // entries are checked as they are read: they fit
  wchar_t* recordedHash = wcschr(path.buffer(), L'|');
  *recordedHash++ = L'\0';
  const wchar_t* name;
  SystemError error = tally->folder.OpenFolderOf(path, kReadFolder, &name);
  ScopedHandle file;
  if (!error) error = tally->folder.OpenFile(name, GENERIC_READ | DELETE, FILE_SHARE_READ, FILE_OPEN, &file);
  if (tally->folder.IsGone(error)) return;  // removed already, or its folder was
  if (error && tally->folder.rootMissing()) ++tally->unreachable;
  ContentHash content;
  if (!error && !HashOpenFile(file.get(), &content)) error = GetLastError();
  if (!error) {
    HashText(content, hash);
    // A record of an earlier version holds that version's hash.
    if (wcsncmp(hash, recordedHash, kHashTextCapacity - 1) != 0 && HashOpenFile(file.get(), &content, true)) {
      HashText(content, hash);
    }
    if (wcsncmp(hash, recordedHash, kHashTextCapacity - 1) != 0) {
      LogLine("Kept, changed since it was installed: %s", path);
      ++tally->changed;
      return;
    }
    error = DeleteOpenFile(file.get());
    if (!error) {
      LogLine("Removed file: %s", path);
      return;
    }
    // A read-only file is its owner's protection, not a program's hold: it stays.
    ShortPath aside;
    DWORD attributes = AttributesOf(file.get());
    if (IsHeldError(error) && attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_READONLY) &&
        MoveAsideForNextStart(tally->folder, file.get(), name, &aside) == 0) {
      return;
    }
  }
  file.reset();
  KeepRecorded(entry, path, error, tally, kept);
  if (IsHeldError(error) && !tally->holder[0] && NameProgramHolding(path, tally->holder, kHolderCapacity)) {
    LogLine("Held by %s: close it and try again.", tally->holder);
  }
}

void RemoveValue(const wchar_t* entry, Tally* tally, TextList* kept) {
  wchar_t copy[kFailureSubjectCapacity], *keyPath, *name;
  REGSAM view;
  CopyText(copy, kFailureSubjectCapacity, entry);
  if (!SplitValueEntry(copy, &keyPath, &name, &view)) return;  // never read: the record was checked
  ScopedKey valueKey;
  SystemError status = valueKey.Open(HKEY_LOCAL_MACHINE, keyPath, KEY_SET_VALUE | view);
  if (status == ERROR_SUCCESS) status = RegDeleteValueW(valueKey.get(), name);
  valueKey.reset();
  if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) {
    LogLine("Removed registry value: %s", entry);
    RemoveEmptyKeys(keyPath, view);
  } else {
    KeepRecorded(entry, entry, status, tally, kept);
  }
}

// A maker folder goes when nothing is left in it; any other folder was the user's before. A folder
// that still holds a recorded file stays recorded.
void RemoveFolder(const wchar_t* folder, const TextList& files, Tally* tally, TextList* kept) {
  bool stillUsed = false;
  for (size_t file = 0; file < files.used; file = NextText(files, file)) {
    stillUsed = stillUsed || HasPrefixIgnoringCase(files.text + file, folder);
  }
  if (stillUsed) {
    if (!AddText(kept, folder)) tally->lostTrack = true;
    return;
  }
  FolderPath maker;
  maker.AssignPart(folder, wcslen(folder) - 1);  // "...\Velmoran\" without its backslash
  tally->folder = TrustedFolder();  // its own handle would keep the folder
  const wchar_t* name;
  if (tally->folder.OpenFolderOf(maker, kReadFolder, &name) == 0 && SameIgnoringCase(name, Maker(kMakerMakerFolder)) &&
      tally->folder.RemoveSubfolder(name) == 0) {
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
    RemoveFolder(record->folders.text + at, kept.files, tally, &kept.folders);
  }
  tally->folder = TrustedFolder();
  kept.aside = std::move(record->aside);
  *record = std::move(kept);
}

ExitCode Finish(bool silent, FailureKind end, const wchar_t* detail = L"", TextId otherwise = kTextCount) {
  ExitCode code = ExitCodeOf(end);
  TellOutcome(silent, code == ExitCode::kSuccess ? MB_ICONINFORMATION : MB_ICONWARNING,
              FailureHeadline(end, RunKind::kUninstall), detail, otherwise);
  return code;
}

ExitCode FinishUnreadable(bool silent, SystemError status, const wchar_t* what) {
  LogFailure("Could not read", what, status);
  if (status == ERROR_NOT_ENOUGH_MEMORY) return Finish(silent, kOutOfMemory);
  wchar_t reason[512];
  DescribeError(status, reason, 512);
  return Finish(silent, kRecordUnreadable, reason);
}

}  // namespace

ExitCode RunUninstall(bool silent, HANDLE ownFile) {
  ScopedKey entry;
  SystemError status = entry.Open(HKEY_LOCAL_MACHINE, EntryKey(), KEY_READ);
  if (status == ERROR_FILE_NOT_FOUND) {
    return Finish(silent, kNothingToRemove);
  }
  if (status != ERROR_SUCCESS) return FinishUnreadable(silent, status, L"the entry in the list of installed programs");
  entry.reset();
  if (!silent && MessageBoxW(nullptr, Text(kTextRemoveQuestion), WindowTitle(), MB_YESNO | MB_ICONQUESTION) != IDYES) {
    LogLine("Outcome: cancelled");
    return ExitCodeOf(kStopped);
  }
  RecordLock lock;
  if (!lock.Take()) {
    return Finish(silent, kAnotherRunActive);
  }
  InstallRecord record;
  status = entry.Open(HKEY_LOCAL_MACHINE, EntryKey(), KEY_ALL_ACCESS);
  if (status == ERROR_FILE_NOT_FOUND) return Finish(silent, kNothingToRemove);
  if (status == ERROR_SUCCESS) status = ReadInstallRecord(entry.get(), &record);
  if (status != ERROR_SUCCESS) {
    return FinishUnreadable(silent, status, L"the record of what was installed");
  }
  RemoveMovedAsideLeftovers(&record.aside);
  Tally tally = {};
  RemoveRecorded(&record, &tally);
  if (tally.lostTrack) {
    // What is left could not all be listed: the entry keeps the record it had, for another try.
    LogFailure("Could not update", L"the entry in the list of installed programs", ERROR_NOT_ENOUGH_MEMORY);
    return Finish(silent, kOutOfMemory);
  }
  if (record.files.used == 0 && record.values.used == 0) {
    // The kept copy goes first: while it stays, so does the entry that starts it, for another try.
    SystemError error = RemoveKeptCopy(ownFile);
    if (error) {
      LogFailure("Could not remove", L"the kept uninstaller", error);
      ++tally.failed;
      status = WriteInstallRecord(entry.get(), record);
    } else {
      entry.reset();
      status = RegDeleteKeyW(HKEY_LOCAL_MACHINE, EntryKey());
    }
  } else {
    // What is left stays recorded, so that a second uninstall can finish the job.
    status = WriteInstallRecord(entry.get(), record);
  }
  if (status != ERROR_SUCCESS) {
    LogFailure("Could not update", L"the entry in the list of installed programs", status);
    ++tally.failed;
  }
  if (tally.failed && tally.unreachable && !tally.holder[0]) {
    return Finish(silent, kRemovalDriveMissing);
  }
  if (tally.failed) {
    return Finish(silent, kNotRemoved, tally.holder, kTextYourImageEditor);
  }
  if (tally.changed) {
    return Finish(silent, kChangedKept);
  }
  return Finish(silent, kNothingFailed);
}
