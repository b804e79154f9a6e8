// The registry walk over real trees in the test prefix. Each test scans a vendor key named after
// its process, so the trees of parallel tests never meet.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "discovery/FolderTable.h"
#include "discovery/RegistryReader.h"
#include "discovery/RegistryScanner.h"
#include "support/TestSupport.h"

namespace {

class RegistryScannerTest : public ::testing::Test {
 protected:
  void SetUp() override { ClearFolderTable(); }
  // A key below the vendor key of the root; "" is the vendor key itself.
  std::string Key(HKEY root, const std::string& below) const {
    std::string key = (root == HKEY_USERS ? ".default\\software\\" : "software\\") + vendor_;
    return below.empty() ? key : key + "\\" + below;
  }
  void Set(const std::string& below, const std::string& name, const std::string& data, HKEY root = HKEY_CURRENT_USER,
           DWORD type = REG_SZ) {
    ASSERT_TRUE(SetString(root, Key(root, below), name, data, type)) << below << " " << name;
  }
  void Scan(const char* needle = "") {
    ScanRegistryTree("software", vendor_.c_str(), needle);
    EXPECT_EQ(0u, valueCursor) << "the cursor is back at 0 between scans";
  }
  std::vector<std::string> Rows(std::initializer_list<const char*> relative) const {
    std::vector<std::string> rows;
    for (const char* r : relative) rows.push_back(folder_.path() + r + "\\");
    return rows;
  }
  const std::string vendor_ = "scantest" + Pid();
  RegistryKeyGuard guards_[3] = {{HKEY_CURRENT_USER, Key(HKEY_CURRENT_USER, "")},
                                 {HKEY_LOCAL_MACHINE, Key(HKEY_LOCAL_MACHINE, "")},
                                 {HKEY_USERS, Key(HKEY_USERS, "")}};
  RegistryKeyGuard otherUser_{HKEY_USERS, "S-1-5-21-" + Pid()};
  TempFolder folder_;
  const std::string& b = folder_.path();
};

TEST_F(RegistryScannerTest, FindsFolderValuesUnderEachRootInWalkOrder) {
  for (const char* f : {"Hkcu", "Hklm", "Users", "Dir2", "Shared", "Other"}) folder_.Make(f);
  Set("a\\plug-ins", "Path", b + "hkcu");                                    // the key path says plug
  Set("b", "Shared Plugins", b + "shared");                                 // the name says plug
  Set("c", "Plugins", b + "other", HKEY_CURRENT_USER, REG_EXPAND_SZ);        // not a plain string
  Set("d", "Something", b + "other");                                       // neither says plug
  Set("e\\plug", "Relative", "Plug-Ins\\Filters");                          // no drive
  Set("a", "PluginDir", "\"" + b + "hklm\"", HKEY_LOCAL_MACHINE);            // quoted
  Set("b", "PluginDir", b + "SHARED", HKEY_LOCAL_MACHINE);                   // found before: once
  Set("c", "Directory2", b + "dir2", HKEY_LOCAL_MACHINE);
  Set("a", "Plugins", b + "users", HKEY_USERS);
  ASSERT_TRUE(SetString(HKEY_USERS, "S-1-5-21-" + Pid() + "\\software\\" + vendor_, "Plugins", b + "other"));
  Scan();
  EXPECT_EQ(Rows({"Hkcu", "Shared", "Hklm", "Dir2", "Users"}), FolderRows());
}

TEST_F(RegistryScannerTest, UnreadableValuesEndTheirKeyButNotTheWalk) {
  for (const char* f : {"Before", "After", "Below", "Sibling"}) folder_.Make(f);
  Set("plugins", "A", b + "before");
  Set("plugins", "M", b + std::string(300, 'x'));  // data over 256 bytes
  Set("plugins", "Z", b + "after");
  Set("plugins\\sub", "A", b + "below");
  Set("plugs2", "A" + std::string(300, 'n'), b + "after");  // a name over 255 characters
  Set("plugs2", "B", b + "after");
  Set("plugs3", "A", b + "sibling");
  Scan();
  EXPECT_EQ(Rows({"Before", "Below", "Sibling"}), FolderRows());
}

TEST_F(RegistryScannerTest, DeepOrLongKeyPathsAreSkippedWithTheirSubtreeAndTheWalkGoesOn) {
  for (const char* f : {"L1", "L19", "L20", "Fits", "Toolong", "Sibling"}) folder_.Make(f);
  std::string path = "plugins";
  for (int level = 1; level <= 21; ++level) {
    if (level == 1 || level == 19 || level == 20) Set(path, "Dir", b + "l" + std::to_string(level));
    path += "\\k";
  }
  // Two names of 200 characters take the key path past its 400-character text.
  std::string first = "plug" + std::string(196, 'a');
  Set(first, "Dir", b + "fits");
  Set(first + "\\" + std::string(200, 'b'), "Dir", b + "toolong");
  Set(first + "\\" + std::string(200, 'b') + "\\c", "Dir", b + "toolong");
  Set("plugz", "Dir", b + "sibling");
  Scan();
  EXPECT_EQ(Rows({"Fits", "L1", "L19", "Sibling"}), FolderRows());  // subkeys in name order
}

}  // namespace
