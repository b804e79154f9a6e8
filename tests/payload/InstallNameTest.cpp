// Installed names derived from stored resource names.
#include <gtest/gtest.h>

#include <string>

#include "payload/InstallName.h"
#include "support/TestSupport.h"

TEST(MakeInstallName, DerivesTheInstalledNameFromTheStoredOne) {
  const char* const cases[][2] = {
      {"MIEN__FOLD.8BF", "MienFold.8bf"}, {"MIEN_FOLD.8BF", "Mien Fold.8bf"}, {"3D__EDGE.8BF", "3DEdge.8bf"},
      {"X8Y", "X8y"}, {"O'BRIEN.8BF", "O'brien.8bf"}, {"PRESETS__SKETCHES:BIN", "PresetsSketchesbin"},
      {"A___B.8BF", "A B.8bf"}, {"A:_B", "A_b"}, {"AB:", "Ab:"}, {"AB__", "Ab"}, {"A-B", "A-B"}, {"", ""}};
  for (const auto& c : cases) {
    std::string name = c[0];  // edited in place
    EXPECT_STREQ(c[1], MakeInstallName(&name[0])) << "stored: " << c[0];
  }
}

TEST(MakeInstallName, NeverGrowsOrOverruns) {
  SweepGuarded(20000, 60, 0, "ABZ09_:.'-8 ", [](char* name, size_t) { MakeInstallName(name); });
}
