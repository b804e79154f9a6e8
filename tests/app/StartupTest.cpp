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
