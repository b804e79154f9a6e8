#include "install/InstallRun.h"

#include "base/ExitCode.h"
#include "base/InstallLog.h"
#include "base/Product.h"
#include "discovery/FolderTable.h"
#include "discovery/HostProbes.h"
#include "payload/InstallFailures.h"
#include "payload/PackedPayload.h"
#include "payload/PayloadWriter.h"
#include "payload/WrittenItems.h"
#include "record/InstallRecord.h"
#include "record/RecordLock.h"

char targetFolder[kPathCapacity];

// Writes every resource not skipped into targetFolder; logs and records what it wrote.
void InstallIntoTarget(HMODULE module) {
  ClearInstallFailures();
  ClearWritten();
  LogLine("Folder: %s", targetFolder);
  // The record is read before anything is written: what a damaged record would lose track of is
  // never installed.
  bool locked = LockRecord();
  LONG recordStatus = locked ? CheckInstallRecord() : ERROR_SUCCESS;
  if (!locked) {
    RecordInstallFailure(kAnotherRunActive, "", ERROR_BUSY);
  } else if (recordStatus != ERROR_SUCCESS) {
    RecordInstallFailure(kRecordUnreadable, "HKEY_LOCAL_MACHINE\\" UNINSTALL_ENTRY_KEY, static_cast<DWORD>(recordStatus));
  } else if (!EnterOrMakeFolder(targetFolder)) {
    RecordInstallFailure(kFolderNotMade, targetFolder, GetLastError());
  } else {
    bool stored = EnumResourceNamesA(module, MAKEINTRESOURCEA(kPayloadResourceType), InstallResource,
                                     reinterpret_cast<LONG_PTR>(targetFolder)) != FALSE;
    DWORD error = GetLastError();
    bool packed = InstallPackedPayload(module, targetFolder);
    // Nothing was installed and nothing stopped the enumeration: the setup carries no payload.
    if (!stored && !packed && InstallFailureCount() == 0) {
      RecordInstallFailure(kResourceNotFound, "the plug-in files", error);
    }
  }
  for (int i = 0; const WrittenItem* item = GetWritten(i); ++i) {
    LogLine("Wrote %s: %s", item->isValue ? "registry value" : "file", item->subject);
  }
  const TextList& aside = MovedAside();
  for (size_t at = 0; at < aside.used; at = NextText(aside, at)) {
    LogMovedAside(aside.text + at);
  }
  if (WrittenCount() > 0 && !RecordInstallation(targetFolder)) {
    RecordInstallFailure(kUninstallNotRecorded, "the entry in the list of installed programs", GetLastError());
  }
  if (locked) UnlockRecord();
  for (int i = 0; const InstallFailure* failure = GetInstallFailure(i); ++i) {
    LogFailure(FailureHeadline(failure->kind), failure->subject, failure->error);
    if (failure->holder[0]) LogLine("Held by %s: close it and try again.", failure->holder);
  }
}

int RunSilentInstall(HMODULE module, const char* folder) {
  if (folder[0]) {
    lstrcpynA(targetFolder, folder, kPathCapacity);
  } else {
    RunDiscovery();
    // What the dialog would preselect: the first candidate, with the maker folder where it belongs.
    lstrcpyA(targetFolder, FolderTable[0].path);
    if (FolderTable[0].addMakerSubfolder && !JoinPath(targetFolder, kPathCapacity, MAKER_FOLDER)) targetFolder[0] = '\0';
  }
  if (!targetFolder[0] || !EnsureTrailingBackslash(targetFolder, kPathCapacity)) {
    LogLine("Outcome: no plug-in folder was found; name one with /D=.");
    return kExitNowhereToInstall;
  }
  InstallIntoTarget(module);
  const InstallFailure* failure = GetInstallFailure(0);
  if (failure && failure->kind == kAnotherRunActive) {
    LogLine("Outcome: another copy of the setup is running");
    return kExitAlreadyRunning;
  }
  LogLine("Outcome: %s", failure ? "not installed completely" : "installed");
  return failure ? kExitNotWritten : kExitSuccess;
}
