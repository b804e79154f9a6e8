// The registry walk over real trees in the test prefix. Each test scans a vendor key of its own,
// named after its process, so the trees of parallel tests never meet.
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "discovery/FolderTable.h"
#include "discovery/RegistryReader.h"
#include "discovery/RegistryScanner.h"
#include "support/TestSupport.h"

namespace {

struct RootName {
  HKEY root;
  const char* prefix;  // in front of "software\<vendor>"
};
const RootName kRoots[] = {
    {HKEY_CURRENT_USER, ""}, {HKEY_LOCAL_MACHINE, ""}, {HKEY_USERS, ".default\\"}};

class RegistryScannerTest : public ::testing::Test {
 protected:
  void SetUp() override { ClearFolderTable(); }
  void TearDown() override {
    for (const RootName& r : kRoots) RegDeleteTreeA(r.root, VendorKey(r.prefix).c_str());
  }
  std::string VendorKey(const char* prefix) const { return std::string(prefix) + "software\\" + vendor_; }
  // A key below the vendor key of the root; "" is the vendor key itself.
  std::string Key(HKEY root, const std::string& below) const {
    std::string key = VendorKey(root == HKEY_USERS ? ".default\\" : "");
    return below.empty() ? key : key + "\\" + below;
  }
  void Scan(const char* needle = "") {
    ScanRegistryTree("software", vendor_.c_str(), needle);
    EXPECT_EQ(0u, valueCursor) << "the cursor is back at 0 between scans";
  }
  std::vector<std::string> Expected(std::initializer_list<const char*> relative) const {
    std::vector<std::string> rows;
    for (const char* r : relative) rows.push_back(folder_.path() + r);
    return rows;
  }
  const std::string vendor_ = "scantest" + Pid();
  TempFolder folder_;
};

TEST_F(RegistryScannerTest, FindsFolderValuesUnderEachRootInWalkOrder) {
  const std::string& base = folder_.path();
  for (const char* f : {"Hkcu", "Hklm", "Users", "Quoted", "Dir2", "Shared", "Expand", "Other", "Elsewhere"}) {
    folder_.Make(f);
  }
  struct Value {
    HKEY root;
    const char* key;
    const char* name;
    std::string data;
    DWORD type;
  } values[] = {
      {HKEY_CURRENT_USER, "a\\plug-ins", "Path", base + "hkcu", REG_SZ},       // the key path says plug
      {HKEY_CURRENT_USER, "b", "Shared Plugins", base + "shared", REG_SZ},     // the name says plug
      {HKEY_CURRENT_USER, "c", "Plugins", base + "expand", REG_EXPAND_SZ},    // not a plain string
      {HKEY_CURRENT_USER, "d", "Something", base + "other", REG_SZ},          // neither path nor name
      {HKEY_CURRENT_USER, "e\\plug", "Relative", "Plug-Ins\\Filters", REG_SZ},  // no drive
      {HKEY_CURRENT_USER, "e\\plug", "Colon", "ab:\\x", REG_SZ},               // colon not second
      {HKEY_LOCAL_MACHINE, "a", "PluginDir", "\"" + base + "hklm\"", REG_SZ},  // quoted
      {HKEY_LOCAL_MACHINE, "b", "PluginDir", base + "SHARED", REG_SZ},         // found before: kept once
      {HKEY_LOCAL_MACHINE, "c", "Directory2", base + "dir2", REG_SZ},
      {HKEY_USERS, "a", "Plugins", base + "users", REG_SZ},
  };
  for (const Value& v : values) {
    ASSERT_TRUE(SetString(v.root, Key(v.root, v.key), v.name, v.data, v.type)) << v.key << " " << v.name;
  }
  // Another user's profile is not searched.
  std::string otherUser = "S-1-5-21-" + Pid() + "\\software\\" + vendor_;
  RegistryKeyGuard otherGuard(HKEY_USERS, "S-1-5-21-" + Pid());
  ASSERT_TRUE(SetString(HKEY_USERS, otherUser, "Plugins", base + "elsewhere"));

  Scan();
  EXPECT_EQ(Expected({"Hkcu\\", "Shared\\", "Hklm\\", "Dir2\\", "Users\\"}), FolderRows());
}

TEST_F(RegistryScannerTest, TheNeedleMustBeInTheKeyPath) {
  folder_.Make("Direct");
  folder_.Make("Deep");
  const std::string& base = folder_.path();
  ASSERT_TRUE(SetString(HKEY_CURRENT_USER, Key(HKEY_CURRENT_USER, ""), "PluginPath", base + "direct"));
  ASSERT_TRUE(SetString(HKEY_CURRENT_USER, Key(HKEY_CURRENT_USER, "Photoshop\\8.0"), "PluginPath", base + "deep"));
  Scan("photoshop");
  EXPECT_EQ(Expected({"Deep\\"}), FolderRows());
}

TEST_F(RegistryScannerTest, AnUnreadableValueEndsItsKeysValuesButNotItsSubkeys) {
  for (const char* f : {"Before", "After", "Below", "Sibling"}) folder_.Make(f);
  const std::string& base = folder_.path();
  std::string key = Key(HKEY_CURRENT_USER, "plugins");
  // Written in name order, so that insertion and alphabetical enumeration agree.
  ASSERT_TRUE(SetString(HKEY_CURRENT_USER, key, "A", base + "before"));
  ASSERT_TRUE(SetString(HKEY_CURRENT_USER, key, "M", base + std::string(300, 'x')));  // over 256 bytes
  ASSERT_TRUE(SetString(HKEY_CURRENT_USER, key, "Z", base + "after"));
  ASSERT_TRUE(SetString(HKEY_CURRENT_USER, key + "\\sub", "A", base + "below"));
  std::string names = Key(HKEY_CURRENT_USER, "plugs2");
  ASSERT_TRUE(SetString(HKEY_CURRENT_USER, names, "A" + std::string(300, 'n'), base + "after"));  // name too long
  ASSERT_TRUE(SetString(HKEY_CURRENT_USER, names, "B", base + "after"));
  ASSERT_TRUE(SetString(HKEY_CURRENT_USER, Key(HKEY_CURRENT_USER, "plugs3"), "A", base + "sibling"));
  Scan();
  EXPECT_EQ(Expected({"Before\\", "Below\\", "Sibling\\"}), FolderRows());
}

TEST_F(RegistryScannerTest, DataOfExactly256BytesWithoutNulNeverYieldAnythingButTheirFolder) {
  // A folder whose path is 256 characters long, stored without its NUL. Windows hands these bytes
  // over unterminated; Wine adds the NUL when storing and then reports 257 bytes, too many to read.
  // Either way no other text may come of it, and the walk goes on.
  const std::string& base = folder_.path();
  std::string folder = base + std::string(256 - base.size(), 'l');
  ASSERT_EQ(256u, folder.size());
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  folder_.Make("Below");
  std::string key = Key(HKEY_CURRENT_USER, "plugins");
  // A value read before fills the scanner's buffers with other bytes, which a missing NUL would show.
  ASSERT_TRUE(SetString(HKEY_CURRENT_USER, key, "A", std::string(255, 'q')));
  ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, key, "B", REG_SZ, folder.data(), 256));
  ASSERT_TRUE(SetString(HKEY_CURRENT_USER, key + "\\sub", "A", base + "below"));
  Scan();
  std::vector<std::string> rows = FolderRows();
  ASSERT_FALSE(rows.empty());
  EXPECT_EQ(base + "Below\\", rows.back());
  if (rows.size() == 2) {
    EXPECT_EQ(0, lstrcmpiA((folder + "\\").c_str(), rows[0].c_str()));
  }
  EXPECT_LE(rows.size(), 2u);
}

