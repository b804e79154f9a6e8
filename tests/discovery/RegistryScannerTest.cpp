// The registry walk over real trees in the test prefix, below a vendor key named after the process.
#include <gtest/gtest.h>

#include "discovery/FolderTable.h"
#include "discovery/RegistryScanner.h"
#include "support/TestSupport.h"

TEST(RegistryScanner, FindsFolderValuesInWalkOrderAndSkipsOnlyWhatCannotBeRead) {
  const std::string vendor = "scantest" + Pid(), otherUser = "S-1-5-21-" + Pid();
  auto key = [&](HKEY root) { return (root == HKEY_USERS ? ".default\\software\\" : "software\\") + vendor; };
  const HKEY kCu = HKEY_CURRENT_USER, kLm = HKEY_LOCAL_MACHINE, kUsers = HKEY_USERS;
  RegistryKeyGuard guards[] = {{kCu, key(kCu)}, {kLm, key(kLm)}, {kUsers, key(kUsers)}, {kUsers, otherUser}};
  for (const RegistryKeyGuard& g : guards) if (g.existedBefore()) GTEST_SKIP() << "a test key exists already";
  TempFolder folder;
  const std::string& b = folder.path();
  for (const char* f : {"Hkcu", "Named", "Other", "L19", "L20", "Before", "After", "Below", "Sibling", "Hklm", "Dir2",
                        "Users"}) folder.Make(f);
  std::string deep = "plugd";  // level 1 below the vendor key, down to level 19
  for (int level = 1; level < 19; ++level) deep += "\\k";
  const struct { HKEY root; std::string below, name, data; DWORD type = REG_SZ; } values[] = {  // subkeys in name order
      {kCu, "a\\plug-ins", "Path", b + "hkcu"},                        // the key path says plug
      {kCu, "b", "Named Plugins", b + "named"},                        // the name says plug
      {kCu, "c", "Plugins", b + "other", REG_EXPAND_SZ},               // not a plain string
      {kCu, "d", "Something", b + "other"},                            // neither says plug
      {kCu, deep, "Dir", b + "l19"},
      {kCu, deep + "\\k", "Dir", b + "l20"},                           // too deep
      {kCu, "plugins", "A", b + "before"},
      {kCu, "plugins", "M", b + std::string(300, 'x')},                // data over 256 bytes end the key's values
      {kCu, "plugins", "Z", b + "after"},
      {kCu, "plugins\\sub", "A", b + "below"},
      {kCu, "plugs", "A" + std::string(300, 'n'), b + "after"},        // and so does a name over 255 characters
      {kCu, "plugs", "B", b + "after"},
      {kCu, "plugz", "Dir", b + "sibling"},                            // the walk goes on behind every skip
      {kLm, "a", "PluginDir", "\"" + b + "hklm\""},                    // quoted
      {kLm, "c", "Directory2", b + "dir2"},
      {kUsers, "a", "Plugins", b + "users"},
  };
  for (const auto& v : values) ASSERT_TRUE(SetString(v.root, key(v.root) + "\\" + v.below, v.name, v.data, v.type));
  ASSERT_TRUE(SetString(kUsers, otherUser + "\\" + key(kCu), "Plugins", b + "other"));  // another user's profile
  ClearFolderTable();
  ScanRegistryTree(L"software", Wide(vendor).c_str(), L"");
  std::vector<std::string> expected;
  for (const char* row : {"Hkcu", "Named", "L19", "Before", "Below", "Sibling", "Hklm", "Dir2", "Users"}) {
    expected.push_back(b + row + "\\");
  }
  EXPECT_EQ(expected, FolderRows());
}

// A walk would show this refusal only below a key path of 400 characters.
TEST(RegistryScanner, KeyPathStackRefusesAPathPastItsTextWithNothingChanged) {
  const std::wstring parent(kPathCapacity - 4, L'k');
  KeyPath path;
  ASSERT_TRUE(path.Assign(parent.c_str()));
  KeyPathStack stack;
  DWORD index = 7;
  EXPECT_FALSE(stack.Push(&path, L"abc", &index));
  EXPECT_EQ(parent, path.get());                  // the refused name left nothing behind
  EXPECT_EQ(-1, stack.Pop(&path));                // nothing was entered
  EXPECT_TRUE(stack.Push(&path, L"ab", &index));  // fills the text exactly
  EXPECT_EQ(parent + L"\\ab", path.get());
  EXPECT_EQ(7, stack.Pop(&path));                 // the parent's index from before the refusal
  EXPECT_EQ(parent, path.get());
}
