// What the built executable declares to the system.
#include <gtest/gtest.h>

#include <string>

#include "app/SetupDriver.h"

namespace {

TEST(Startup, AsksForAdministratorRightsAndDeclaresNoDpiAwareness) {
  HMODULE setup = LoadLibraryExA((BinFolder() + "VelmoranSetup.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  HRSRC found = FindResourceA(setup, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
  ASSERT_NE(nullptr, found);
  std::string manifest(static_cast<const char*>(LockResource(LoadResource(setup, found))), SizeofResource(setup, found));
  FreeLibrary(setup);
  EXPECT_NE(std::string::npos, manifest.find("level=\"requireAdministrator\""));
  EXPECT_NE(std::string::npos, manifest.find("supportedOS"));
  EXPECT_EQ(std::string::npos, manifest.find("dpiAware"));  // the skin is pixel-exact
}

}  // namespace

namespace {

TEST(Startup, APlainNewThatFailsEndsTheProgramWithAMessage) {
  RunningSetup probe(BinFolder() + "plain_new_probe.exe");  // asks for more memory than there is
  EXPECT_NE(std::string::npos, probe.CloseMessage().find("not enough memory")) << "exit code " << probe.WaitForExit(0);
  EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY), probe.WaitForExit());
}

}  // namespace
