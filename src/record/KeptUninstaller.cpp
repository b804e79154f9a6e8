#include "record/KeptUninstaller.h"

#include <string.h>

#include "base/Product.h"

bool KeptUninstallerPath(char* path) {
  DWORD length = ExpandEnvironmentStringsA("%ProgramFiles%\\" PRODUCT_NAME "\\Uninstall.exe", path, MAX_PATH);
  return length > 0 && length <= MAX_PATH;
}

bool KeepUninstaller() {
  char keptPath[MAX_PATH], own[MAX_PATH], keptFolder[MAX_PATH];
  DWORD ownLength = GetModuleFileNameA(nullptr, own, MAX_PATH);
  if (!KeptUninstallerPath(keptPath) || ownLength == 0 || ownLength >= MAX_PATH) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return false;
  }
  if (lstrcmpiA(own, keptPath) == 0) return true;
  lstrcpyA(keptFolder, keptPath);
  *strrchr(keptFolder, '\\') = '\0';
  CreateDirectoryA(keptFolder, nullptr);
  return CopyFileA(own, keptPath, FALSE) != FALSE;
}

void RemoveKeptCopy() {
  char keptPath[MAX_PATH], own[MAX_PATH];
  DWORD ownLength = GetModuleFileNameA(nullptr, own, MAX_PATH);
  if (!KeptUninstallerPath(keptPath) || ownLength == 0 || ownLength >= MAX_PATH) return;
  if (lstrcmpiA(own, keptPath) != 0) {
    RemoveKeptUninstaller(0);
    return;
  }
  // A running program cannot delete itself: a copy in the temporary folder does once this one has
  // ended, and the system removes that copy at the next start.
  char tempFolder[MAX_PATH], helper[MAX_PATH], command[MAX_PATH + 40];
  DWORD tempLength = GetTempPathA(MAX_PATH, tempFolder);
  if (tempLength == 0 || tempLength >= MAX_PATH - 14 || !GetTempFileNameA(tempFolder, "vms", 0, helper) ||
      !CopyFileA(own, helper, FALSE)) {
    return;
  }
  wsprintfA(command, "\"%s\" /CLEANUP=%lu", helper, GetCurrentProcessId());
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process;
  if (CreateProcessA(helper, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  MoveFileExA(helper, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

void RemoveKeptUninstaller(DWORD processId) {
  if (HANDLE process = processId ? OpenProcess(SYNCHRONIZE, FALSE, processId) : nullptr) {
    WaitForSingleObject(process, 60000);
    CloseHandle(process);
  }
  char keptPath[MAX_PATH];
  if (!KeptUninstallerPath(keptPath)) return;
  for (int attempt = 0; attempt < 50 && !DeleteFileA(keptPath) && GetLastError() != ERROR_FILE_NOT_FOUND; ++attempt) {
    Sleep(100);  // the system may still hold the ended program's file for a moment
  }
  *strrchr(keptPath, '\\') = '\0';
  RemoveDirectoryA(keptPath);
}
