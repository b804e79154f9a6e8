// Discovery on 64-bit Windows, where the machine's registry has a 32-bit and a 64-bit view. The
// 32-bit build runs this in a 64-bit prefix, under WOW64 as users run it, and must read both; the
// 64-bit build reads its own view only.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "discovery/FolderTable.h"
#include "discovery/HostProbes.h"
#include "support/TestSupport.h"

namespace {

const char kAppPaths[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\fireworks.exe";

std::string CommonFiles(REGSAM view, const char* name = "CommonFilesDir") {
  Bytes data;
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", 0, KEY_READ | view, &key)) return "";
  DWORD size = 0;
  RegQueryValueExA(key, name, nullptr, nullptr, nullptr, &size);
  std::string text(size, '\0');
  RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&text[0]), &size);
  RegCloseKey(key);
  return text.c_str();
}

TEST(RegistryViews, EditorsOfBothViewsAndTheSharedAdobeFoldersAreFound) {
  BOOL wow64 = FALSE;
  IsWow64Process(GetCurrentProcess(), &wow64);
  if (!wow64 && sizeof(void*) == 4) GTEST_SKIP() << "32-bit Windows has one registry view";
  std::vector<std::unique_ptr<RegistryKeyGuard>> guards;
  for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
    for (const char* key : {"Software\\Adobe", kAppPaths}) {
      guards.emplace_back(new RegistryKeyGuard(HKEY_LOCAL_MACHINE, key, view));
      if (guards.back()->existedBefore()) GTEST_SKIP() << key << " exists already";
    }
  }
  // The shared folders go where the system keeps its Common Files; made only where no Adobe
  // folder is, and removed again.
  std::vector<std::string> shared;
  for (const std::string& common :
       {CommonFiles(KEY_WOW64_64KEY), CommonFiles(KEY_WOW64_32KEY, wow64 ? "CommonFilesDir" : "CommonFilesDir (x86)")}) {
    if (GetFileAttributesA((common + "\\Adobe").c_str()) != INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << common << "\\Adobe exists";
    shared.push_back(common + "\\Adobe");
  }
  struct Remover {
    std::vector<std::string>& folders;
    ~Remover() {
      for (const std::string& f : folders) RemoveTree(f);
    }
  } remover{shared};
  for (const std::string& adobe : shared) {
    for (const char* part : {"", "\\Plug-Ins", "\\Plug-Ins\\CC"}) CreateDirectoryA((adobe + part).c_str(), nullptr);
  }

  TempFolder folder;
  const std::string& b = folder.path();
  for (const char* f : {"Ps32\\Plug-ins", "Ps64\\Plug-ins", "Both", "Fw64\\Plug-ins"}) folder.Make(f);
  ASSERT_TRUE(SetString(HKEY_LOCAL_MACHINE, "Software\\Adobe\\Photoshop\\12.0", "PluginPath", b + "ps32\\plug-ins", REG_SZ, KEY_WOW64_32KEY));
  ASSERT_TRUE(SetString(HKEY_LOCAL_MACHINE, "Software\\Adobe\\Photoshop\\13.0", "PluginPath", b + "both", REG_SZ, KEY_WOW64_32KEY));
  ASSERT_TRUE(SetString(HKEY_LOCAL_MACHINE, "Software\\Adobe\\Photoshop\\180.0", "PluginPath", b + "both\\", REG_SZ, KEY_WOW64_64KEY));
  ASSERT_TRUE(SetString(HKEY_LOCAL_MACHINE, "Software\\Adobe\\Photoshop\\190.0", "PluginPath", b + "ps64\\plug-ins", REG_SZ, KEY_WOW64_64KEY));
  ASSERT_TRUE(SetString(HKEY_LOCAL_MACHINE, kAppPaths, "", b + "fw64\\fireworks.exe", REG_SZ, KEY_WOW64_64KEY));

  ClearFolderTable();
  RunDiscovery();

  std::vector<std::string> expected;
  if (wow64) expected = {b + "Ps32\\Plug-Ins\\", b + "Both\\"};  // the program's own view first
  for (const std::string& row : {b + "Both\\", b + "Ps64\\Plug-Ins\\"}) {
    if (std::find(expected.begin(), expected.end(), row) == expected.end()) expected.push_back(row);
  }
  for (const std::string& adobe : shared) expected.push_back(adobe + "\\Plug-Ins\\CC\\");
  expected.push_back(b + "Fw64\\Plug-Ins\\");
  std::vector<std::string> rows = FolderRows();
  for (std::vector<std::string>* texts : {&expected, &rows}) {
    for (std::string& text : *texts) CharLowerA(&text[0]);  // letter case is the normalisation's
  }
  EXPECT_EQ(expected, rows);
}

}  // namespace
