#include "payload/PayloadWriter.h"

#include <string.h>

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

DWORD WriteFileReplacing(const char* folder, const char* fileName, const void* data, DWORD size) {
  // An image editor may hold the old plug-in open, or it may be read-only: refuse rather than
  // replace what the user protected. MoveFileEx would overwrite a read-only file on some systems.
  DWORD attributes = GetFileAttributesA(fileName);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
    return ERROR_ACCESS_DENIED;
  }

  // The temporary file sits beside the target, so that the final move is a rename on one volume.
  // Made with CREATE_NEW under a name of our own: one open instead of GetTempFileName's two.
  char tempName[kFileNameCapacity];
  size_t folderLength = strnlen(folder, kFileNameCapacity);
  if (folderLength + 24 >= sizeof tempName) return ERROR_FILENAME_EXCED_RANGE;
  static LONG attempt;
  HANDLE file = INVALID_HANDLE_VALUE;
  for (int tries = 0; tries < 100 && file == INVALID_HANDLE_VALUE; ++tries) {
    wsprintfA(tempName, "%s~vms%lx%lx.tmp", folder, GetCurrentProcessId(),
              static_cast<unsigned long>(InterlockedIncrement(&attempt)));
    file = CreateFileA(tempName, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) break;
  }
  if (file == INVALID_HANDLE_VALUE) return LastErrorOr(ERROR_CANNOT_MAKE);
  DWORD error = 0;
  if (!WriteAll(file, static_cast<const BYTE*>(data), size)) error = LastErrorOr(ERROR_WRITE_FAULT);
  // On the disk before the rename: after a power loss the plug-in's name holds the old file or the
  // whole new one, never an empty or partly written one.
  if (!error && !FlushFileBuffers(file)) error = LastErrorOr(ERROR_WRITE_FAULT);
  if (!CloseHandle(file) && !error) error = LastErrorOr(ERROR_WRITE_FAULT);
  if (!error && !MoveFileExA(tempName, fileName, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    error = LastErrorOr(ERROR_WRITE_FAULT);
  }
  if (error) DeleteFileA(tempName);
  return error;
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

  char installName[kFileNameCapacity];
  size_t nameLength = strnlen(name, kFileNameCapacity);
  if (nameLength >= kFileNameCapacity) {
    RecordInstallFailure(kNameTooLong, name, ERROR_FILENAME_EXCED_RANGE);
    return TRUE;
  }
  memcpy(installName, name, nameLength + 1);
  MakeInstallName(installName);

  if (IsSkipped(installName)) return TRUE;
  if (const PresetKind* kind = FindPresetKind(installName)) {
    WritePresetBlock(*kind, data, size, name);
    return TRUE;
  }

  char fileName[kFileNameCapacity];
  size_t folderLength = strnlen(folder, kPathCapacity);
  size_t installLength = strlen(installName);
  if (folderLength >= kPathCapacity || folderLength + installLength >= kFileNameCapacity) {
    RecordInstallFailure(kNameTooLong, name, ERROR_FILENAME_EXCED_RANGE);
    return TRUE;
  }
  memcpy(fileName, folder, folderLength);
  memcpy(fileName + folderLength, installName, installLength + 1);
  DWORD error = WriteFileReplacing(folder, fileName, data, size);
  if (error) {
    RecordInstallFailure(kFileNotWritten, fileName, error);
  } else {
    RecordWritten(false, fileName, size, HashBytes(kEmptyContentHash, data, size));
  }
  return TRUE;
}
