#include "payload/PayloadWriter.h"

#include <string.h>

#include "base/FileHolder.h"
#include "base/InstallLog.h"
#include "base/PathText.h"
#include "payload/InstallFailures.h"
#include "payload/InstallName.h"
#include "payload/PresetValues.h"
#include "payload/SkipList.h"
#include "payload/WrittenItems.h"

namespace {
DWORD LastErrorOr(DWORD fallback) {
  DWORD error = GetLastError();
  return error ? error : fallback;
}

bool WriteAll(HANDLE file, const BYTE* data, DWORD size) {
  const DWORD kChunk = 1u << 20;  // one huge write is slower than a few large ones under Wine
  while (size > 0) {
    DWORD written = 0;
    if (!WriteFile(file, data, size < kChunk ? size : kChunk, &written, nullptr) || written == 0) return false;
    data += written;
    size -= written;
  }
  return true;
}
}  // namespace

bool IsHeldError(DWORD error) {
  return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION || error == ERROR_USER_MAPPED_FILE;
}

bool IsAsideName(const char* name) {
  size_t length = strlen(name), suffix = sizeof kAsideSuffix - 1;
  return length > suffix && lstrcmpiA(name + length - suffix, kAsideSuffix) == 0;
}

bool MakeAsideName(const char* fileName, char* aside) {
  static LONG counter;
  size_t length = strnlen(fileName, kFileNameCapacity);
  if (length + sizeof kAsideSuffix + 17 > kFileNameCapacity) return false;
  wsprintfA(aside, "%s.%lx.%lx%s", fileName, GetCurrentProcessId(),
            static_cast<unsigned long>(InterlockedIncrement(&counter)), kAsideSuffix);
  return true;
}

