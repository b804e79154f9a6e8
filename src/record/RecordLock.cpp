#include "record/RecordLock.h"

#include <wchar.h>

#include "base/MakerValues.h"

namespace {
const DWORD kLockWait = 5000;  // milliseconds: long enough for another install to finish
}  // namespace

bool RecordLock::Take() {
  if (!mutex_.get()) {
    wchar_t fallback[192];
    if (wcslen(Maker(kMakerProductName)) + 16 >= 192) return false;
    wsprintfW(fallback, L"Global\\%s record", Maker(kMakerProductName));
    if (!mutex_.Create(L"record", fallback, false)) return false;
  }
  // An abandoned lock: the run that held it ended without letting go. Its record reads as written
  // (each list is one value) or is refused as damaged; what it left unrecorded is its own loss.
  DWORD waited = WaitForSingleObject(mutex_.get(), kLockWait);
  held_.reset(waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED ? mutex_.get() : nullptr);
  return held_.valid();
}
