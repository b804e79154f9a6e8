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
      ContentHasher hasher;
      SystemError error = file.Begin(run->folder, run->files.recorder);
      for (DWORD at = 0; !error && at < size; at += kSlice) {
        DWORD slice = size - at < kSlice ? size - at : kSlice;
        error = file.Write(data + at, slice);
        hasher.Add(data + at, slice);
        if (!error && !GoOn(run, slice)) error = ERROR_CANCELLED;
      }
      if (error == ERROR_CANCELLED) {
        file.Abandon();  // nothing more is written: the run stops and takes back what it wrote
        return FALSE;
      }
      FinishFile(run, &file, installName, error, size, hasher.Finish());
      break;
    }
    default:  // left out, or refused and recorded
      break;
  }
  return TRUE;
}
