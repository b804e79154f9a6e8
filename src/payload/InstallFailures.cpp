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

const char* FailureHeadline(InstallFailureKind kind) {
  switch (kind) {
    case kFileNotWritten:
      return "This file could not be written:\n";
    case kRegistryNotWritten:
      return "This registry value could not be written:\n";
    case kNameTooLong:
      return "The file name would be too long in this folder:\n";
    case kNameNotPlain:
      return "The setup program names a file that cannot be installed:\n";
    case kPresetTooShort:
      return "These presets in the setup program are damaged:\n";
    case kFolderNotMade:
      return "This folder could not be opened or made:\n";
    case kUninstallNotRecorded:
      return "The setup could not record how to remove the plug-ins again:\n";
    case kRecordUnreadable:
      return "Nothing was installed: the record of earlier installations cannot be read:\n";
    case kAnotherRunActive:
      return "Nothing was installed: another copy of the setup is installing or removing the plug-ins.\n";
    case kOldPlugInStranded:
      return "The old plug-in could not be put back under its name; it is now:\n";
    case kNotTakenBack:
      return "This could not be removed or restored again:\n";
    default:
      return "This part of the setup program could not be read:\n";
  }
}
