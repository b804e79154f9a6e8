// Discovery where the machine's registry has a 32-bit and a 64-bit view. The 32-bit build runs this in a 64-bit
// prefix, under WOW64 as users run it, and must read both; the 64-bit build reads its own view only.
#include <gtest/gtest.h>

#include "discovery/FolderTable.h"
#include "discovery/HostProbes.h"
#include "support/TestSupport.h"

TEST(RegistryViews, EditorsOfBothViewsAndTheSharedAdobeFoldersAreFound) {
  BOOL wow64 = FALSE;
  IsWow64Process(GetCurrentProcess(), &wow64);
  if (!wow64 && sizeof(void*) == 4) GTEST_SKIP() << "32-bit Windows has one registry view";
  const HKEY kLm = HKEY_LOCAL_MACHINE;
  const char kAdobe[] = "Software\\Adobe";
  const char kAppPaths[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\fireworks.exe";
  RegistryKeyGuard guards[] = {{kLm, kAdobe, KEY_WOW64_32KEY}, {kLm, kAdobe, KEY_WOW64_64KEY},  // what discovery reads
                               {kLm, kAppPaths, KEY_WOW64_32KEY}, {kLm, kAppPaths, KEY_WOW64_64KEY}};
  for (const RegistryKeyGuard& g : guards) if (g.existedBefore()) GTEST_SKIP() << "a key of this test exists already";
  // The shared folders go where the system keeps its Common Files, only where no Adobe folder is.
  std::vector<std::string> shared;
  for (const char* commonFiles : {"CommonProgramW6432", "CommonProgramFiles(x86)"}) {
    const char* common = getenv(commonFiles);
    if (!common) GTEST_SKIP() << "no " << commonFiles;
    shared.push_back(common + std::string("\\Adobe"));
    if (GetFileAttributesA(shared.back().c_str()) != INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << shared.back();
  }
  TempFolder folder;
  const std::string& b = folder.path();
  const struct { REGSAM view; const char *key, *name, *data; } values[] = {
      {KEY_WOW64_32KEY, "Software\\Adobe\\Photoshop\\12.0", "PluginPath", "ps32\\plug-ins"},
      {KEY_WOW64_64KEY, "Software\\Adobe\\Photoshop\\19.0", "PluginPath", "ps64\\plug-ins"},
      {KEY_WOW64_64KEY, kAppPaths, "", "fw64\\fireworks.exe"}};
  for (const auto& v : values) ASSERT_TRUE(SetString(kLm, v.key, v.name, b + v.data, REG_SZ, v.view));
  std::vector<std::string> expected = {folder.Make("Ps32\\Plug-ins\\"), folder.Make("Ps64\\Plug-ins\\")};
  if (!wow64) expected.erase(expected.begin());  // a 64-bit program reads its own view only; else its own first
  for (const std::string& adobe : shared) expected.push_back(adobe + "\\Plug-Ins\\CC\\");
  expected.push_back(folder.Make("Fw64\\Plug-ins\\"));

  // No return between making the shared folders and removing them.
  for (const std::string& adobe : shared) {
    for (const char* part : {"", "\\Plug-Ins", "\\Plug-Ins\\CC"}) CreateDirectoryA((adobe + part).c_str(), nullptr);
  }
  ClearFolderTable();
  RunDiscovery();
  for (const std::string& adobe : shared) RemoveTree(adobe);
  std::vector<std::string> rows = FolderRows();
  for (auto* texts : {&expected, &rows}) {
    for (std::string& text : *texts) CharLowerA(&text[0]);  // letter case is the normalisation's
  }
  EXPECT_EQ(expected, rows);
}
