#pragma once
// What went wrong in a run, kept for the dialog and the log to tell. Small and plain: what failed,
// on what, and the system's error code. How a run ends, install or uninstall, is one of these kinds,
// and one table gives each its exit code and its headline.
#include <windows.h>

#include "base/ExitCode.h"
#include "base/FileReplacement.h"
#include "base/TextId.h"

enum FailureKind {
  kNothingFailed,      // installed, or removed
  kNothingToRemove,    // an uninstall found no installation: nothing failed either
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
  kOldPlugInStranded,  // the old plug-in could not get its name back: where it is now
  kNotTakenBack,       // what the failed run wrote that could not be removed or restored again
  kStopped,            // the user stopped the run: everything it wrote is taken back
  kOutOfMemory,        // whatever the step: nothing was installed, or the record stays for another try
  kNotRemoved,         // an uninstall left a file or value it could not remove; the record keeps it
  kRemovalDriveMissing,  // ... because its drive or share is not there now
  kChangedKept,        // an uninstall kept files changed since they were installed
  kFailureKinds
};

enum class RunKind { kInstall, kUninstall };

// The exit code a run that ends in this kind reports.
ExitCode ExitCodeOf(FailureKind kind);
// How the log's outcome line tells an install that ends in this kind, in English.
const char* InstallOutcome(FailureKind kind);

enum {
  kFailureSubjectCapacity = 500,
  kKeptFailures = 8,  // the first ones, and what was left changed; later failures are only counted
  kHolderCapacity = 128,
};

struct InstallFailure {
  FailureKind kind;
  SystemError error;
  wchar_t subject[kFailureSubjectCapacity];  // file, resource or registry value concerned
  wchar_t holder[kHolderCapacity];           // the program that holds the file, when the system says
};

// The failures of a run. What a failed run left changed is always kept, however many failures
// came first: the user must learn where an old plug-in now is.
class InstallFailures final : public TakeBackReport {
 public:
  // Keeps the failure and logs it at once. holder: the program that holds the file, or null. A
  // subject is only shown: a long one is cut.
  void Record(FailureKind kind, const wchar_t* subject, SystemError error, const wchar_t* holder = nullptr);
  int count() const { return count_; }      // all recorded, kept or not
  const InstallFailure* Get(int index) const;  // null past the kept ones
  void Clear() { count_ = 0; }
  // Whether the run left something changed that it could not take back.
  bool LeftChanges() const;
  void NotTakenBack(const wchar_t* fullName, bool oldStranded, SystemError error) override {
    Record(oldStranded ? kOldPlugInStranded : kNotTakenBack, fullName, error);
  }

 private:
  InstallFailure kept_[kKeptFailures];
  int count_ = 0;
};

bool IsLeftChanged(FailureKind kind);

// What failed, as the message and the log begin to tell it: a sentence, most ending in a colon, to be
// followed on the next line by the subject. kTextCount for a kind that run never ends in.
TextId FailureHeadline(FailureKind kind, RunKind run = RunKind::kInstall);

// The kind a run with these failures ends in: another run was active, it left something it could
// not take back, the user stopped it, it ran out of memory (whichever step), or it wrote nothing.
FailureKind GravestFailure(const InstallFailures& failures);
