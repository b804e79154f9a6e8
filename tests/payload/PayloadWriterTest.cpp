// Writing the payload resources of this test executable into real folders, and preset blocks into
// the real registry of the test prefix.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "payload/InstallFailures.h"
#include "payload/PayloadWriter.h"
#include "payload/SkipList.h"
#include "support/TestSupport.h"

namespace {

const char kLongName[] = "LONG_NAME_NAME_NAME_NAME_NAME_NAME_NAME_NAME_NAME_NAME_NAME_NAME_NAME_NAME_NAME_NAME_NAME_NAME_NAME_"
                         "NAME_NAME_NAME_NAME_NAME.8BF";  // installed under 128 characters
const char kGraphitor[] = "Software\\Velmoran\\Graphitor";
const char kQuiltor[] = "Software\\Velmoran\\Quiltor";

class PayloadWriterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (maker_.existedBefore()) GTEST_SKIP() << "HKLM\\Software\\Velmoran exists already";
    ClearInstallFailures();
    ClearSkipList();
  }
  BOOL Install(const char* storedName, const std::string& folder = "") {
    char name[kFileNameCapacity];
    if (!IS_INTRESOURCE(storedName)) lstrcpyA(name, storedName);  // the enumeration hands out writable names
    return InstallResource(nullptr, nullptr, IS_INTRESOURCE(storedName) ? const_cast<char*>(storedName) : name,
                           reinterpret_cast<LONG_PTR>((folder.empty() ? folder_.path() : folder).c_str()));
  }
  RegistryKeyGuard maker_{HKEY_LOCAL_MACHINE, "Software\\Velmoran"};
  TempFolder folder_;
};

TEST_F(PayloadWriterTest, TheEnumerationWritesEachResourceUntilOneCannotBeLoaded) {
  ASSERT_TRUE(WriteWholeFile(folder_.path() + "MienFold.8bf", Bytes(100000, 7)));  // an older version
  AddSkipNeedle("Two.8");  // matched against the installed name, "Beta Two.8bf"
  EnumResourceNamesA(nullptr, MAKEINTRESOURCEA(kPayloadResourceType), InstallResource,
                     reinterpret_cast<LONG_PTR>(folder_.path().c_str()));
  std::string longName = "Long";
  for (int word = 0; word < 24; ++word) longName += " Name";
  EXPECT_EQ((std::vector<std::string>{"AlphaOne.8bf", "Gammax.8bf", longName + ".8bf", "MienFold.8bf"}),
            ListFolder(folder_.path()));  // no temporary file left; nothing behind the empty resource
  for (const char* stored : {"ALPHA__ONE.8BF", "GAMMA:X.8BF", "MIEN__FOLD.8BF"}) {
    std::string installed = stored[0] == 'A' ? "AlphaOne.8bf" : stored[0] == 'G' ? "Gammax.8bf" : "MienFold.8bf";
    EXPECT_TRUE(ReadWholeFile(folder_.path() + installed) == ResourceBytes(stored)) << installed;
  }
  ASSERT_EQ(2, InstallFailureCount());
  EXPECT_EQ(kPresetTooShort, GetInstallFailure(0)->kind);  // refused whole: no Patterns value
  EXPECT_STREQ("PRESETS__PATTERNS:BIN", GetInstallFailure(0)->subject);
  EXPECT_EQ(kResourceEmpty, GetInstallFailure(1)->kind);
  Bytes data;
  EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, kQuiltor, "Patterns01", &data));
}

TEST_F(PayloadWriterTest, EachPresetRecordBecomesOneBinaryValue) {
  struct {
    const char *stored, *key, *prefix;
    int records, recordSize;
  } cases[] = {
      {"PRESETS__SKETCHES:BIN", kGraphitor, "Portrait", 12, 64},  // 10 bytes beyond, ignored
      {"PRESETS__BOUQUETS:BIN", kQuiltor, "Bouquet", 16, 128},    // exactly 16 records
      {"PRESETS__SKETCHES:BIN_PRESETS__BOUQUETS:BIN", kGraphitor, "Portrait", 12, 64},  // the first kind
  };
  for (const auto& c : cases) {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Velmoran");
    ASSERT_TRUE(SetString(HKEY_LOCAL_MACHINE, c.key, std::string(c.prefix) + "01", "stale"));
    EXPECT_TRUE(Install(c.stored));
    Bytes block = ResourceBytes(c.stored), data;
    for (int record = 1; record <= c.records + 1; ++record) {
      char name[32];
      wsprintfA(name, "%s%02d", c.prefix, record);
      DWORD type = 0;
      ASSERT_EQ(record <= c.records, ReadValue(HKEY_LOCAL_MACHINE, c.key, name, &data, &type)) << c.stored << name;
      EXPECT_TRUE(record > c.records || (type == REG_BINARY && Bytes(block.begin() + (record - 1) * c.recordSize,
                                                                      block.begin() + record * c.recordSize) == data))
          << name;
    }
    EXPECT_EQ(1, KeyExists(HKEY_LOCAL_MACHINE, kGraphitor) + KeyExists(HKEY_LOCAL_MACHINE, kQuiltor)) << c.stored;
  }
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Velmoran");
  AddSkipNeedle("Sketches");  // a skipped block is not even measured
  EXPECT_TRUE(Install("PRESETS__SKETCHES:BIN"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kGraphitor));
  EXPECT_TRUE(ListFolder(folder_.path()).empty());
  EXPECT_EQ(0, InstallFailureCount());
}

TEST_F(PayloadWriterTest, WhatCannotBeInstalledIsRecordedAndAnOldFileKept) {
  std::string target = folder_.path() + "MienFold.8bf";
  const Bytes old(3000, 0x42);
  ASSERT_TRUE(WriteWholeFile(target, old));
  SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY);  // protected by its owner
  struct {
    const char* name;
    size_t folderLength;
    BOOL goOn;
    InstallFailureKind recorded;
  } cases[] = {
      {"MIEN__FOLD.8BF", 0, TRUE, kFileNotWritten},
      {kLongName, 371, TRUE, kFileNotWritten},  // 499 characters fit; the folder is missing
      {kLongName, 372, TRUE, kNameTooLong},
      {"NOT_THERE.8BF", 0, FALSE, kResourceNotFound},
      {"YY_EMPTY.BIN", 0, FALSE, kResourceEmpty},
      {MAKEINTRESOURCEA(7), 0, TRUE, kResourceUnnamed},
  };
  for (const auto& c : cases) {
    ClearInstallFailures();
    EXPECT_EQ(c.goOn, Install(c.name, c.folderLength ? "C:\\" + std::string(c.folderLength - 4, 'f') + "\\" : ""));
    ASSERT_EQ(1, InstallFailureCount()) << c.folderLength;
    EXPECT_EQ(c.recorded, GetInstallFailure(0)->kind) << c.folderLength;
    EXPECT_NE(0u, GetInstallFailure(0)->error);
  }
  EXPECT_EQ(std::vector<std::string>{"MienFold.8bf"}, ListFolder(folder_.path()));
  EXPECT_TRUE(ReadWholeFile(target) == old);
}

}  // namespace
