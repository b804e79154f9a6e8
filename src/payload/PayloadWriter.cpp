#include "payload/PayloadWriter.h"

#include "base/FileHolder.h"
#include "base/PathText.h"
#include "payload/InstallName.h"
#include "payload/PayloadRun.h"
#include "payload/PresetValues.h"

namespace {
SystemError LastErrorOr(DWORD fallback) {
  SystemError error = GetLastError();
  return error ? error : SystemError(fallback);
}

// The content hash of bytes that are being written, taken on another processor meanwhile: large stored
// files cost the time of their writing, not of their writing and hashing. A small file is hashed
// in less time than a thread takes to start.
class HashAlongside {
 public:
  HashAlongside(const BYTE* data, DWORD size) : data_(data), size_(size) {
    if (size >= kWorthAThread) {
      thread_.reset(CreateThread(nullptr, kStackBytes, Hash, this, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
    }
  }
  ~HashAlongside() {
    stop_ = 1;
    if (thread_.valid()) WaitForSingleObject(thread_.get(), INFINITE);
  }
  HashAlongside(const HashAlongside&) = delete;
  HashAlongside& operator=(const HashAlongside&) = delete;

  // Once the thread has taken it; where no thread could start, taken here.
  ContentHash Finish() {
    if (!thread_.valid()) return HashOf(data_, size_);
    WaitForSingleObject(thread_.get(), INFINITE);
    return hash_;
  }

 private:
  static DWORD CALLBACK Hash(void* self) {
    HashAlongside* hash = static_cast<HashAlongside*>(self);
    ContentHasher hasher;
    const DWORD kStep = 1u << 20;  // between looks at whether the run stopped
    for (DWORD at = 0; at < hash->size_ && !hash->stop_; at += kStep) {
      hasher.Add(hash->data_ + at, hash->size_ - at < kStep ? hash->size_ - at : kStep);
    }
    hash->hash_ = hasher.Finish();
    return 0;
  }
  static const DWORD kWorthAThread = 4u << 20;
  static const DWORD kStackBytes = 64u << 10;  // the hash needs next to none
  const BYTE* data_;
  DWORD size_;
  ContentHash hash_ = 0;
  volatile LONG stop_ = 0;
  ScopedHandle thread_;
};

// The installed name of a resource name; false when too long.
bool InstallNameOf(const wchar_t* name, ShortPath* installName) {
  if (!installName->Assign(name)) return false;
  MakeInstallName(installName->buffer());
  return true;
}
}  // namespace

bool GoOn(PayloadRun* run, DWORD bytes) {
  if (!run->progress) return true;
  while (run->progress->paused && !run->progress->stopAsked) Sleep(20);
  SharedRunLock turn(run);
  if (run->progress->stopAsked) {
    bool told = false;
    for (int i = 0; const InstallFailure* failure = run->failures.Get(i); ++i) told = told || failure->kind == kStopped;
    if (!told) run->failures.Record(kStopped, L"", ERROR_CANCELLED);
    return false;
  }
  run->unreported += bytes;
  InterlockedExchangeAdd(&run->progress->writtenKilobytes, static_cast<LONG>(run->unreported / 1024));
  run->unreported %= 1024;
  return true;
}

bool IsLeftOut(const PayloadRun& run, const wchar_t* name) {
  ShortPath installName;
  return InstallNameOf(name, &installName) && run.skipped.Skips(installName);
}

ItemTarget TargetOf(PayloadRun* run, const wchar_t* name, ShortPath* installName, const PresetKind** kind) {
  if (!InstallNameOf(name, installName)) {
    run->failures.Record(kNameTooLong, name, ERROR_FILENAME_EXCED_RANGE);
    return kItemRefused;
  }
  if (run->skipped.Skips(*installName)) return kItemSkipped;
  if ((*kind = FindPresetKind(*installName))) return kItemPreset;
  FilePath fullName;
  if (!fullName.Join(run->folder.path(), *installName)) {
    run->failures.Record(kNameTooLong, name, ERROR_FILENAME_EXCED_RANGE);
    return kItemRefused;
  }
  // A name of an altered or damaged setup must not reach outside the folder, nor a device.
  if (!IsPlainFileName(*installName)) {
    run->failures.Record(kNameNotPlain, name, ERROR_INVALID_NAME);
    return kItemRefused;
  }
  return kItemFile;
}

void FinishFile(PayloadRun* run, NewFile* file, const wchar_t* installName, SystemError error, DWORD size, ContentHash hash) {
  FilePath fullName, stranded;
  fullName.Join(run->folder.path(), installName);  // TargetOf saw that it fits
  if (error && file) file->Abandon();
  if (!error) error = file->PutInPlace(installName, &run->files, &stranded);
  if (!error) {
    run->written.Record(false, fullName, size, hash);
    return;
  }
  wchar_t holder[kHolderCapacity] = L"";
  if (IsHeldError(error)) NameProgramHolding(fullName, holder, kHolderCapacity);
  run->failures.Record(kFileNotWritten, fullName, error, holder);
  if (!stranded.empty()) run->failures.Record(kOldPlugInStranded, stranded, error);
}

ULONGLONG StoredBytes(HMODULE module, const PayloadRun& run) {
  struct Count {
    const PayloadRun* run;
    ULONGLONG bytes;
    static BOOL CALLBACK Add(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR count) {
      Count* counted = reinterpret_cast<Count*>(count);
      HRSRC resource = IS_INTRESOURCE(name) ? nullptr : FindResourceW(module, name, type);
      if (resource && !IsLeftOut(*counted->run, name)) counted->bytes += SizeofResource(module, resource);
      return TRUE;
    }
  } count = {&run, 0};
  EnumResourceNamesW(module, MAKEINTRESOURCEW(kPayloadResourceType), Count::Add, reinterpret_cast<LONG_PTR>(&count));
  return count.bytes;
}

BOOL CALLBACK InstallResource(HMODULE module, LPCWSTR, LPWSTR name, LONG_PTR runState) {
  PayloadRun* run = reinterpret_cast<PayloadRun*>(runState);
  if (!GoOn(run, 0)) return FALSE;
  if (IS_INTRESOURCE(name)) {
    // Only named resources carry a file name; a numbered one cannot be installed.
    wchar_t subject[16];
    wsprintfW(subject, L"#%u", static_cast<unsigned>(reinterpret_cast<UINT_PTR>(name)));
    run->failures.Record(kResourceUnnamed, subject, ERROR_RESOURCE_NAME_NOT_FOUND);
    return TRUE;
  }
  HRSRC resource = FindResourceW(module, name, MAKEINTRESOURCEW(kPayloadResourceType));
  if (!resource) {
    run->failures.Record(kResourceNotFound, name, LastErrorOr(ERROR_RESOURCE_NAME_NOT_FOUND));
    return FALSE;
  }
  DWORD size = SizeofResource(module, resource);
  if (size == 0) {
    run->failures.Record(kResourceEmpty, name, LastErrorOr(ERROR_INVALID_DATA));
    return FALSE;
  }
  HGLOBAL loaded = LoadResource(module, resource);
  const BYTE* data = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
  if (!data) {
    run->failures.Record(kResourceNotLoaded, name, LastErrorOr(ERROR_RESOURCE_DATA_NOT_FOUND));
    return FALSE;
  }

  const PresetKind* kind = nullptr;
  ShortPath installName;
  switch (TargetOf(run, name, &installName, &kind)) {
    case kItemPreset:
      WritePresetBlock(run, *kind, data, size, name);
      break;
    case kItemFile: {
      // A slice at a time, so that the run can be watched and stopped in the middle of a large file.
      const DWORD kSlice = 1u << 20;
      NewFile file;
      SystemError error = file.Begin(run->folder, run->files.recorder, run->progress != nullptr);
      HashAlongside hash(data, size);
      for (DWORD at = 0; !error && at < size; at += kSlice) {
        DWORD slice = size - at < kSlice ? size - at : kSlice;
        error = file.Write(data + at, slice);
        if (!error && !GoOn(run, slice)) error = ERROR_CANCELLED;
      }
      if (error == ERROR_CANCELLED) {
        file.Abandon();  // nothing more is written: the run stops and takes back what it wrote
        return FALSE;
      }
      FinishFile(run, &file, installName, error, size, error ? 0 : hash.Finish());
      break;
    }
    default:  // left out, or refused and recorded
      break;
  }
  return TRUE;
}
