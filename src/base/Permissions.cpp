#include "base/Permissions.h"

#include <aclapi.h>
#include <string.h>
#include <sddl.h>

#include "base/ScopedHandle.h"

namespace {

// The security descriptor a call gave, freed when the scope ends.
class ScopedDescriptor {
 public:
  ScopedDescriptor() = default;
  ~ScopedDescriptor() {
    if (descriptor_) LocalFree(descriptor_);
  }
  ScopedDescriptor(const ScopedDescriptor&) = delete;
  ScopedDescriptor& operator=(const ScopedDescriptor&) = delete;
  PSECURITY_DESCRIPTOR* receive() { return &descriptor_; }

 private:
  PSECURITY_DESCRIPTOR descriptor_ = nullptr;
};

bool IsAdministratorUser(PSID owner) {
  ScopedHandle token;
  BYTE user[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
  DWORD size = 0;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.receive()) ||
      !GetTokenInformation(token.get(), TokenUser, user, sizeof user, &size) ||
      !EqualSid(owner, reinterpret_cast<TOKEN_USER*>(user)->User.Sid)) {
    return false;
  }
  BYTE administrators[SECURITY_MAX_SID_SIZE];
  size = sizeof administrators;
  BOOL member = FALSE;
  return CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size) &&
         CheckTokenMembership(nullptr, administrators, &member) && member;
}

// Anyone but those who administer the machine: a group of users (everyone, the signed-in,
// domain users, power users...) or a user without administrator rights.
bool IsOrdinaryUsers(PSID sid) {
  static const WELL_KNOWN_SID_TYPE kAdministering[] = {WinBuiltinAdministratorsSid, WinLocalSystemSid,
                                                       WinCreatorOwnerSid};
  for (WELL_KNOWN_SID_TYPE kind : kAdministering) {
    if (IsWellKnownSid(sid, kind)) return false;
  }
  // NT SERVICE\TrustedInstaller, which owns the system's own folders.
  static const SID_IDENTIFIER_AUTHORITY kNt = SECURITY_NT_AUTHORITY;
  const DWORD kInstaller[] = {80, 956008885, 3418522649u, 1831038044, 1853292631, 2271478464u};
  const SID_IDENTIFIER_AUTHORITY* authority = GetSidIdentifierAuthority(sid);
  const UCHAR* count = GetSidSubAuthorityCount(sid);
  if (authority && count && *count == 6 && memcmp(authority, &kNt, sizeof kNt) == 0) {
    bool installer = true;
    for (DWORD i = 0; i < 6; ++i) installer = installer && *GetSidSubAuthority(sid, i) == kInstaller[i];
    if (installer) return false;
  }
  return !IsAdministratorUser(sid);
}

}  // namespace

bool IsOwnedByAnAdministrator(HANDLE file) {
  PSID owner = nullptr;
  ScopedDescriptor descriptor;
  if (GetSecurityInfo(file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                      descriptor.receive()) != ERROR_SUCCESS || !owner) {
    return false;
  }
  return IsWellKnownSid(owner, WinBuiltinAdministratorsSid) || IsWellKnownSid(owner, WinLocalSystemSid) ||
         IsAdministratorUser(owner);
}

bool LetsOrdinaryUsersWrite(HANDLE folder) {
  PACL access = nullptr;
  ScopedDescriptor descriptor;
  if (GetSecurityInfo(folder, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &access, nullptr,
                      descriptor.receive()) != ERROR_SUCCESS) {
    return true;
  }
  if (!access) return true;  // no list at all: everyone may do everything
  const ACCESS_MASK kWrite = FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | FILE_WRITE_EA | FILE_DELETE_CHILD |
                             FILE_WRITE_ATTRIBUTES | DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;
  for (DWORD index = 0; index < access->AceCount; ++index) {
    ACE_HEADER* ace = nullptr;
    if (!GetAce(access, index, reinterpret_cast<void**>(&ace))) return true;
    // Both kinds share the layout; a callback's condition may well hold.
    if (ace->AceType != ACCESS_ALLOWED_ACE_TYPE && ace->AceType != ACCESS_ALLOWED_CALLBACK_ACE_TYPE) continue;
    auto* allowed = reinterpret_cast<ACCESS_ALLOWED_ACE*>(ace);
    if ((allowed->Mask & kWrite) && IsOrdinaryUsers(&allowed->SidStart)) return true;
  }
  return false;
}

namespace {
PSECURITY_DESCRIPTOR Descriptor(const wchar_t* text, PSECURITY_DESCRIPTOR* kept) {
  if (!*kept) ConvertStringSecurityDescriptorToSecurityDescriptorW(text, SDDL_REVISION_1, kept, nullptr);
  return *kept;
}
}  // namespace

PSECURITY_DESCRIPTOR ProgramFolderPermissions() {
  static PSECURITY_DESCRIPTOR descriptor;
  // Protected (P): nothing of the parent's permissions flows in. 0x1200a9: read and execute.
  return Descriptor(L"D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)", &descriptor);
}

PSECURITY_DESCRIPTOR AdministratorsOnlyPermissions() {
  static PSECURITY_DESCRIPTOR descriptor;
  return Descriptor(L"D:P(A;;GA;;;BA)(A;;GA;;;SY)", &descriptor);
}
