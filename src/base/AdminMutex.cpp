#include "base/AdminMutex.h"

#include <wchar.h>

#include "base/Product.h"

namespace {
const wchar_t kNamespace[] = L"" MAKER_NAME "Setup";

// Opens, or makes, the namespace only administrators may make. False when the system has none.
bool EnterPrivateNamespace(ScopedNamespace* space) {
  if (space->open()) return true;
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

bool AdminMutex::Create(const wchar_t* name, const wchar_t* fallbackName, bool initialOwner) {
  wchar_t full[96];
  if (EnterPrivateNamespace(&namespace_) && wcslen(name) < 64) {
    wsprintfW(full, L"%s\\%s", kNamespace, name);
  } else {
    lstrcpynW(full, fallbackName, 96);
  }
  mutex_.reset(CreateMutexW(nullptr, initialOwner, full));
  existed_ = mutex_.valid() && GetLastError() == ERROR_ALREADY_EXISTS;
  return mutex_.valid();
}