TEST_F(RegistryScannerTest, DeepTreesAreWalkedNineteenLevelsDownAndNoFurther) {
  for (const char* f : {"L1", "L19", "L20", "Sibling"}) folder_.Make(f);
  std::string path = "plugins";
  for (int level = 1; level <= 25; ++level) {
    if (level == 1 || level == 19 || level == 20) {
      ASSERT_TRUE(SetString(HKEY_CURRENT_USER, Key(HKEY_CURRENT_USER, path), "Dir",
                            folder_.path() + "l" + std::to_string(level)));
    }
    path += "\\k";
  }
  ASSERT_TRUE(MakeKey(HKEY_CURRENT_USER, Key(HKEY_CURRENT_USER, path)));
  ASSERT_TRUE(SetString(HKEY_CURRENT_USER, Key(HKEY_CURRENT_USER, "plugz"), "Dir", folder_.path() + "sibling"));
  Scan();
  EXPECT_EQ(Expected({"L1\\", "L19\\", "Sibling\\"}), FolderRows());
}

TEST_F(RegistryScannerTest, KeyPathsLongerThanTheirTextAreSkippedWithTheirSubtree) {
  for (const char* f : {"Fits", "Toolong", "Sibling"}) folder_.Make(f);
  // The vendor key path is short; two names of 200 characters take the path past 400.
  std::string first = "plug" + std::string(196, 'a');
  std::string second = first + "\\" + std::string(200, 'b');
  ASSERT_TRUE(SetString(HKEY_CURRENT_USER, Key(HKEY_CURRENT_USER, first), "Dir", folder_.path() + "fits"));
  ASSERT_TRUE(SetString(HKEY_CURRENT_USER, Key(HKEY_CURRENT_USER, second), "Dir", folder_.path() + "toolong"));
  ASSERT_TRUE(SetString(HKEY_CURRENT_USER, Key(HKEY_CURRENT_USER, second + "\\c"), "Dir", folder_.path() + "toolong"));
  ASSERT_TRUE(SetString(HKEY_CURRENT_USER, Key(HKEY_CURRENT_USER, "plugz"), "Dir", folder_.path() + "sibling"));
  Scan();
  EXPECT_EQ(Expected({"Fits\\", "Sibling\\"}), FolderRows());
}

