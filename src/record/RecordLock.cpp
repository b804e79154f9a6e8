#include "record/RecordLock.h"

#include <windows.h>

#include "base/Product.h"

namespace {
HANDLE recordLock;
const DWORD kLockWait = 5000;  // milliseconds: long enough for another install to finish
}  // namespace

bool LockRecord() {
  if (!recordLock) recordLock = CreateMutexA(nullptr, FALSE, "Global\\" PRODUCT_NAME " record");
  if (!recordLock) return false;
  // An abandoned lock: the run that held it ended without letting go; the record is whole, as
  // each list is written in one call.
  DWORD waited = WaitForSingleObject(recordLock, kLockWait);
  return waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
}

void UnlockRecord() {
  if (recordLock) ReleaseMutex(recordLock);
}
