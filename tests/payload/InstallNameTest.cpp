// Installed names derived from stored resource names.
#include <gtest/gtest.h>

#include <windows.h>

#include "payload/InstallName.h"

namespace {

TEST(MakeInstallName, DerivesTheInstalledNameFromTheStoredOne) {
  struct {
    const char *stored, *installed;
  } cases[] = {
      {"MIEN__FOLD.8BF", "MienFold.8bf"}, {"MIEN_FOLD.8BF", "Mien Fold.8bf"},   {"ABC__DEF_GHI.8BF", "AbcDef Ghi.8bf"},
      {"TWO__WORDS-X.8BF", "TwoWords-X.8bf"}, {"3D__EDGE.8BF", "3DEdge.8bf"}, {"X8Y", "X8y"},
      {"O'BRIEN.8BF", "O'brien.8bf"},     {"PRESETS__SKETCHES:BIN", "PresetsSketchesbin"},
      {"A___B.8BF", "A B.8bf"},           {"A:_B", "A_b"},                    {"AB:", "Ab:"},
      {"AB__", "Ab"},                     {"", ""},
  };
  for (const auto& c : cases) {
    char name[64];
    lstrcpyA(name, c.stored);
    EXPECT_STREQ(c.installed, MakeInstallName(name)) << "stored: " << c.stored;
  }
}

}  // namespace
