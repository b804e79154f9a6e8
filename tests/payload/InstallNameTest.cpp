// Installed names derived from stored resource names.
#include <gtest/gtest.h>

#include "payload/InstallName.h"
#include "payload/PresetValues.h"

namespace {

TEST(MakeInstallName, DerivesTheInstalledNameFromTheStoredOne) {
  struct {
    const char* stored;
    const char* installed;
  } cases[] = {
      {"MIEN__FOLD.8BF", "MienFold.8bf"},
      {"MIEN_FOLD.8BF", "Mien Fold.8bf"},
      {"ABC__DEF_GHI.8BF", "AbcDef Ghi.8bf"},
      {"TWO__WORDS-X.8BF", "TwoWords-X.8bf"},
      {"3D__EDGE.8BF", "3DEdge.8bf"},
      {"X8Y", "X8y"},
      {"O'BRIEN.8BF", "O'brien.8bf"},
      {"PRESETS__SKETCHES:BIN", "PresetsSketchesbin"},
      {"PRESETS_SKETCHES.BIN", "Presets Sketches.bin"},
      {"A___B.8BF", "A B.8bf"},
      {"A:_B", "A_b"},
      {"AB:", "Ab:"},
      {"README.TXT", "Readme.txt"},
      {"AB__", "Ab"},  // "__" at the very end leaves nothing behind it to capitalise
      {"A", "A"},
      {"", ""},
  };
  for (const auto& c : cases) {
    char name[64];
    lstrcpyA(name, c.stored);
    EXPECT_STREQ(c.installed, MakeInstallName(name)) << "stored: " << c.stored;
  }
}

TEST(FindPresetKind, RecognisesBlocksByTheInstalledNameInTableOrder) {
  struct {
    const char* installed;
    const char* keyPath;  // null: an ordinary file
    const char* prefix;
  } cases[] = {
      {"PresetsSketchesbin", "Software\\Velmoran\\Graphitor", "Portrait"},
      {"PresetsBouquetsbin", "Software\\Velmoran\\Quiltor", "Bouquet"},
      {"PresetsPatternsbin", "Software\\Velmoran\\Quiltor", "Patterns"},
      {"PresetsBouquetsbin PresetsSketchesbin", "Software\\Velmoran\\Graphitor", "Portrait"},
      {"Presets Sketches.bin", nullptr, nullptr},
      {"presetssketchesbin", nullptr, nullptr},  // the test is case-sensitive
      {"MienFold.8bf", nullptr, nullptr},
  };
  for (const auto& c : cases) {
    const PresetKind* kind = FindPresetKind(c.installed);
    if (!c.keyPath) {
      EXPECT_EQ(nullptr, kind) << c.installed;
      continue;
    }
    ASSERT_NE(nullptr, kind) << c.installed;
    EXPECT_STREQ(c.keyPath, kind->keyPath) << c.installed;
    EXPECT_STREQ(c.prefix, kind->valuePrefix) << c.installed;
  }
}

}  // namespace