DWORD MoveIntoPlace(const char* tempName, const char* fileName) {
  if (MoveFileExA(tempName, fileName, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return 0;
  DWORD error = LastErrorOr(ERROR_WRITE_FAULT);
  // An editor that has loaded the plug-in keeps it from being replaced or deleted, but not from
  // being renamed: the old one moves aside under a name no editor loads, and the new one takes its
  // place. The editor uses the new one from its next start.
  DWORD attributes = GetFileAttributesA(fileName);
  char aside[kFileNameCapacity];
  if (!IsHeldError(error) || attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) ||
      !MakeAsideName(fileName, aside) || !MoveFileExA(fileName, aside, 0)) {
    return error;
  }
  if (!MoveFileExA(tempName, fileName, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    error = LastErrorOr(ERROR_WRITE_FAULT);
    // Never a folder without a working plug-in; should even that fail, the log says where it is.
    if (!MoveFileExA(aside, fileName, 0)) LogFailure("Could not put back the old plug-in, now", aside, GetLastError());
    return error;
  }
  // Without the right to arrange that (not elevated), a later run removes it.
  MoveFileExA(aside, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  RecordMovedAside(aside);
  return 0;
}

DWORD BeginReplacing(const char* folder, const char* fileName, ReplacingFile* file) {
  file->handle = INVALID_HANDLE_VALUE;
  // An image editor may hold the old plug-in open, or it may be read-only: refuse rather than
  // replace what the user protected. MoveFileEx would overwrite a read-only file on some systems.
  DWORD attributes = GetFileAttributesA(fileName);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
    return ERROR_ACCESS_DENIED;
  }
  // The temporary file sits beside the target, so that the final move is a rename on one volume.
  // Made with CREATE_NEW under a name of our own: one open instead of GetTempFileName's two.
  size_t folderLength = strnlen(folder, kFileNameCapacity);
  if (folderLength + 24 >= sizeof file->tempName) return ERROR_FILENAME_EXCED_RANGE;
  static LONG attempt;
  for (int tries = 0; tries < 100 && file->handle == INVALID_HANDLE_VALUE; ++tries) {
    wsprintfA(file->tempName, "%s~vms%lx%lx.tmp", folder, GetCurrentProcessId(),
              static_cast<unsigned long>(InterlockedIncrement(&attempt)));
    file->handle = CreateFileA(file->tempName, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file->handle == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) break;
  }
  return file->handle == INVALID_HANDLE_VALUE ? LastErrorOr(ERROR_CANNOT_MAKE) : 0;
}

DWORD WriteReplacing(ReplacingFile* file, const void* data, DWORD size) {
  return WriteAll(file->handle, static_cast<const BYTE*>(data), size) ? 0 : LastErrorOr(ERROR_WRITE_FAULT);
}

DWORD FinishReplacing(ReplacingFile* file, const char* fileName) {
  // On the disk before the rename: after a power loss the plug-in's name holds the old file or the
  // whole new one, never an empty or partly written one.
  DWORD error = FlushFileBuffers(file->handle) ? 0 : LastErrorOr(ERROR_WRITE_FAULT);
  if (!CloseHandle(file->handle) && !error) error = LastErrorOr(ERROR_WRITE_FAULT);
  file->handle = INVALID_HANDLE_VALUE;
  if (!error) error = MoveIntoPlace(file->tempName, fileName);
  if (error) DeleteFileA(file->tempName);
  return error;
}

void AbandonReplacing(ReplacingFile* file) {
  if (file->handle == INVALID_HANDLE_VALUE) return;
  CloseHandle(file->handle);
  file->handle = INVALID_HANDLE_VALUE;
  DeleteFileA(file->tempName);
}

DWORD WriteFileReplacing(const char* folder, const char* fileName, const void* data, DWORD size) {
  ReplacingFile file;
  DWORD error = BeginReplacing(folder, fileName, &file);
  if (!error) error = WriteReplacing(&file, data, size);
  if (error) {
    AbandonReplacing(&file);
    return error;
  }
  return FinishReplacing(&file, fileName);
}

namespace {
// The installed name of a resource name, into kFileNameCapacity characters; false when too long.
bool InstallNameOf(const char* name, char* installName) {
  size_t nameLength = strnlen(name, kFileNameCapacity);
  if (nameLength >= kFileNameCapacity) return false;
  memcpy(installName, name, nameLength + 1);
  MakeInstallName(installName);
  return true;
}
}  // namespace

bool IsLeftOut(const char* name) {
  char installName[kFileNameCapacity];
  return InstallNameOf(name, installName) && IsSkipped(installName);
}

ItemTarget TargetOf(const char* name, const char* folder, char* fileName, const PresetKind** kind) {
  char installName[kFileNameCapacity];
  if (!InstallNameOf(name, installName)) {
    RecordInstallFailure(kNameTooLong, name, ERROR_FILENAME_EXCED_RANGE);
    return kItemRefused;
  }
  if (IsSkipped(installName)) return kItemSkipped;
  if ((*kind = FindPresetKind(installName))) return kItemPreset;
  size_t folderLength = strnlen(folder, kPathCapacity);
  size_t installLength = strlen(installName);
  if (folderLength >= kPathCapacity || folderLength + installLength >= kFileNameCapacity) {
    RecordInstallFailure(kNameTooLong, name, ERROR_FILENAME_EXCED_RANGE);
    return kItemRefused;
  }
  memcpy(fileName, folder, folderLength);
  memcpy(fileName + folderLength, installName, installLength + 1);
  return kItemFile;
}

void RecordFileOutcome(const char* fileName, DWORD error, DWORD size, ContentHash hash) {
  if (!error) {
    RecordWritten(false, fileName, size, hash);
    return;
  }
  char holder[kHolderCapacity] = "";
  if (IsHeldError(error)) NameProgramHolding(fileName, holder, sizeof holder);
  RecordInstallFailure(kFileNotWritten, fileName, error, holder);
}

BOOL CALLBACK InstallResource(HMODULE module, LPCSTR, LPSTR name, LONG_PTR folderText) {
  const char* folder = reinterpret_cast<const char*>(folderText);
  if (IS_INTRESOURCE(name)) {
    // Only named resources carry a file name; a numbered one cannot be installed.
    char subject[16];
    wsprintfA(subject, "#%u", static_cast<unsigned>(reinterpret_cast<UINT_PTR>(name)));
    RecordInstallFailure(kResourceUnnamed, subject, ERROR_RESOURCE_NAME_NOT_FOUND);
    return TRUE;
  }
  HRSRC resource = FindResourceA(module, name, MAKEINTRESOURCEA(kPayloadResourceType));
  if (!resource) {
    RecordInstallFailure(kResourceNotFound, name, LastErrorOr(ERROR_RESOURCE_NAME_NOT_FOUND));
    return FALSE;
  }
  DWORD size = SizeofResource(module, resource);
  if (size == 0) {
    RecordInstallFailure(kResourceEmpty, name, LastErrorOr(ERROR_INVALID_DATA));
    return FALSE;
  }
  HGLOBAL loaded = LoadResource(module, resource);
  const BYTE* data = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
  if (!data) {
    RecordInstallFailure(kResourceNotLoaded, name, LastErrorOr(ERROR_RESOURCE_DATA_NOT_FOUND));
    return FALSE;
  }

  const PresetKind* kind = nullptr;
  char fileName[kFileNameCapacity];
  switch (TargetOf(name, folder, fileName, &kind)) {
    case kItemPreset:
      WritePresetBlock(*kind, data, size, name);
      break;
    case kItemFile:
      RecordFileOutcome(fileName, WriteFileReplacing(folder, fileName, data, size), size,
                        HashBytes(kEmptyContentHash, data, size));
      break;
    default:  // left out, or refused and recorded
      break;
  }
  return TRUE;
}
