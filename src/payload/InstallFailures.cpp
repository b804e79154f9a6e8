#include "payload/InstallFailures.h"

namespace {
InstallFailure keptFailures[kKeptFailures];
int failureCount;
}  // namespace

void RecordInstallFailure(InstallFailureKind kind, const char* subject, DWORD error, const char* holder) {
  if (failureCount < kKeptFailures) {
    InstallFailure& failure = keptFailures[failureCount];
    failure.kind = kind;
    failure.error = error;
    // A message subject, never used as a path again: cutting a long one is harmless.
    lstrcpynA(failure.subject, subject ? subject : "", kFailureSubjectCapacity);
    lstrcpynA(failure.holder, holder ? holder : "", kHolderCapacity);
  }
  if (failureCount < 0x7FFFFFFF) ++failureCount;
}

int InstallFailureCount() { return failureCount; }

const InstallFailure* GetInstallFailure(int index) {
  if (index < 0 || index >= failureCount || index >= kKeptFailures) return nullptr;
  return &keptFailures[index];
}

void ClearInstallFailures() { failureCount = 0; }

const char* FailureHeadline(InstallFailureKind kind) {
  switch (kind) {
    case kFileNotWritten:
      return "This file could not be written:\n";
    case kRegistryNotWritten:
      return "This registry value could not be written:\n";
    case kNameTooLong:
      return "The file name would be too long in this folder:\n";
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
    default:
      return "This part of the setup program could not be read:\n";
  }
}
