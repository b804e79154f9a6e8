#include "payload/InstallFailures.h"

bool IsLeftChanged(InstallFailureKind kind) { return kind == kOldPlugInStranded || kind == kNotTakenBack; }

void InstallFailures::Record(InstallFailureKind kind, const wchar_t* subject, DWORD error, const wchar_t* holder) {
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

TextId FailureHeadline(InstallFailureKind kind) {
  switch (kind) {
    case kFileNotWritten:
      return kTextFileNotWritten;
    case kRegistryNotWritten:
      return kTextRegistryNotWritten;
    case kNameTooLong:
      return kTextNameTooLong;
    case kNameNotPlain:
      return kTextNameNotPlain;
    case kPresetTooShort:
      return kTextPresetTooShort;
    case kFolderNotMade:
      return kTextFolderNotMade;
    case kUninstallNotRecorded:
      return kTextUninstallNotRecorded;
    case kRecordUnreadable:
      return kTextRecordUnreadable;
    case kAnotherRunActive:
      return kTextAnotherRunActive;
    case kOldPlugInStranded:
      return kTextOldPlugInStranded;
    case kNotTakenBack:
      return kTextNotTakenBack;
    case kStopped:
      return kTextCancelled;
    default:
      return kTextResourceDamaged;
  }
}
