#pragma once
// What went wrong while the payload was written, kept for the dialog to show. Small and plain:
// what failed, on what, and the system's error code.
#include <windows.h>

enum InstallFailureKind {
  kResourceNotFound,
  kResourceEmpty,
  kResourceNotLoaded,
  kResourceUnnamed,
  kNameTooLong,
  kFileNotWritten,
  kRegistryNotWritten,
  kPresetTooShort,
  kFolderNotMade,
  kUninstallNotRecorded,
  kRecordUnreadable,  // the record of earlier installations: nothing is written over it
  kAnotherRunActive,  // another install or uninstall on this machine: nothing is written
};

enum {
  kFailureSubjectCapacity = 500,
  kKeptFailures = 8,  // the first ones; later failures are only counted
  kHolderCapacity = 128,
};

struct InstallFailure {
  InstallFailureKind kind;
  DWORD error;
  char subject[kFailureSubjectCapacity];  // file, resource or registry value concerned
  char holder[kHolderCapacity];           // the program that holds the file, when the system says
};

// holder: the program that holds the file, or null.
void RecordInstallFailure(InstallFailureKind kind, const char* subject, DWORD error, const char* holder = nullptr);
int InstallFailureCount();                       // all recorded, kept or not
const InstallFailure* GetInstallFailure(int index);  // null past the kept ones
void ClearInstallFailures();

// What failed, as the message and the log begin to tell it: a sentence ending in a colon and a
// line break, to be followed by the subject.
const char* FailureHeadline(InstallFailureKind kind);
