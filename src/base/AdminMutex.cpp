#include "base/AdminMutex.h"

#include <wchar.h>

#include <utility>

#include "base/MakerValues.h"
#include "base/Permissions.h"
#include "base/SystemLibrary.h"

namespace {
enum { kNameCapacity = 96 };

// The maker's own: two makers' setups do not wait for each other. False when the maker's name is
// too long for it.
bool NamespaceName(wchar_t* out) {
  if (wcslen(Maker(kMakerMakerName)) + 6 >= kNameCapacity) return false;
  wsprintfW(out, L"%sSetup", Maker(kMakerMakerName));
  return true;
}

enum class Namespace { kEntered, kNone, kRefused };

// Opens, or makes, the namespace only administrators may make. kNone where the system has no
// private namespaces (Wine, whose functions for them are stubs); kRefused where it has them but
// this process cannot enter, whatever the reason: never the fallback name then.
Namespace EnterPrivateNamespace(ScopedBoundary* boundary, ScopedPrivateNamespace* space, SECURITY_ATTRIBUTES* shared) {
  if (space->valid()) return Namespace::kEntered;
  if (IsWine()) return Namespace::kNone;
  wchar_t name[kNameCapacity];
  if (!NamespaceName(name)) return Namespace::kRefused;
  if (!boundary->valid()) {
    ScopedBoundary made(CreateBoundaryDescriptorW(name, 0));
    if (!made.valid()) return Namespace::kRefused;
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof administrators;
    HANDLE descriptor = made.release();  // adding to it may move it
    bool admitted = CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size) &&
                    AddSIDToBoundaryDescriptor(&descriptor, administrators);
    made.reset(descriptor);
    if (!admitted) return Namespace::kRefused;  // a boundary without the group would admit anyone
    *boundary = std::move(made);
  }
  space->reset(CreatePrivateNamespaceW(shared, boundary->get(), name));
  if (!space->valid() && GetLastError() == ERROR_ALREADY_EXISTS) space->reset(OpenPrivateNamespaceW(boundary->get(), name));
  return space->valid() ? Namespace::kEntered : Namespace::kRefused;
}
}  // namespace

bool AdminMutex::Create(const wchar_t* name, const wchar_t* fallbackName, bool initialOwner) {
  // A run as an administrator and one as the system (a deployment tool's) each open what the other made.
  SECURITY_ATTRIBUTES shared = {sizeof shared, AdministratorsOnlyPermissions(), FALSE};
  wchar_t full[2 * kNameCapacity], space[kNameCapacity];
  switch (wcslen(name) < kNameCapacity && NamespaceName(space) ? EnterPrivateNamespace(&boundary_, &namespace_, &shared)
                                                               : Namespace::kRefused) {
    case Namespace::kEntered:
      wsprintfW(full, L"%s\\%s", space, name);
      break;
    case Namespace::kNone:
      if (wcslen(fallbackName) >= 2 * kNameCapacity) return false;
      lstrcpynW(full, fallbackName, 2 * kNameCapacity);
      break;
    case Namespace::kRefused:  // never a name that any program could have taken first
      return false;
  }
  mutex_.reset(CreateMutexW(shared.lpSecurityDescriptor ? &shared : nullptr, initialOwner, full));
  existed_ = mutex_.valid() && GetLastError() == ERROR_ALREADY_EXISTS;
  return mutex_.valid();
}
