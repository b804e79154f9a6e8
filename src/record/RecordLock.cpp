#include "record/RecordLock.h"

#include "base/Product.h"

namespace {
const DWORD kLockWait = 5000;  // milliseconds: long enough for another install to finish
#define LOCK_NAMESPACE MAKER_NAME "Setup"
const wchar_t kNamespace[] = L"" LOCK_NAMESPACE;

// Opens, or makes, the namespace only administrators may make. False when the system has none.
bool EnterPrivateNamespace(ScopedNamespace* space) {
  BYTE administrators[SECURITY_MAX_SID_SIZE];
  DWORD size = sizeof administrators;
  *space->receiveBoundary() = CreateBoundaryDescriptorW(kNamespace, 0);
  if (!space->boundary() || !CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size) ||
      !AddSIDToBoundaryDescriptor(space->receiveBoundary(), administrators)) {
    return false;
  }
  HANDLE opened = CreatePrivateNamespaceW(nullptr, space->boundary(), kNamespace);
  if (!opened && GetLastError() == ERROR_ALREADY_EXISTS) opened = OpenPrivateNamespaceW(space->boundary(), kNamespace);
  space->adopt(opened);
  return opened != nullptr;
}
}  // namespace

RecordLock::~RecordLock() {
  if (held_) ReleaseMutex(mutex_.get());
}

bool RecordLock::Take() {
  if (!mutex_.valid()) {
    const wchar_t* name = EnterPrivateNamespace(&namespace_) ? L"" LOCK_NAMESPACE "\\record" : L"Global\\" PRODUCT_NAME " record";
    mutex_.reset(CreateMutexW(nullptr, FALSE, name));
  }
  if (!mutex_.valid()) return false;
  // An abandoned lock: the run that held it ended without letting go. Its record reads as written
  // (each list is one value) or is refused as damaged; what it left unrecorded is its own loss.
  DWORD waited = WaitForSingleObject(mutex_.get(), kLockWait);
  held_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
  return held_;
}
