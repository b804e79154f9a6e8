#include "base/Permissions.h"

#include <aclapi.h>
#include <string.h>
#include <sddl.h>

#include <combaseapi.h>

namespace {

// The user this process runs as, copied into sid (SECURITY_MAX_SID_SIZE bytes).
bool CopyProcessUser(PSID sid) {
  ScopedHandle token;
  union {
    TOKEN_USER user;
    BYTE room[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
  } self;
  DWORD size = 0;
  return OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.receive()) &&
         GetTokenInformation(token.get(), TokenUser, &self, sizeof self, &size) &&
         CopySid(SECURITY_MAX_SID_SIZE, sid, self.user.User.Sid);
}

bool IsAdministratorUser(PSID owner) {
  BYTE user[SECURITY_MAX_SID_SIZE], administrators[SECURITY_MAX_SID_SIZE];
  DWORD size = sizeof administrators;
  BOOL member = FALSE;
  return CopyProcessUser(user) && EqualSid(owner, user) &&
         CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size) &&
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

// The rights an access list grants ordinary users in its allowed entries: those that apply to the
// object itself, and, with handedDown, those it only hands down to new files and folders too.
// Everything for no list at all.
ACCESS_MASK OrdinaryUsersRights(PSECURITY_DESCRIPTOR descriptor, bool handedDown) {
  BOOL present = FALSE, defaulted = FALSE;
  PACL access = nullptr;
  if (!descriptor || !GetSecurityDescriptorDacl(descriptor, &present, &access, &defaulted)) return GENERIC_ALL;
  if (!present || !access) return GENERIC_ALL;  // no list at all: everyone may do everything
  ACCESS_MASK rights = 0;
  for (DWORD index = 0; index < access->AceCount; ++index) {
    ACE_HEADER* ace = nullptr;
    if (!GetAce(access, index, reinterpret_cast<void**>(&ace))) return GENERIC_ALL;
    // Both kinds share the layout; a callback's condition may well hold.
    if (ace->AceType != ACCESS_ALLOWED_ACE_TYPE && ace->AceType != ACCESS_ALLOWED_CALLBACK_ACE_TYPE) continue;
    if ((ace->AceFlags & INHERIT_ONLY_ACE) && !handedDown) continue;
    auto* allowed = reinterpret_cast<ACCESS_ALLOWED_ACE*>(ace);
    if (IsOrdinaryUsers(&allowed->SidStart)) rights |= allowed->Mask;
  }
  return rights;
}

bool IsAdministrator(PSID owner) {
  return IsWellKnownSid(owner, WinBuiltinAdministratorsSid) || IsWellKnownSid(owner, WinLocalSystemSid) ||
         IsAdministratorUser(owner);
}

}  // namespace

ScopedLocalBlock ReadOwnerAndAccess(HANDLE file) {
  ScopedLocalBlock descriptor;
  if (GetSecurityInfo(file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, nullptr,
                      nullptr, nullptr, nullptr, descriptor.receive()) != ERROR_SUCCESS) {
    descriptor.reset();
  }
  return descriptor;
}

bool IsOwnedByAnAdministrator(HANDLE file) {
  PSID owner = nullptr;
  ScopedLocalBlock descriptor;
  return GetSecurityInfo(file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                         descriptor.receive()) == ERROR_SUCCESS &&
         owner && IsAdministrator(owner);
}

bool LetsOrdinaryUsersWrite(PSECURITY_DESCRIPTOR folder) {
  const ACCESS_MASK kWrite = FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | FILE_WRITE_EA | FILE_DELETE_CHILD |
                             FILE_WRITE_ATTRIBUTES | DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;
  return (OrdinaryUsersRights(folder, true) & kWrite) != 0;
}

bool LetsOrdinaryUsersReplace(PSECURITY_DESCRIPTOR folder, PSECURITY_DESCRIPTOR parent) {
  PSID owner = nullptr;
  BOOL defaulted = FALSE;
  // An owner may always change the permissions, whatever they say now.
  if (!folder || !GetSecurityDescriptorOwner(folder, &owner, &defaulted) || !owner || !IsAdministrator(owner)) {
    return true;
  }
  const ACCESS_MASK kChangePermissions = WRITE_DAC | WRITE_OWNER | GENERIC_ALL;
  return (OrdinaryUsersRights(folder, false) & (DELETE | kChangePermissions)) != 0 ||
         (OrdinaryUsersRights(parent, false) & (FILE_DELETE_CHILD | kChangePermissions)) != 0;
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

PSECURITY_DESCRIPTOR ComCallerPermissions() {
  static struct {
    SECURITY_DESCRIPTOR descriptor;
    BYTE user[SECURITY_MAX_SID_SIZE], administrators[SECURITY_MAX_SID_SIZE], system[SECURITY_MAX_SID_SIZE],
        high[SECURITY_MAX_SID_SIZE];
    union {
      ACL list;
      BYTE room[sizeof(ACL) + 3 * (sizeof(ACCESS_ALLOWED_ACE) + SECURITY_MAX_SID_SIZE)];
    } callers;
    union {
      ACL list;
      BYTE room[sizeof(ACL) + sizeof(SYSTEM_MANDATORY_LABEL_ACE) + SECURITY_MAX_SID_SIZE];
    } label;
    bool made;
  } kept;
  if (kept.made) return &kept.descriptor;
  if (!CopyProcessUser(kept.user)) return nullptr;
  const struct {
    WELL_KNOWN_SID_TYPE kind;
    BYTE* sid;
  } known[] = {{WinBuiltinAdministratorsSid, kept.administrators}, {WinLocalSystemSid, kept.system},
               {WinHighLabelSid, kept.high}};
  for (const auto& sid : known) {
    DWORD size = SECURITY_MAX_SID_SIZE;
    if (!CreateWellKnownSid(sid.kind, nullptr, sid.sid, &size)) return nullptr;
  }
  // Calls from this computer only; a caller of lower integrity may not call up into this process.
  const ACCESS_MASK kCall = COM_RIGHTS_EXECUTE | COM_RIGHTS_EXECUTE_LOCAL;
  bool made = InitializeSecurityDescriptor(&kept.descriptor, SECURITY_DESCRIPTOR_REVISION) &&
              InitializeAcl(&kept.callers.list, sizeof kept.callers, ACL_REVISION) &&
              AddAccessAllowedAce(&kept.callers.list, ACL_REVISION, kCall, kept.system) &&
              AddAccessAllowedAce(&kept.callers.list, ACL_REVISION, kCall, kept.administrators) &&
              AddAccessAllowedAce(&kept.callers.list, ACL_REVISION, kCall, kept.user) &&
              InitializeAcl(&kept.label.list, sizeof kept.label, ACL_REVISION) &&
              AddMandatoryAce(&kept.label.list, ACL_REVISION, 0, SYSTEM_MANDATORY_LABEL_NO_EXECUTE_UP, kept.high) &&
              SetSecurityDescriptorOwner(&kept.descriptor, kept.administrators, FALSE) &&
              SetSecurityDescriptorGroup(&kept.descriptor, kept.administrators, FALSE) &&
              SetSecurityDescriptorDacl(&kept.descriptor, TRUE, &kept.callers.list, FALSE) &&
              SetSecurityDescriptorSacl(&kept.descriptor, TRUE, &kept.label.list, FALSE);
  kept.made = made;
  return made ? &kept.descriptor : nullptr;
}
