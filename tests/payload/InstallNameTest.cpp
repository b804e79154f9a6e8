// Installed names derived from stored resource names.
#include <gtest/gtest.h>

#include <string>

#include "payload/InstallName.h"
#include "support/TestSupport.h"

TEST(MakeInstallName, DerivesTheInstalledNameFromTheStoredOne) {
  const wchar_t* const cases[][2] = {
      {L"MIEN__FOLD.8BF", L"MienFold.8bf"}, {L"MIEN_FOLD.8BF", L"Mien Fold.8bf"}, {L"3D__EDGE.8BF", L"3DEdge.8bf"},
      {L"X8Y", L"X8y"}, {L"O'BRIEN.8BF", L"O'brien.8bf"}, {L"PRESETS__SKETCHES:BIN", L"PresetsSketchesbin"},
      {L"A___B.8BF", L"A B.8bf"}, {L"A:_B", L"A_b"}, {L"AB:", L"Ab:"}, {L"AB__", L"Ab"}, {L"A-B", L"A-B"}, {L"", L""}};
  for (const auto& c : cases) {
    std::wstring name = c[0];  // edited in place
    EXPECT_STREQ(c[1], MakeInstallName(&name[0])) << "stored: " << Utf8(c[0]);
  }
}

TEST(MakeInstallName, NeverGrowsOrOverruns) {
  SweepGuarded(20000, 60, 0, L"ABZ09_:.'-8 ", [](wchar_t* name, size_t) { MakeInstallName(name); });
}
