// The payload of this test executable written into real folders, and preset blocks into the test prefix's registry.
#include <gtest/gtest.h>

#include "payload/PayloadWriter.h"
#include "payload/PresetValues.h"
#include "payload/PayloadRun.h"
#include "support/SetupDriver.h"

const wchar_t kLongName[] = L"LONG_NAME_NAME_NAME_NAME_NAME_NAME_NAME_NAME_NAME_NAME_NAME_NAME_NAME_NAME_NAME_NAME_NAME_"
                            "NAME_NAME_NAME_NAME_NAME_NAME_NAME.8BF";  // installed as 128 characters

struct PayloadWriterTest : ::testing::Test {
  void SetUp() override {
    if (maker.existedBefore()) GTEST_SKIP() << "HKLM\\Software\\Velmoran exists already";
    ASSERT_EQ(0u, run.folder.Open(Wide(folder.path()).c_str(), kWriteFolder));
  }
  RegistryKeyGuard maker{HKEY_LOCAL_MACHINE, "Software\\Velmoran"};
  TempFolder folder;
  PayloadRun run;
};

TEST_F(PayloadWriterTest, TheEnumerationWritesEachResourceUntilOneCannotBeLoaded) {
  ASSERT_TRUE(WriteWholeFile(folder.path() + "MienFold.8bf", Bytes(100000, 7)));  // an older version
  ASSERT_TRUE(SetString(HKEY_LOCAL_MACHINE, "Software\\Velmoran\\Graphitor", "Portrait01", "stale"));  // replaced too
  run.skipped.Add(L"two.8");     // matched against the installed name, "Beta Two.8bf", letter case aside
  EnumResourceNamesW(PayloadModule(), MAKEINTRESOURCEW(kPayloadResourceType), InstallResource, reinterpret_cast<LONG_PTR>(&run));
  run.files.Commit();
  std::string longName = "Long";
  for (int word = 0; word < 24; ++word) longName += " Name";
  EXPECT_EQ((std::vector<std::string>{"AlphaOne.8bf", "Gammax.8bf", longName + ".8bf", "MienFold.8bf"}),
            ListFolder(folder.path()));  // no temporary file left; nothing behind the empty resource
  EXPECT_TRUE(ReadWholeFile(folder.path() + "Gammax.8bf") == ResourceBytes("GAMMAX.8BF"));
  EXPECT_TRUE(ReadWholeFile(folder.path() + "MienFold.8bf") == ResourceBytes("MIEN__FOLD.8BF"));  // replaced
  EXPECT_EQ(1, run.failures.count());  // the empty resource
  // One binary value per record, bytes beyond the last ignored; the Bouquets block holds exactly its records.
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
  expectRecords("Software\\Velmoran\\Graphitor", "Portrait", "PRESETS__SKETCHESBIN", 12, 64);
  expectRecords("Software\\Velmoran\\Quiltor", "Bouquet", "PRESETS__BOUQUETSBIN", 16, 128);
}

TEST_F(PayloadWriterTest, WhatCannotBeInstalledIsRecordedAndAnOldFileKept) {
  const std::string target = folder.path() + "MienFold.8bf";
  ASSERT_TRUE(WriteWholeFile(target, Bytes(3000, 0x42)));
  SetFileAttributesW(Wide(target).c_str(), FILE_ATTRIBUTE_READONLY);  // protected by its owner
  struct { const wchar_t* name; size_t folderLength; BOOL goOn; FailureKind recorded; } cases[] = {
      {L"MIEN__FOLD.8BF", 0, TRUE, kFileNotWritten},
      {kLongName, 371, TRUE, kFileNotWritten},  // 499 characters fit; the folder is missing
      {kLongName, 372, TRUE, kNameTooLong},
      {L"NOT_THERE.8BF", 0, FALSE, kResourceNotFound},
      {L"YY_EMPTY.BIN", 0, FALSE, kResourceEmpty},
      {MAKEINTRESOURCEW(7), 0, TRUE, kResourceUnnamed}};
  for (const auto& c : cases) {
    SCOPED_TRACE(&c - cases);
    run.failures.Clear();
    std::wstring name = IS_INTRESOURCE(c.name) ? L"" : c.name;  // the enumeration hands out writable names
    if (c.folderLength) run.folder.Open((L"C:\\" + std::wstring(c.folderLength - 4, L'f') + L"\\").c_str(), kReadFolder);
    EXPECT_EQ(c.goOn, InstallResource(PayloadModule(), nullptr, IS_INTRESOURCE(c.name) ? const_cast<wchar_t*>(c.name) : &name[0],
                                      reinterpret_cast<LONG_PTR>(&run)));
    ASSERT_EQ(1, run.failures.count());
    EXPECT_EQ(c.recorded, run.failures.Get(0)->kind);
    EXPECT_NE(0u, run.failures.Get(0)->error);
  }
  // A block shorter than its records, as only an altered setup carries: refused whole.
  run.failures.Clear();
  const BYTE shortBlock[1000] = {};
  WritePresetBlock(&run, *FindPresetKind(L"PresetsPatternsbin"), shortBlock, sizeof shortBlock, L"PRESETS__PATTERNSBIN");
  ASSERT_EQ(1, run.failures.count());
  EXPECT_EQ(kPresetTooShort, run.failures.Get(0)->kind);
  EXPECT_EQ(std::vector<std::string>{"MienFold.8bf"}, ListFolder(folder.path()));
  EXPECT_TRUE(ReadWholeFile(target) == Bytes(3000, 0x42));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Velmoran\\Quiltor"));  // nothing of the block refused
}

// A failed run puts every preset value back as it was: the one it replaced gets its bytes back, the one it made goes,
// with its key where the run made that too.
TEST_F(PayloadWriterTest, TakingBackPutsEachPresetValueBackAsItWas) {
  ASSERT_TRUE(SetString(HKEY_LOCAL_MACHINE, "Software\\Velmoran\\Graphitor", "Portrait01", "earlier"));
  const BYTE newer[64] = {7};
  const struct { const wchar_t *key, *name; } values[] = {{L"Software\\Velmoran\\Graphitor", L"Portrait01"},
                                                         {L"Software\\Velmoran\\Quiltor", L"Bouquet01"}};
  for (const auto& value : values) {
    ASSERT_EQ(ERROR_SUCCESS, run.values.Remember(value.key, value.name, 0));
    ASSERT_EQ(ERROR_SUCCESS, WriteRegistryValue(value.name, value.key, newer, sizeof newer, 0));
  }
  run.values.TakeBack(&run.failures);
  EXPECT_EQ(0, run.failures.count());
  EXPECT_EQ("earlier", ReadText(HKEY_LOCAL_MACHINE, "Software\\Velmoran\\Graphitor", "Portrait01"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Velmoran\\Quiltor"));
}
