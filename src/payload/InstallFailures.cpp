#include "payload/InstallFailures.h"

#include "base/InstallLog.h"
#include "base/Messages.h"
#include "base/Texts.h"

bool IsLeftChanged(FailureKind kind) { return kind == kOldPlugInStranded || kind == kNotTakenBack; }

void InstallFailures::Record(FailureKind kind, const wchar_t* subject, SystemError error, const wchar_t* holder) {
  int slot = count_ < kKeptFailures ? count_ : -1;
  // Over the newest kept failure that left nothing changed, never the first: it says why the run failed.
  for (int i = kKeptFailures - 1; slot < 0 && i >= 1 && IsLeftChanged(kind); --i) {
    if (!IsLeftChanged(kept_[i].kind)) slot = i;
  }
  if (slot >= 0) {
    InstallFailure& failure = kept_[slot];
    failure.kind = kind;
    failure.error = error;
    lstrcpynW(failure.subject, subject ? subject : L"", kFailureSubjectCapacity);
    lstrcpynW(failure.holder, holder ? holder : L"", kHolderCapacity);
  }
  if (count_ < 0x7FFFFFFF) ++count_;
  // Logged where it happens, every one, kept or only counted.
  wchar_t reason[512];
  DescribeError(error, reason, 512, kLogWords);
  LogLine("Failed: %s %s: %s", EnglishText(FailureHeadline(kind)), subject ? subject : L"", reason);
  if (holder && holder[0]) LogLine("Held by %s: close it and try again.", holder);
}

bool InstallFailures::LeftChanges() const {
  for (int i = 0; const InstallFailure* failure = Get(i); ++i) {
    if (IsLeftChanged(failure->kind)) return true;
  }
  return false;
}

const InstallFailure* InstallFailures::Get(int index) const {
  if (index < 0 || index >= count_ || index >= kKeptFailures) return nullptr;
  return &kept_[index];
}

namespace {
const char kPartlyTakenBack[] = "not installed, and not everything it wrote could be taken back";

// Gravest first: a run with several failures ends in the first of them in this order.
const struct {
  FailureKind kind;
  ExitCode code;
  TextId installing, removing;  // kTextCount: that run never ends so
  const char* installLog;       // the log's outcome of an install that ends so; null: nothing was installed
} kOutcomes[] = {
    {kAnotherRunActive, ExitCode::kAlreadyRunning, kTextAnotherRunActive, kTextUninstallBusy,
     "another copy of the setup is running"},
    {kOldPlugInStranded, ExitCode::kNotTakenBack, kTextOldPlugInStranded, kTextCount, kPartlyTakenBack},
    {kNotTakenBack, ExitCode::kNotTakenBack, kTextNotTakenBack, kTextCount, kPartlyTakenBack},
    {kStopped, ExitCode::kCancelled, kTextCancelled, kTextCount, "stopped by the user; nothing was installed"},
    {kOutOfMemory, ExitCode::kOutOfMemory, kTextOutOfMemory, kTextOutOfMemoryRemoving,
     "out of memory; nothing was installed"},
    {kRecordUnreadable, ExitCode::kNotWritten, kTextRecordUnreadable, kTextRecordUnreadableRemoving, nullptr},
    {kRemovalDriveMissing, ExitCode::kNotWritten, kTextCount, kTextUninstallDriveMissing, nullptr},
    {kNotRemoved, ExitCode::kNotWritten, kTextCount, kTextUninstallHeld, nullptr},
    {kChangedKept, ExitCode::kChangedFilesKept, kTextCount, kTextUninstallChangedKept, nullptr},
    {kFileNotWritten, ExitCode::kNotWritten, kTextFileNotWritten, kTextCount, nullptr},
    {kRegistryNotWritten, ExitCode::kNotWritten, kTextRegistryNotWritten, kTextCount, nullptr},
    {kFolderNotMade, ExitCode::kNotWritten, kTextFolderNotMade, kTextCount, nullptr},
    {kUninstallNotRecorded, ExitCode::kNotWritten, kTextUninstallNotRecorded, kTextCount, nullptr},
    {kNameTooLong, ExitCode::kNotWritten, kTextNameTooLong, kTextCount, nullptr},
    {kNameNotPlain, ExitCode::kNotWritten, kTextNameNotPlain, kTextCount, nullptr},
    {kPresetTooShort, ExitCode::kNotWritten, kTextPresetTooShort, kTextCount, nullptr},
    {kResourceNotFound, ExitCode::kNotWritten, kTextResourceDamaged, kTextCount, nullptr},
    {kResourceEmpty, ExitCode::kNotWritten, kTextResourceDamaged, kTextCount, nullptr},
    {kResourceNotLoaded, ExitCode::kNotWritten, kTextResourceDamaged, kTextCount, nullptr},
    {kResourceUnnamed, ExitCode::kNotWritten, kTextResourceDamaged, kTextCount, nullptr},
    {kNothingToRemove, ExitCode::kSuccess, kTextCount, kTextNotInstalled, nullptr},
    {kNothingFailed, ExitCode::kSuccess, kTextCount, kTextRemoved, "installed"},
};

int RowOf(FailureKind kind) {
  for (int row = 0; row < static_cast<int>(sizeof kOutcomes / sizeof kOutcomes[0]); ++row) {
    if (kOutcomes[row].kind == kind) return row;
  }
  return -1;
}

bool OutOfMemory(SystemError error) { return error == ERROR_NOT_ENOUGH_MEMORY || error == ERROR_OUTOFMEMORY; }
}  // namespace

ExitCode ExitCodeOf(FailureKind kind) {
  int row = RowOf(kind);
  return row < 0 ? ExitCode::kNotWritten : kOutcomes[row].code;
}

const char* InstallOutcome(FailureKind kind) {
  int row = RowOf(kind);
  return row >= 0 && kOutcomes[row].installLog ? kOutcomes[row].installLog : "nothing was installed";
}

TextId FailureHeadline(FailureKind kind, RunKind run) {
  int row = RowOf(kind);
  if (row < 0) return kTextCount;
  return run == RunKind::kInstall ? kOutcomes[row].installing : kOutcomes[row].removing;
}

FailureKind GravestFailure(const InstallFailures& failures) {
  FailureKind gravest = kNothingFailed;
  int gravestRow = RowOf(kNothingFailed);
  for (int i = 0; const InstallFailure* failure = failures.Get(i); ++i) {
    // Out of memory is told as such whatever step ran out; what the run left changed is told first.
    FailureKind kind = OutOfMemory(failure->error) && !IsLeftChanged(failure->kind) ? kOutOfMemory : failure->kind;
    int row = RowOf(kind);
    if (row < 0) row = RowOf(kind = kFileNotWritten);  // a kind the table lacks still fails the run
    if (row < gravestRow) {
      gravest = kind;
      gravestRow = row;
    }
  }
  return gravest;
}
