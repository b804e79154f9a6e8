// Writing the payload resources of this test executable into real folders.
#include <gtest/gtest.h>

#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/SetupState.h"
#include "payload/InstallFailures.h"
#include "payload/PayloadWriter.h"
#include "payload/SkipList.h"
#include "support/TestSupport.h"

namespace {

const char kLongName[] =
    "LONG_NAME_NAME_NAME_NAME_NAME_NAME_NAME_NAME_NAME_NAME_NAME_NAME_NAME_NAME_NAME_NAME_NAME_NAME_NAME_"
    "NAME_NAME_NAME_NAME_NAME.8BF";
const char kLongInstalled[] =
    "Long Name Name Name Name Name Name Name Name Name Name Name Name Name Name Name Name Name Name Name "
    "Name Name Name Name Name.8bf";

class PayloadWriterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    appInstance = GetModuleHandleA(nullptr);
    ClearInstallFailures();
    for (FolderEntry& row : SkipList) row = FolderEntry();
    SetTarget(folder_.path());
  }
  static void SetTarget(const std::string& folder) {
    ASSERT_LT(folder.size(), sizeof targetFolder);
    lstrcpyA(targetFolder, folder.c_str());
  }
  static BOOL Install(const char* storedName) {
    char name[kFileNameCapacity];
    lstrcpyA(name, storedName);  // the enumeration hands out writable names
    return InstallResource(appInstance, MAKEINTRESOURCEA(kPayloadResourceType), name, 0);
  }
  std::vector<unsigned char> Installed(const std::string& name) const {
    std::vector<unsigned char> bytes;
    EXPECT_TRUE(ReadWholeFile(folder_.path() + name, &bytes)) << name;
    return bytes;
  }
  TempFolder folder_;
};

TEST_F(PayloadWriterTest, WritesEachResourceByteForByteUnderItsInstalledName) {
  struct {
    const char* stored;
    const char* installed;
    size_t size;
  } cases[] = {
      {"ALPHA__ONE.8BF", "AlphaOne.8bf", 5000},
      {"BETA_TWO.8BF", "Beta Two.8bf", 1},
      {"GAMMA:X.8BF", "Gammax.8bf", 70000},
      {"MIEN__FOLD.8BF", "MienFold.8bf", 77824},
      {kLongName, kLongInstalled, 1},
  };
  std::vector<std::string> names;
  for (const auto& c : cases) {
    EXPECT_TRUE(Install(c.stored));
    std::vector<unsigned char> expected = ResourceBytes(c.stored);
    ASSERT_EQ(c.size, expected.size()) << c.stored;
    EXPECT_TRUE(Installed(c.installed) == expected) << c.installed;
    names.push_back(c.installed);
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, ListFolder(folder_.path()));  // and no temporary file left behind
  EXPECT_EQ(0, InstallFailureCount());
}

TEST_F(PayloadWriterTest, ReplacesAnOlderFileOfTheSameName) {
  ASSERT_TRUE(WriteWholeFile(folder_.path() + "MienFold.8bf", std::vector<unsigned char>(100000, 7)));
  EXPECT_TRUE(Install("MIEN__FOLD.8BF"));
  EXPECT_TRUE(Installed("MienFold.8bf") == ResourceBytes("MIEN__FOLD.8BF"));
  EXPECT_EQ(std::vector<std::string>{"MienFold.8bf"}, ListFolder(folder_.path()));
  EXPECT_EQ(0, InstallFailureCount());
}

TEST_F(PayloadWriterTest, SkipsResourcesWhoseInstalledNameHoldsAKeyword) {
  struct {
    const char* needle;
    bool installed;
  } cases[] = {
      {"Mien", false},
      {"Fold.8", false},
      {"MIEN", true},  // the stored spelling does not match: the test runs on the installed name
      {"fold", true},
  };
  for (const auto& c : cases) {
    for (FolderEntry& row : SkipList) row = FolderEntry();
    AddSkipNeedle("Unrelated");
    AddSkipNeedle(c.needle);
    EXPECT_TRUE(Install("MIEN__FOLD.8BF"));
    std::string file = folder_.path() + "MienFold.8bf";
    EXPECT_EQ(c.installed, GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES) << c.needle;
    DeleteFileA(file.c_str());
  }
  EXPECT_EQ(0, InstallFailureCount());
}

