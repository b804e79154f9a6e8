// Preset blocks become binary values in the real registry of the test prefix.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/SetupState.h"
#include "payload/InstallFailures.h"
#include "payload/PayloadWriter.h"
#include "payload/PresetValues.h"
#include "payload/SkipList.h"
#include "support/TestSupport.h"

namespace {

const char kMakerKey[] = "Software\\Velmoran";
const char kGraphitor[] = "Software\\Velmoran\\Graphitor";
const char kQuiltor[] = "Software\\Velmoran\\Quiltor";

class PresetValuesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (maker_.existedBefore()) GTEST_SKIP() << "HKLM\\Software\\Velmoran exists already";
    appInstance = GetModuleHandleA(nullptr);
    ClearInstallFailures();
    for (FolderEntry& row : SkipList) row = FolderEntry();
    lstrcpyA(targetFolder, folder_.path().c_str());
  }
  static BOOL Install(const char* storedName) {
    char name[kFileNameCapacity];
    lstrcpyA(name, storedName);
    return InstallResource(appInstance, MAKEINTRESOURCEA(kPayloadResourceType), name, 0);
  }
  static std::string ValueName(const char* prefix, int record) {
    return prefix + std::string(record < 10 ? "0" : "") + std::to_string(record);
  }
  RegistryKeyGuard maker_{HKEY_LOCAL_MACHINE, kMakerKey};
  TempFolder folder_;
};

TEST_F(PresetValuesTest, EachRecordBecomesOneBinaryValue) {
  struct {
    const char* stored;
    const char* key;
    const char* prefix;
    int records;
    size_t recordSize;
    const char* untouchedKey;  // the other product's key is not created
  } cases[] = {
      {"PRESETS__SKETCHES:BIN", kGraphitor, "Portrait", 12, 64, kQuiltor},   // 10 bytes extra, ignored
      {"PRESETS__BOUQUETS:BIN", kQuiltor, "Bouquet", 16, 128, kGraphitor},  // exactly 16 records
      // both keywords: the first kind in order wins
      {"PRESETS__SKETCHES:BIN_PRESETS__BOUQUETS:BIN", kGraphitor, "Portrait", 12, 64, kQuiltor},
  };
  for (const auto& c : cases) {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kMakerKey);
    EXPECT_TRUE(Install(c.stored));
    std::vector<unsigned char> block = ResourceBytes(c.stored);
    ASSERT_GE(block.size(), c.records * c.recordSize);
    for (int record = 1; record <= c.records + 1; ++record) {
      DWORD type = 0;
      std::vector<unsigned char> data;
      bool read = ReadValue(HKEY_LOCAL_MACHINE, c.key, ValueName(c.prefix, record), &type, &data);
      if (record > c.records) {
        EXPECT_FALSE(read) << c.stored << ": no value past the last record";
        continue;
      }
      ASSERT_TRUE(read) << c.stored << " " << ValueName(c.prefix, record);
      EXPECT_EQ(static_cast<DWORD>(REG_BINARY), type);
      std::vector<unsigned char> expected(block.begin() + (record - 1) * c.recordSize,
                                          block.begin() + record * c.recordSize);
      EXPECT_TRUE(expected == data) << c.stored << " record " << record;
    }
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, c.untouchedKey)) << c.stored;
    EXPECT_TRUE(ListFolder(folder_.path()).empty()) << c.stored << ": a block is not a file";
  }
  EXPECT_EQ(0, InstallFailureCount());
}

TEST_F(PresetValuesTest, RecordNumbersAlwaysHaveTwoDigits) {
  EXPECT_TRUE(Install("PRESETS__BOUQUETS:BIN"));
  DWORD type;
  std::vector<unsigned char> data;
  for (const char* name : {"Bouquet01", "Bouquet09", "Bouquet10", "Bouquet16"}) {
    EXPECT_TRUE(ReadValue(HKEY_LOCAL_MACHINE, kQuiltor, name, &type, &data)) << name;
  }
  EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, kQuiltor, "Bouquet1", &type, &data));
}

TEST_F(PresetValuesTest, ReplacesEarlierValues) {
  const unsigned char stale[] = {1, 2, 3};
  ASSERT_EQ(ERROR_SUCCESS, WriteRegistryValue("Portrait01", kGraphitor, stale, sizeof stale));
  EXPECT_TRUE(Install("PRESETS__SKETCHES:BIN"));
  DWORD type;
  std::vector<unsigned char> data;
  ASSERT_TRUE(ReadValue(HKEY_LOCAL_MACHINE, kGraphitor, "Portrait01", &type, &data));
  std::vector<unsigned char> block = ResourceBytes("PRESETS__SKETCHES:BIN");
  EXPECT_TRUE(std::vector<unsigned char>(block.begin(), block.begin() + 64) == data);
}

TEST_F(PresetValuesTest, AShortBlockIsRefusedWholeAndRecorded) {
  ASSERT_LT(ResourceBytes("PRESETS__PATTERNS:BIN").size(), 12u * 128u);
  EXPECT_TRUE(Install("PRESETS__PATTERNS:BIN"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kQuiltor));
  ASSERT_EQ(1, InstallFailureCount());
  EXPECT_EQ(kPresetTooShort, GetInstallFailure(0)->kind);
  EXPECT_TRUE(ListFolder(folder_.path()).empty());
}

TEST_F(PresetValuesTest, ASkippedKeywordComesBeforeTheBlockTest) {
  AddSkipNeedle("Sketches");
  EXPECT_TRUE(Install("PRESETS__SKETCHES:BIN"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kGraphitor));
  EXPECT_EQ(0, InstallFailureCount());
}

}  // namespace
