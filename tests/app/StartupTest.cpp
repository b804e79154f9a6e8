// The built setup executable carries its payload byte for byte.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/SetupDriver.h"
#include "support/TestSupport.h"

namespace {

const std::string kSetup = BinFolder() + "VelmoranSetup.exe";

TEST(Startup, CarriesThePlaceholderFilterByteForByte) {
  HMODULE setup = LoadLibraryExA(kSetup.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(nullptr, setup) << GetLastError();
  std::vector<unsigned char> embedded = ResourceBytes("MIEN__FOLD.8BF", setup);
  FreeLibrary(setup);
  std::vector<unsigned char> generated;
  ASSERT_TRUE(ReadWholeFile(BinFolder() + "..\\payload\\MIEN__FOLD.8BF", &generated));
  EXPECT_EQ(77824u, embedded.size());
  EXPECT_TRUE(embedded == generated);
}

}  // namespace

namespace {

TEST(Startup, AsksForAdministratorRightsAndDeclaresNoDpiAwareness) {
  HMODULE setup = LoadLibraryExA(kSetup.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(nullptr, setup);
  HRSRC found = FindResourceA(setup, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
  ASSERT_NE(nullptr, found);
  const char* text = static_cast<const char*>(LockResource(LoadResource(setup, found)));
  std::string manifest(text, SizeofResource(setup, found));
  FreeLibrary(setup);
  EXPECT_NE(std::string::npos, manifest.find("level=\"requireAdministrator\""));
  EXPECT_NE(std::string::npos, manifest.find("supportedOS"));
  EXPECT_EQ(std::string::npos, manifest.find("dpiAware"));  // the skin is pixel-exact
}

}  // namespace
