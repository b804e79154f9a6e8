#include "base/FileReplacement.h"

#include <winternl.h>

#include <utility>

#include "base/InstallLog.h"

namespace {

const ULONG kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
const size_t kAsideMarkLength = 36;  // ".", 8 digits, "-", 16 digits, ".", 8 digits, and one to spare

SystemError LastErrorOr(DWORD fallback) {
  SystemError error = GetLastError();
  return error ? error : SystemError(fallback);
}

// name + "." + this process's id + "-" + the time it started + "." + a counter + the suffix: a name
// no other run has given, since a process id is taken again only by a process started later. False
// when it would not fit.
bool MakeAsideName(const wchar_t* name, ShortPath* aside) {
  static LONG counter;
  static FILETIME started;
  if (!started.dwLowDateTime && !started.dwHighDateTime) {
    FILETIME unused[3];
    if (!GetProcessTimes(GetCurrentProcess(), &started, &unused[0], &unused[1], &unused[2])) {
      GetSystemTimeAsFileTime(&started);
    }
  }
  if (BoundedLength(name, aside->capacity()) + kAsideMarkLength + wcslen(AsideSuffix()) >= aside->capacity()) {
    return false;
  }
  wsprintfW(aside->buffer(), L"%s.%lx-%08lx%08lx.%lx%s", name, GetCurrentProcessId(), started.dwHighDateTime,
            started.dwLowDateTime, static_cast<unsigned long>(InterlockedIncrement(&counter)), AsideSuffix());
  return true;
}

// The folder's text and the name: what the system's list of deletions at the next start takes.
bool FullName(const TrustedFolder& folder, const wchar_t* name, FilePath* full) {
  return full->Join(folder.path(), name);
}

void DeleteAtNextStart(const TrustedFolder& folder, const wchar_t* name) {
  FilePath full;
  if (!FullName(folder, name, &full)) return;
  if (MoveFileExW(full, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) {
    LogMovedAside(full);
  } else {
    LogFailure("Could not arrange to remove at the next start", full, GetLastError());
  }
}

}  // namespace

bool IsAsideName(const wchar_t* name) {
  size_t length = wcslen(name), suffix = wcslen(AsideSuffix());
  return suffix > 0 && length > suffix && SameIgnoringCase(name + length - suffix, AsideSuffix());
}

bool IsHeldError(SystemError error) {
  return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION || error == ERROR_USER_MAPPED_FILE;
}


void Replacements::Add(const TrustedFolder& folder, const wchar_t* name, const wchar_t* aside, HANDLE asideFile) {
  Entry& entry = *entries_.Append();  // PutInPlace reserved the room
  entry.folder = &folder;
  entry.name.Assign(name);
  entry.aside.Assign(aside);
  entry.asideFile.reset(asideFile);
}

void Replacements::Commit() {
  int remaining = 0;
  for (int i = 0; i < entries_.count(); ++i) {
    Entry& entry = entries_[i];
    if (entry.aside.empty()) continue;
    // Through the handle it was moved aside with: whatever has its name now is not ours.
    ScopedHandle old = std::move(entry.asideFile);
    if (DeleteOpenFile(old.get()) == 0) continue;
    DeleteAtNextStart(*entry.folder, entry.aside);  // a program still has it loaded
    if (remaining != i) entries_[remaining] = std::move(entry);
    ++remaining;
  }
  entries_.Truncate(remaining);
}

void Replacements::TakeBack(TakeBackReport* report) {
  for (int i = entries_.count() - 1; i >= 0; --i) {
    Entry& entry = entries_[i];
    ScopedHandle file = std::move(entry.asideFile);
    const wchar_t* left = entry.aside.empty() ? entry.name : entry.aside;
    SystemError error = file.valid() ? 0 : entry.folder->OpenFile(left, DELETE, kShareAll, FILE_OPEN, &file);
    // The old file takes its name back over the new one in one step: deleting the new one first
    // would leave its name taken while another program (a virus scanner, the indexer) still reads it.
    bool hadOld = !entry.aside.empty();
    if (!error) error = hadOld ? entry.folder->Rename(file.get(), entry.name, true) : DeleteOpenFile(file.get());
    if (error) {
      FilePath full;
      if (!FullName(*entry.folder, left, &full)) full.Assign(left);
      report->NotTakenBack(full, hadOld, error);
    }
  }
  entries_.Clear();
}

bool Replacements::ListAside(TextList* list) const {
  for (int i = 0; i < entries_.count(); ++i) {
    FilePath full;
    if (!entries_[i].aside.empty() && FullName(*entries_[i].folder, entries_[i].aside, &full) && !AddText(list, full)) {
      return false;
    }
  }
  return true;
}

SystemError NewFile::Begin(const TrustedFolder& folder, ChangeRecorder* recorder, bool flushAsItGoes) {
  Abandon();
  folder_ = &folder;
  unflushed_ = 0;
  flushAsItGoes_ = flushAsItGoes;
  // Beside the target, so that putting it in place is a rename on one volume; under a name of our
  // own, made anew should a file of that name exist.
  static LONG attempt;
  SystemError error = ERROR_FILE_EXISTS;
  for (int tries = 0; tries < 100 && error == ERROR_FILE_EXISTS; ++tries) {
    wchar_t name[32];
    wsprintfW(name, L"~vms%lx%lx.tmp", GetCurrentProcessId(), static_cast<unsigned long>(InterlockedIncrement(&attempt)));
    FilePath full;
    if (recorder) {
      error = FullName(folder, name, &full) ? recorder->WillMakeTemporary(full) : ERROR_FILENAME_EXCED_RANGE;
      if (error) return error;
    }
    error = folder.OpenFile(name, GENERIC_WRITE | DELETE, 0, FILE_CREATE, &file_);
  }
  return error;
}

SystemError NewFile::Write(const void* data, DWORD size) {
  const BYTE* at = static_cast<const BYTE*>(data);
  const DWORD kChunk = 1u << 20;  // one huge write is slower than a few large ones under Wine
  const DWORD kFlushEvery = 32u << 20;
  while (size > 0) {
    DWORD written = 0;
    if (!WriteFile(file_.get(), at, size < kChunk ? size : kChunk, &written, nullptr) || written == 0) {
      return LastErrorOr(ERROR_WRITE_FAULT);
    }
    at += written;
    size -= written;
    unflushed_ += written;
    if (flushAsItGoes_ && unflushed_ >= kFlushEvery) {
      if (!FlushFileBuffers(file_.get())) return LastErrorOr(ERROR_WRITE_FAULT);
      unflushed_ = 0;
    }
  }
  return 0;
}

SystemError NewFile::PutInPlace(const wchar_t* name, Replacements* journal, FilePath* strandedAside) {
  strandedAside->Clear();
  if (!journal->entries_.Reserve()) return ERROR_NOT_ENOUGH_MEMORY;
  // On the disk before the rename: after a power loss the plug-in's name holds the old file or the
  // whole new one, never an empty or partly written one.
  if (!FlushFileBuffers(file_.get())) return LastErrorOr(ERROR_WRITE_FAULT);
  ScopedHandle old;
  ShortPath aside;
  DWORD attributes = 0;
  SystemError error = folder_->OpenFile(name, DELETE, kShareAll, FILE_OPEN, &old, &attributes);
  if (error == ERROR_FILE_NOT_FOUND) {
    error = 0;
  } else if (!error) {
    if (attributes & FILE_ATTRIBUTE_READONLY) return ERROR_ACCESS_DENIED;
    error = MakeAsideName(name, &aside) ? 0 : ERROR_FILENAME_EXCED_RANGE;
    FilePath full, asideFull;
    if (!error && journal->recorder) {
      error = FullName(*folder_, name, &full) && FullName(*folder_, aside, &asideFull)
                  ? journal->recorder->WillMoveAside(full, asideFull)
                  : ERROR_FILENAME_EXCED_RANGE;
    }
    if (!error) error = folder_->Rename(old.get(), aside, false);
  }
  if (error) return error;
  FilePath full;
  if (!old.valid() && journal->recorder) {
    error = FullName(*folder_, name, &full) ? journal->recorder->WillPutNew(full) : ERROR_FILENAME_EXCED_RANGE;
    if (error) return error;
  }
  error = folder_->Rename(file_.get(), name, false);
  if (error) {
    // Never a folder without a working plug-in, if it can be helped.
    SystemError putBack = old.valid() ? folder_->Rename(old.get(), name, false) : 0;
    if (putBack) {
      if (!FullName(*folder_, aside, strandedAside)) strandedAside->Assign(aside);
      // The run records the failure to put the new file in place; why the old one stays aside is said here.
      LogFailure("Could not put back the old plug-in, now", *strandedAside, putBack);
    }
    return error;
  }
  journal->Add(*folder_, name, aside, old.release());
  file_.reset();
  return 0;
}

void NewFile::Abandon() {
  if (file_.valid()) DeleteOpenFile(file_.get());
  file_.reset();
}

SystemError MoveAsideForNextStart(const TrustedFolder& folder, HANDLE file, const wchar_t* name, ShortPath* asideName) {
  if (!MakeAsideName(name, asideName)) return ERROR_FILENAME_EXCED_RANGE;
  SystemError error = folder.Rename(file, *asideName, false);
  if (!error) DeleteAtNextStart(folder, *asideName);
  return error;
}