TEST_F(PayloadWriterTest, AFailedWriteKeepsTheOldFileAndIsRecorded) {
  const std::vector<unsigned char> old(3000, 0x42);
  std::string target = folder_.path() + "MienFold.8bf";
  struct Case {
    const char* what;
    void (*prepare)(const std::string& folder, const std::string& target, HANDLE* held);
    bool oldFileThere;
  } cases[] = {
      {"read-only target",
       [](const std::string&, const std::string& t, HANDLE*) {
         SetFileAttributesA(t.c_str(), FILE_ATTRIBUTE_READONLY);
       },
       true},
      {"target held open without sharing",
       [](const std::string&, const std::string& t, HANDLE* held) {
         *held = CreateFileA(t.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
       },
       true},
      {"target is a folder",
       [](const std::string&, const std::string& t, HANDLE*) {
         DeleteFileA(t.c_str());
         CreateDirectoryA(t.c_str(), nullptr);
       },
       false},
      {"folder missing",
       [](const std::string& f, const std::string&, HANDLE*) {
         lstrcpyA(targetFolder, (f + "gone\\").c_str());
       },
       true},
  };
  for (const Case& c : cases) {
    SetTarget(folder_.path());
    ClearInstallFailures();
    ASSERT_TRUE(WriteWholeFile(target, old));
    HANDLE held = INVALID_HANDLE_VALUE;
    c.prepare(folder_.path(), target, &held);
    std::vector<std::string> before = ListFolder(folder_.path());

    EXPECT_TRUE(Install("MIEN__FOLD.8BF")) << c.what;  // the enumeration goes on

    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
    ASSERT_EQ(1, InstallFailureCount()) << c.what;
    EXPECT_EQ(kFileNotWritten, GetInstallFailure(0)->kind) << c.what;
    EXPECT_NE(0u, GetInstallFailure(0)->error) << c.what;
    EXPECT_EQ(before, ListFolder(folder_.path())) << c.what;
    if (c.oldFileThere) {
      EXPECT_TRUE(Installed("MienFold.8bf") == old) << c.what;
    }
    SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryA(target.c_str());
    DeleteFileA(target.c_str());
  }
}

TEST_F(PayloadWriterTest, AFileNameOverItsBufferIsSkippedAndRecorded) {
  // kLongInstalled has 128 characters: a folder of 371 makes 499, which still fits.
  ASSERT_EQ(128u, strlen(kLongInstalled));
  struct {
    size_t folderLength;
    InstallFailureKind recorded;
  } cases[] = {
      {371, kFileNotWritten},  // fits; the folder does not exist, so the write fails
      {372, kNameTooLong},
      {399, kNameTooLong},
  };
  for (const auto& c : cases) {
    ClearInstallFailures();
    std::string folder = "C:\\" + std::string(c.folderLength - 4, 'f') + "\\";
    SetTarget(folder);
    EXPECT_TRUE(Install(kLongName)) << c.folderLength;
    ASSERT_EQ(1, InstallFailureCount()) << c.folderLength;
    EXPECT_EQ(c.recorded, GetInstallFailure(0)->kind) << c.folderLength;
  }
  EXPECT_TRUE(ListFolder(folder_.path()).empty());
}

TEST_F(PayloadWriterTest, ResourcesThatCannotBeLoadedEndTheEnumeration) {
  struct {
    const char* name;
    BOOL goOn;
    InstallFailureKind recorded;
  } cases[] = {
      {"NOT_THERE.8BF", FALSE, kResourceNotFound},
      {"YY_EMPTY.BIN", FALSE, kResourceEmpty},
  };
  for (const auto& c : cases) {
    ClearInstallFailures();
    EXPECT_EQ(c.goOn, Install(c.name)) << c.name;
    ASSERT_EQ(1, InstallFailureCount()) << c.name;
    EXPECT_EQ(c.recorded, GetInstallFailure(0)->kind) << c.name;
    EXPECT_STREQ(c.name, GetInstallFailure(0)->subject);
  }
  ClearInstallFailures();
  EXPECT_TRUE(InstallResource(appInstance, MAKEINTRESOURCEA(kPayloadResourceType), MAKEINTRESOURCEA(7), 0));
  ASSERT_EQ(1, InstallFailureCount());
  EXPECT_EQ(kResourceUnnamed, GetInstallFailure(0)->kind);
  EXPECT_TRUE(ListFolder(folder_.path()).empty());
}

TEST_F(PayloadWriterTest, TheEnumerationInstallsInNameOrderUntilAResourceCannotBeLoaded) {
  RegistryKeyGuard velmoran(HKEY_LOCAL_MACHINE, "Software\\Velmoran");
  if (velmoran.existedBefore()) GTEST_SKIP() << "HKLM\\Software\\Velmoran exists already";

  EnumResourceNamesA(appInstance, MAKEINTRESOURCEA(kPayloadResourceType), InstallResource, 0);

  std::vector<std::string> expected = {"AlphaOne.8bf", "Beta Two.8bf", "Gammax.8bf", kLongInstalled,
                                       "MienFold.8bf"};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(expected, ListFolder(folder_.path()));  // not "Zz After.bin": it sorts behind the empty one
  ASSERT_EQ(2, InstallFailureCount());
  EXPECT_EQ(kPresetTooShort, GetInstallFailure(0)->kind);
  EXPECT_STREQ("PRESETS__PATTERNS:BIN", GetInstallFailure(0)->subject);
  EXPECT_EQ(kResourceEmpty, GetInstallFailure(1)->kind);
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Velmoran\\Graphitor"));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Velmoran\\Quiltor"));
}

}  // namespace
