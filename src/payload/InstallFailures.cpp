#include "payload/InstallFailures.h"

namespace {
InstallFailure keptFailures[kKeptFailures];
int failureCount;
}  // namespace

void RecordInstallFailure(InstallFailureKind kind, const char* subject, DWORD error) {
  if (failureCount < kKeptFailures) {
    InstallFailure& failure = keptFailures[failureCount];
    failure.kind = kind;
    failure.error = error;
    // A message subject, never used as a path again: cutting a long one is harmless.
    lstrcpynA(failure.subject, subject ? subject : "", kFailureSubjectCapacity);
  }
  if (failureCount < 0x7FFFFFFF) ++failureCount;
}

int InstallFailureCount() { return failureCount; }

const InstallFailure* GetInstallFailure(int index) {
  if (index < 0 || index >= failureCount || index >= kKeptFailures) return nullptr;
  return &keptFailures[index];
}

void ClearInstallFailures() { failureCount = 0; }
