#include "payload/InstallFailures.h"

void InstallFailures::Record(InstallFailureKind kind, const wchar_t* subject, DWORD error, const wchar_t* holder) {
  if (count_ < kKeptFailures) {
    InstallFailure& failure = kept_[count_];
    failure.kind = kind;
    failure.error = error;
    lstrcpynW(failure.subject, subject ? subject : L"", kFailureSubjectCapacity);
    lstrcpynW(failure.holder, holder ? holder : L"", kHolderCapacity);
  }
  if (count_ < 0x7FFFFFFF) ++count_;
}

const InstallFailure* InstallFailures::Get(int index) const {
  if (index < 0 || index >= count_ || index >= kKeptFailures) return nullptr;
  return &kept_[index];
}

const wchar_t* FailureHeadline(InstallFailureKind kind) {
  switch (kind) {
    case kFileNotWritten:
      return L"This file could not be written:\n";
    case kRegistryNotWritten:
      return L"This registry value could not be written:\n";
    case kNameTooLong:
      return L"The file name would be too long in this folder:\n";
    case kNameNotPlain:
      return L"The setup program names a file that cannot be installed:\n";
    case kPresetTooShort:
      return L"These presets in the setup program are damaged:\n";
    case kFolderNotMade:
      return L"This folder could not be opened or made:\n";
    case kUninstallNotRecorded:
      return L"The setup could not record how to remove the plug-ins again:\n";
    case kRecordUnreadable:
      return L"Nothing was installed: the record of earlier installations cannot be read:\n";
    case kAnotherRunActive:
      return L"Nothing was installed: another copy of the setup is installing or removing the plug-ins.\n";
    case kOldPlugInStranded:
      return L"The old plug-in could not be put back under its name; it is now:\n";
    default:
      return L"This part of the setup program could not be read:\n";
  }
}
