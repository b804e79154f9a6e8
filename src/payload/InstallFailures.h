#pragma once
// What went wrong in a run, kept for the dialog and the log to tell. Small and plain: what failed,
// on what, and the system's error code.
#include <windows.h>

enum InstallFailureKind {
  kResourceNotFound,
  kResourceEmpty,
  kResourceNotLoaded,
  kResourceUnnamed,
  kNameTooLong,
  kNameNotPlain,  // a name that would reach outside the folder, or a device
  kFileNotWritten,
  kRegistryNotWritten,
  kPresetTooShort,
  kFolderNotMade,
  kUninstallNotRecorded,
  kRecordUnreadable,   // the record of earlier installations: nothing is written over it
  kAnotherRunActive,   // another install or uninstall on this machine: nothing is written
  kOldPlugInStranded,  // neither the new plug-in nor the old one has its name: where the old one is
};

enum {
  kFailureSubjectCapacity = 500,
  kKeptFailures = 8,  // the first ones; later failures are only counted
  kHolderCapacity = 128,
};

struct InstallFailure {
  InstallFailureKind kind;
  DWORD error;
  wchar_t subject[kFailureSubjectCapacity];  // file, resource or registry value concerned
  wchar_t holder[kHolderCapacity];           // the program that holds the file, when the system says
};

class InstallFailures {
 public:
  // holder: the program that holds the file, or null. A subject is only shown: a long one is cut.
  void Record(InstallFailureKind kind, const wchar_t* subject, DWORD error, const wchar_t* holder = nullptr);
  int count() const { return count_; }      // all recorded, kept or not
  const InstallFailure* Get(int index) const;  // null past the kept ones
  void Clear() { count_ = 0; }

 private:
  InstallFailure kept_[kKeptFailures];
  int count_ = 0;
};

// What failed, as the message and the log begin to tell it: a sentence ending in a colon and a
// line break, to be followed by the subject.
const char* FailureHeadline(InstallFailureKind kind);
