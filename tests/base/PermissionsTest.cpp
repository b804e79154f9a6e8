// Who may change a folder, and who may call into the elevated setup, decided on descriptors built here: Wine keeps
// owners and access lists only as far as its file modes hold them, and checks no call into a process (nor does its
// access check refuse a token whose groups count for refusals only).
#include <gtest/gtest.h>

#include <objbase.h>
#include <sddl.h>

#include <set>

#include "base/Permissions.h"
#include "support/TestSupport.h"

namespace {
struct Descriptor {
  explicit Descriptor(const wchar_t* text) {
    if (text) ConvertStringSecurityDescriptorToSecurityDescriptorW(text, SDDL_REVISION_1, &value, nullptr);
  }
  ~Descriptor() { LocalFree(value); }
  PSECURITY_DESCRIPTOR value = nullptr;
};

std::string SidText(PSID sid) {
  LPWSTR text = nullptr;
  std::string result = ConvertSidToStringSidW(sid, &text) ? Utf8(text) : "";
  LocalFree(text);
  return result;
}

}  // namespace

// An ordinary user who owns a folder on the way, may delete it, may change its permissions, or may delete what is
// in its parent can put a folder of their own in its place: a drive's root hands them that right on what they
// make (C:\Tools), not on itself. A descriptor that cannot be read protects nothing.
TEST(Permissions, AFolderIsReplaceableWhereOrdinaryUsersCanTakeItAway) {
  const wchar_t* const kRoot =
      L"O:SYD:(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)(A;OICIIO;0x1301bf;;;AU)(A;;0x4;;;AU)";
  const wchar_t* const kProgramFolder = L"O:BAD:(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";
  const struct { const wchar_t *folder, *parent; bool replaceable; } cases[] = {
      {kProgramFolder, kRoot, false},
      {L"O:BAD:(A;OICIID;FA;;;BA)(A;OICIID;0x1301bf;;;AU)", kRoot, true},  // made by an administrator
      {L"O:S-1-5-21-1-2-3-1001D:(A;OICIID;FA;;;BA)", kRoot, true},        // owned by a user
      {L"O:BUD:(A;OICIID;FA;;;BA)", kRoot, true},                        // owned by the Users group
      {L"O:BAD:(A;;FA;;;BA)(A;;0x40000;;;BU)", kRoot, true},             // Users may change its permissions
      {kProgramFolder, L"O:SYD:(A;;0x40;;;WD)", true},                  // anyone may delete what is in the parent
      {kProgramFolder, L"O:SYD:(A;OICIIO;0x10040;;;WD)", false},        // that right only handed down
      {L"O:BA", kRoot, true},                                            // no list at all
      {nullptr, kRoot, true},
      {kProgramFolder, nullptr, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf8(c.folder ? c.folder : L"(none)") + " in " + Utf8(c.parent ? c.parent : L"(none)"));
    Descriptor folder(c.folder), parent(c.parent);
    ASSERT_TRUE(!c.folder || folder.value);
    EXPECT_EQ(c.replaceable, LetsOrdinaryUsersReplace(folder.value, parent.value));
  }
}

// COM admits the system, the administrators and the setup's own user, from this computer and from high integrity
// up, and no one else. It takes the descriptor in absolute form only, with owner and group.
TEST(Permissions, ComAdmitsOnlyTheSystemAdministratorsAndTheOwnUser) {
  PSECURITY_DESCRIPTOR callers = ComCallerPermissions();
  ASSERT_TRUE(callers && IsValidSecurityDescriptor(callers));
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  ASSERT_TRUE(GetSecurityDescriptorControl(callers, &control, &revision));
  EXPECT_FALSE(control & SE_SELF_RELATIVE);
  PSID owner = nullptr, group = nullptr;
  BOOL defaulted = FALSE, present = FALSE;
  ASSERT_TRUE(GetSecurityDescriptorOwner(callers, &owner, &defaulted) && owner);
  ASSERT_TRUE(GetSecurityDescriptorGroup(callers, &group, &defaulted) && group);

  HANDLE process = nullptr;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &process));
  BYTE user[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
  DWORD size = 0;
  bool read = GetTokenInformation(process, TokenUser, user, sizeof user, &size);
  CloseHandle(process);
  ASSERT_TRUE(read);
  const std::string self = SidText(reinterpret_cast<TOKEN_USER*>(user)->User.Sid);
  PACL list = nullptr;
  ASSERT_TRUE(GetSecurityDescriptorDacl(callers, &present, &list, &defaulted) && present && list);
  std::set<std::string> admitted;
  for (DWORD i = 0; i < list->AceCount; ++i) {
    ACCESS_ALLOWED_ACE* ace = nullptr;
    ASSERT_TRUE(GetAce(list, i, reinterpret_cast<void**>(&ace)));
    EXPECT_EQ(ACCESS_ALLOWED_ACE_TYPE, ace->Header.AceType);
    EXPECT_EQ(static_cast<DWORD>(COM_RIGHTS_EXECUTE | COM_RIGHTS_EXECUTE_LOCAL), ace->Mask);
    admitted.insert(SidText(&ace->SidStart));
  }
  EXPECT_EQ((std::set<std::string>{"S-1-5-18", "S-1-5-32-544", self}), admitted);
  ASSERT_TRUE(GetSecurityDescriptorSacl(callers, &present, &list, &defaulted) && present && list);
  SYSTEM_MANDATORY_LABEL_ACE* label = nullptr;
  ASSERT_TRUE(list->AceCount == 1 && GetAce(list, 0, reinterpret_cast<void**>(&label)));
  EXPECT_EQ(SYSTEM_MANDATORY_LABEL_ACE_TYPE, label->Header.AceType);
  EXPECT_EQ(static_cast<DWORD>(SYSTEM_MANDATORY_LABEL_NO_EXECUTE_UP), label->Mask);
  EXPECT_EQ("S-1-16-12288", SidText(&label->SidStart));  // high integrity
}
