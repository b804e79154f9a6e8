// The payload of this test executable written into real folders, and preset blocks into the test prefix's registry.
#include <gtest/gtest.h>

#include "payload/InstallFailures.h"
#include "payload/PayloadWriter.h"
#include "payload/SkipList.h"
#include "support/SetupDriver.h"

const char kLongName[] = "LONG_NAME_NAME_NAME_NAME_NAME_NAME_NAME_NAME_NAME_NAME_NAME_NAME_NAME_NAME_NAME_NAME_NAME_"
                         "NAME_NAME_NAME_NAME_NAME_NAME_NAME.8BF";  // installed as 128 characters

struct PayloadWriterTest : ::testing::Test {
  void SetUp() override { if (maker.existedBefore()) GTEST_SKIP() << "HKLM\\Software\\Velmoran exists already"; }
  RegistryKeyGuard maker{HKEY_LOCAL_MACHINE, "Software\\Velmoran"};
  TempFolder folder;
};

TEST_F(PayloadWriterTest, TheEnumerationWritesEachResourceUntilOneCannotBeLoaded) {
  ASSERT_TRUE(WriteWholeFile(folder.path() + "MienFold.8bf", Bytes(100000, 7)));  // an older version
  ASSERT_TRUE(SetString(HKEY_LOCAL_MACHINE, "Software\\Velmoran\\Graphitor", "Portrait01", "stale"));  // replaced too
  AddSkipKeyword("Two.8");     // matched against the installed name, "Beta Two.8bf"
  AddSkipKeyword("Patterns");  // a block too short for its records: skipped, it is not even measured
  EnumResourceNamesA(nullptr, MAKEINTRESOURCEA(kPayloadResourceType), InstallResource,
                     reinterpret_cast<LONG_PTR>(folder.path().c_str()));
  std::string longName = "Long";
  for (int word = 0; word < 24; ++word) longName += " Name";
  EXPECT_EQ((std::vector<std::string>{"AlphaOne.8bf", "Gammax.8bf", longName + ".8bf", "MienFold.8bf"}),
            ListFolder(folder.path()));  // no temporary file left; nothing behind the empty resource
  EXPECT_TRUE(ReadWholeFile(folder.path() + "Gammax.8bf") == ResourceBytes("GAMMA:X.8BF"));
  EXPECT_TRUE(ReadWholeFile(folder.path() + "MienFold.8bf") == ResourceBytes("MIEN__FOLD.8BF"));  // replaced
  EXPECT_EQ(1, InstallFailureCount());  // the empty resource
  // One binary value per record, bytes beyond the last ignored. The block named for both kinds is the first kind's,
  // written after the Sketches block; the Bouquets block holds exactly its records.
  auto expectRecords = [](const char* key, const char* prefix, const char* stored, int count, int size) {
    Bytes block = ResourceBytes(stored), joined, data;
    for (int record = 1; record <= count + 1; ++record) {
      std::string name = prefix + std::string(record < 10, '0') + std::to_string(record);
      DWORD type = 0;
      EXPECT_EQ(record <= count, ReadValue(HKEY_LOCAL_MACHINE, key, name, &data, &type) && type == REG_BINARY) << name;
      joined.insert(joined.end(), data.begin(), data.end());
    }
    EXPECT_TRUE(joined == Bytes(block.begin(), block.begin() + count * size)) << prefix;
  };
  expectRecords("Software\\Velmoran\\Graphitor", "Portrait", "PRESETS__SKETCHES:BIN_PRESETS__BOUQUETS:BIN", 12, 64);
  expectRecords("Software\\Velmoran\\Quiltor", "Bouquet", "PRESETS__BOUQUETS:BIN", 16, 128);
}

TEST_F(PayloadWriterTest, WhatCannotBeInstalledIsRecordedAndAnOldFileKept) {
  const std::string target = folder.path() + "MienFold.8bf";
  ASSERT_TRUE(WriteWholeFile(target, Bytes(3000, 0x42)));
  SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY);  // protected by its owner
  struct { const char* name; size_t folderLength; BOOL goOn; InstallFailureKind recorded; } cases[] = {
      {"MIEN__FOLD.8BF", 0, TRUE, kFileNotWritten},
      {kLongName, 371, TRUE, kFileNotWritten},  // 499 characters fit; the folder is missing
      {kLongName, 372, TRUE, kNameTooLong},
      {"PRESETS__PATTERNS:BIN", 0, TRUE, kPresetTooShort},  // refused whole
      {"NOT_THERE.8BF", 0, FALSE, kResourceNotFound},
      {"YY_EMPTY.BIN", 0, FALSE, kResourceEmpty},
      {MAKEINTRESOURCEA(7), 0, TRUE, kResourceUnnamed}};
  for (const auto& c : cases) {
    SCOPED_TRACE(&c - cases);
    ClearInstallFailures();
    std::string name = IS_INTRESOURCE(c.name) ? "" : c.name;  // the enumeration hands out writable names
    std::string into = c.folderLength ? "C:\\" + std::string(c.folderLength - 4, 'f') + "\\" : folder.path();
    EXPECT_EQ(c.goOn, InstallResource(nullptr, nullptr, IS_INTRESOURCE(c.name) ? const_cast<char*>(c.name) : &name[0],
                                      reinterpret_cast<LONG_PTR>(into.c_str())));
    ASSERT_EQ(1, InstallFailureCount());
    EXPECT_EQ(c.recorded, GetInstallFailure(0)->kind);
    EXPECT_NE(0u, GetInstallFailure(0)->error);
  }
  EXPECT_EQ(std::vector<std::string>{"MienFold.8bf"}, ListFolder(folder.path()));
  EXPECT_TRUE(ReadWholeFile(target) == Bytes(3000, 0x42));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Velmoran\\Quiltor"));  // nothing of the block refused
}

// A plug-in loaded by an editor can only be renamed. When its successor then cannot move in (here
// a program holds the new file so that it cannot be renamed), the old one goes back to its name.
TEST_F(PayloadWriterTest, ALoadedPlugInGoesBackWhenItsSuccessorCannotMoveIn) {
  const std::string plugIn = folder.path() + "Held.8bf", successor = folder.path() + "successor.tmp";
  const Bytes old = ReadWholeFile(BinFolder() + "plugin_v1.dll");
  ASSERT_TRUE(WriteWholeFile(plugIn, old) && WriteWholeFile(successor, {1, 2, 3}));
  HMODULE loaded = LoadLibraryA(plugIn.c_str());
  ASSERT_TRUE(loaded);
  HANDLE held = CreateFileA(successor.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(0u, MoveIntoPlace(successor.c_str(), plugIn.c_str()));
  CloseHandle(held);
  EXPECT_EQ((std::vector<std::string>{"Held.8bf", "successor.tmp"}), ListFolder(folder.path()));
  EXPECT_TRUE(ReadWholeFile(plugIn) == old);
  FreeLibrary(loaded);
}