TEST_F(RegistryScannerTest, WideLevelsLongNamesAndLargeValuesEndAndFindWhatTheyShould) {
  for (const char* f : {"Last", "Longvalue", "Longkey"}) folder_.Make(f);
  std::string wide = Key(HKEY_CURRENT_USER, "plugins");
  for (int i = 0; i < 5000; ++i) {
    char name[16];
    wsprintfA(name, "k%04d", i);
    ASSERT_TRUE(MakeKey(HKEY_CURRENT_USER, wide + "\\" + name));
  }
  ASSERT_TRUE(SetString(HKEY_CURRENT_USER, wide + "\\k4999", "Dir", folder_.path() + "last"));
  // 255 characters, the most a name may have. The key's full path is longer than the ANSI calls
  // of some systems accept: there it is a key that cannot be opened, elsewhere it is searched.
  ASSERT_TRUE(SetString(HKEY_CURRENT_USER, Key(HKEY_CURRENT_USER, "plugs"), std::string(255, 'v'),
                        folder_.path() + "longvalue"));
  ASSERT_TRUE(SetString(HKEY_CURRENT_USER, Key(HKEY_CURRENT_USER, "plugt" + std::string(250, 'n')), "Dir",
                        folder_.path() + "longkey"));
  ASSERT_TRUE(SetString(HKEY_CURRENT_USER, Key(HKEY_CURRENT_USER, "big"), "Plugins", std::string(16384, 'C')));
  Scan();
  std::vector<std::string> rows = FolderRows();
  std::vector<std::string> expected = Expected({"Last\\", "Longvalue\\", "Longkey\\"});
  if (rows.size() == 2) expected.pop_back();
  EXPECT_EQ(expected, rows);
}

TEST(KeyPathStack, RefusesAPushPastItsDepthOrPastThePathTextAndChangesNothing) {
  KeyPathStack stack;
  char path[kPathCapacity] = "software\\v";
  DWORD index = 7;
  for (int level = 0; level < kStackDepth; ++level) {
    ASSERT_TRUE(stack.Push(path, "k", &index));
    EXPECT_EQ(0u, index);
    index = static_cast<DWORD>(level + 10);
  }
  std::string full = path;
  EXPECT_FALSE(stack.Push(path, "k", &index));
  EXPECT_EQ(full, path);
  EXPECT_EQ(static_cast<DWORD>(kStackDepth - 1 + 10), index);
  for (int level = kStackDepth - 1; level >= 0; --level) {
    EXPECT_EQ(level == 0 ? 7 : level - 1 + 10, stack.Pop(path));
  }
  EXPECT_STREQ("software\\v", path);
  EXPECT_EQ(-1, stack.Pop(path));
  EXPECT_EQ(-1, stack.Pop(path));

  std::string name(kPathCapacity - strlen(path) - 1, 'n');  // with the backslash, one too many
  EXPECT_FALSE(stack.Push(path, name.c_str(), &index));
  EXPECT_STREQ("software\\v", path);
  name.pop_back();
  EXPECT_TRUE(stack.Push(path, name.c_str(), &index));
  EXPECT_EQ(static_cast<size_t>(kPathCapacity - 1), strlen(path));
}

}  // namespace
