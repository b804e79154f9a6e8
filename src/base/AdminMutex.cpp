#include "base/AdminMutex.h"

#include <wchar.h>

#include "base/Permissions.h"
#include "base/Product.h"
#include "base/SystemLibrary.h"

namespace {
const wchar_t kNamespace[] = L"" MAKER_NAME "Setup";

enum class Namespace { kEntered, kNone, kRefused };

// Opens, or makes, the namespace only administrators may make. kNone where the system has no
// private namespaces (Wine, whose functions for them are stubs); kRefused where it has them but
// this process cannot enter, whatever the reason: never the fallback name then.
Namespace EnterPrivateNamespace(ScopedNamespace* space, SECURITY_ATTRIBUTES* shared) {
  if (space->open()) return Namespace::kEntered;
  if (IsWine()) return Namespace::kNone;
  if (!space->boundary()) {
    *space->receiveBoundary() = CreateBoundaryDescriptorW(kNamespace, 0);
    if (!space->boundary()) return Namespace::kRefused;
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof administrators;
    if (!CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size) ||
        !AddSIDToBoundaryDescriptor(space->receiveBoundary(), administrators)) {
      space->DropBoundary();  // a boundary without the group would admit anyone
      return Namespace::kRefused;
    }
  }
  HANDLE opened = CreatePrivateNamespaceW(shared, space->boundary(), kNamespace);
  if (!opened && GetLastError() == ERROR_ALREADY_EXISTS) opened = OpenPrivateNamespaceW(space->boundary(), kNamespace);
  space->adopt(opened);
  return opened ? Namespace::kEntered : Namespace::kRefused;
}
}  // namespace

bool AdminMutex::Create(const wchar_t* name, const wchar_t* fallbackName, bool initialOwner) {
  // A run as an administrator and one as the system (a deployment tool's) each open what the other made.
  SECURITY_ATTRIBUTES shared = {sizeof shared, AdministratorsOnlyPermissions(), FALSE};
  wchar_t full[96];
  switch (wcslen(name) < 64 ? EnterPrivateNamespace(&namespace_, &shared) : Namespace::kRefused) {
    case Namespace::kEntered:
      wsprintfW(full, L"%s\\%s", kNamespace, name);
      break;
    case Namespace::kNone:
      lstrcpynW(full, fallbackName, 96);
      break;
    case Namespace::kRefused:  // never a name that any program could have taken first
      return false;
  }
  mutex_.reset(CreateMutexW(shared.lpSecurityDescriptor ? &shared : nullptr, initialOwner, full));
  existed_ = mutex_.valid() && GetLastError() == ERROR_ALREADY_EXISTS;
  return mutex_.valid();
}
