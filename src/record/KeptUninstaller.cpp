#include "record/KeptUninstaller.h"

#include <string.h>

#include "base/InstallLog.h"
#include "base/PathText.h"
#include "base/Product.h"
#include "base/SystemFolder.h"

namespace {
bool OwnPath(char* path) {
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  return length > 0 && length < MAX_PATH;
}

// Deleted at the next start; an error only goes into the log.
void DeleteAtNextStart(const char* path) {
  if (MoveFileExA(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) {
    LogLine("Goes at the next start: %s", path);
  } else {
    LogFailure("Could not arrange to remove at the next start", path, GetLastError());
  }
}
}  // namespace

bool KeptUninstallerPath(char* path) {
  char programFiles[MAX_PATH];
  return ProgramFilesFolder(programFiles) && JoinPath(path, MAX_PATH, PRODUCT_NAME "\\Uninstall.exe", programFiles);
}

bool KeepUninstaller() {
  char keptPath[MAX_PATH], own[MAX_PATH];
  if (!KeptUninstallerPath(keptPath) || !OwnPath(own)) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return false;
  }
  if (lstrcmpiA(own, keptPath) == 0) return true;
  // Made without a security descriptor of its own, the folder takes Program Files' permissions.
  *strrchr(keptPath, '\\') = '\0';
  if (!CreateDirectoryA(keptPath, nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
  keptPath[strlen(keptPath)] = '\\';
  return CopyFileA(own, keptPath, FALSE) != FALSE;
}

void RemoveKeptCopy() {
  char keptPath[MAX_PATH], own[MAX_PATH], folder[MAX_PATH], aside[MAX_PATH];
  if (!KeptUninstallerPath(keptPath) || !OwnPath(own)) return;
  lstrcpyA(folder, keptPath);
  *strrchr(folder, '\\') = '\0';
  if (lstrcmpiA(own, keptPath) != 0) {
    if (DeleteFileA(keptPath) || GetLastError() == ERROR_FILE_NOT_FOUND) RemoveDirectoryA(folder);
    return;
  }
  // A running program's file can be renamed, not deleted. Moved aside, it leaves its name free for
  // an installation before the next start, whose uninstaller the deletion then does not touch.
  if (strlen(folder) + sizeof "\\~Uninstall12345678.tmp" > sizeof aside) return;
  wsprintfA(aside, "%s\\~Uninstall%08lx.tmp", folder, GetCurrentProcessId());
  if (!MoveFileExA(own, aside, 0)) {
    LogFailure("Could not remove", own, GetLastError());
    return;
  }
  DeleteAtNextStart(aside);
  DeleteAtNextStart(folder);  // the system leaves a folder that is not empty by then
}
