#include "record/KeptUninstaller.h"

#include "base/FileReplacement.h"
#include "base/InstallLog.h"
#include "base/Lzma.h"
#include "base/PathText.h"
#include "base/MakerValues.h"
#include "base/SystemFolder.h"
#include "base/Texts.h"

namespace {
const wchar_t kKeptName[] = L"Uninstall.exe";
// The setup without payload, a block beside the texts (src/format/SetupFormat.h).
const UINT kWithoutPayloadId = setup_format::kUninstallerBlock;
const DWORD kLargestWithoutPayload = 16u << 20;

bool KeptFolderPath(ShortPath* folder) {
  ShortPath programFiles;
  return SystemFolderPath(CSIDL_PROGRAM_FILES, &programFiles) && folder->Join(programFiles, Maker(kMakerProductName)) &&
         folder->EnsureTrailingBackslash();
}

bool SameFile(HANDLE a, HANDLE b) {
  BY_HANDLE_FILE_INFORMATION first, second;
  return GetFileInformationByHandle(a, &first) && GetFileInformationByHandle(b, &second) &&
         first.dwVolumeSerialNumber == second.dwVolumeSerialNumber && first.nFileIndexHigh == second.nFileIndexHigh &&
         first.nFileIndexLow == second.nFileIndexLow;
}

SystemError CopyWhole(HANDLE from, NewFile* to) {
  LARGE_INTEGER start = {};
  if (!SetFilePointerEx(from, start, nullptr, FILE_BEGIN)) return GetLastError();
  BYTE chunk[65536];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(from, chunk, sizeof chunk, &got, nullptr)) return GetLastError();
    if (got == 0) return 0;
    if (SystemError error = to->Write(chunk, got)) return error;
  }
}
}  // namespace

bool KeptUninstallerPath(ShortPath* path) {
  ShortPath folder;
  return KeptFolderPath(&folder) && path->Join(folder, kKeptName);
}

SystemError KeepUninstaller(TrustedFolder* keptFolder, Replacements* journal, HMODULE module, HANDLE ownFile,
                            FilePath* strandedAside) {
  strandedAside->Clear();
  ShortPath folder;
  if (!KeptFolderPath(&folder)) return ERROR_PATH_NOT_FOUND;
  // Made without a security descriptor of its own, the folder takes Program Files' permissions.
  SystemError error = keptFolder->Open(folder, kMakeFolder);
  NewFile copy;
  if (!error) error = copy.Begin(*keptFolder, journal->recorder);
  // The setup without its payload where the build put it in, else the whole setup.
  ScopedHeapBlock withoutPayload;
  DWORD size = 0;
  SystemError unpacked = error ? error : UnpackResource(module, kTextsResourceType, kWithoutPayloadId, kLargestWithoutPayload,
                                                         &withoutPayload, &size);
  if (!error) error = unpacked == 0 ? copy.Write(withoutPayload.get(), size)
                      : unpacked == ERROR_RESOURCE_DATA_NOT_FOUND ? CopyWhole(ownFile, &copy)
                                                                  : unpacked;
  if (!error) error = copy.PutInPlace(kKeptName, journal, strandedAside);
  return error;
}

SystemError RemoveKeptCopy(HANDLE ownFile) {
  ShortPath folder;
  if (!KeptFolderPath(&folder)) return ERROR_PATH_NOT_FOUND;
  TrustedFolder kept;
  SystemError error = kept.Open(folder, kReadFolder);
  if (kept.IsGone(error)) return 0;  // never kept, or gone already
  folder.Truncate(folder.length() - 1);  // the folder's own name, without the backslash
  ScopedHandle file;
  const ULONG kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  if (!error) error = kept.OpenFile(kKeptName, 0, kShareAll, FILE_OPEN, &file);
  if (error == ERROR_FILE_NOT_FOUND) error = 0;
  if (!error && file.valid() && SameFile(file.get(), ownFile)) {
    // A running program's file can be renamed, not deleted. Moved aside, it leaves its name free
    // for an installation before the next start, whose uninstaller the deletion then does not touch.
    file.reset();
    ShortPath aside;
    error = MoveAsideForNextStart(kept, ownFile, kKeptName, &aside);
    if (!error && !MoveFileExW(folder, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) {
      LogFailure("Could not arrange to remove at the next start", folder, GetLastError());
    }
    return error;
  }
  if (!error && file.valid()) {
    error = kept.OpenFile(kKeptName, DELETE, kShareAll, FILE_OPEN, &file);
    if (!error) error = DeleteOpenFile(file.get());
    file.reset();
  }
  if (error) return error;
  kept = TrustedFolder();  // its own handle would keep the folder
  TrustedFolder parent;
  const wchar_t* name;
  error = parent.OpenFolderOf(folder, kReadFolder, &name);
  if (!error) error = parent.RemoveSubfolder(name);
  return error == ERROR_DIR_NOT_EMPTY ? 0 : error;  // another program's files in it: it stays
}
