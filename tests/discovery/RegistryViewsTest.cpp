// The whole discovery sequence over every kind of source, with the real vendor keys. The 32-bit build runs this in
// a 64-bit prefix, under WOW64 as users run it, and must read both registry views there, its own first.
#include <gtest/gtest.h>

#include "discovery/FolderTable.h"
#include "discovery/HostProbes.h"
#include "support/TestSupport.h"

TEST(RunDiscovery, FindsEveryKindOfSourceInSequenceOrderInBothRegistryViews) {
  BOOL wow64 = FALSE;
  IsWow64Process(GetCurrentProcess(), &wow64);
  const REGSAM other = wow64 ? KEY_WOW64_64KEY : 0;  // without WOW64 the one view is the program's own
  const HKEY kCu = HKEY_CURRENT_USER, kLm = HKEY_LOCAL_MACHINE, kCr = HKEY_CLASSES_ROOT;
  const char kAppPaths[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\fireworks.exe";
  const struct { HKEY root; const char *top, *below, *name, *data; REGSAM view; } values[] = {  // top is removed again
      {kCu, "software\\velmoran", "\\Mien", "PlugInPath", "own\\plug-ins\\velmoran", 0},
      {kLm, "software\\velmoran", "\\Mien", "PluginDir", "hklm", 0},
      {HKEY_USERS, ".default\\software\\velmoran", "\\Mien", "PluginDir", "users", 0},
      {kLm, "software\\adobe", "\\photoshop\\8.0", "PluginPath", "adobe\\plugins", 0},
      {kLm, "software\\adobe", "", "PluginPath", "direct", 0},  // not below "photoshop"
      {kLm, "software\\adobe", "\\Photoshop\\90.0", "PluginPath", "ps64\\plug-ins", other},
      {kLm, "software\\adobe", "\\Photoshop\\190.0", "ApplicationPath", "ps2025\\", other},  // 2025, as it registers
      {kLm, "software\\adobe", "\\Photoshop\\130.0", "ApplicationPath", "ps2019\\", other},  // before 2020: no such value
      {kLm, "software\\paint.net", "", "TARGETDIR", "pdn", other},
      {kLm, "software\\corel", "\\paint shop", "Plugins", "corel", 0},
      {kCu, "software\\jasc", "\\paint shop pro", "Directory1", "jasc", 0},
      {kLm, "software\\xara", "\\xarax", "Plugins", "xara", 0},
      {kLm, kAppPaths, "", "", "fw\\fireworks.exe", other},  // a key the views may share
      {kCr, "PI3.Image", "\\shell\\open\\command", "", "pi3\\pi3.exe\" \"%1\"", 0},
      {kCr, "PainterFile", "\\shell\\open\\command", "", "painter\\painter.exe\" %1", 0}};
  std::vector<std::unique_ptr<RegistryKeyGuard>> guards;
  for (const auto& v : values) {
    guards.emplace_back(new RegistryKeyGuard(v.root, v.top, v.view));
    if (guards.back()->existedBefore()) GTEST_SKIP() << v.top << " exists already";
  }
  // The shared folders go where the system keeps its Common Files, and only where no Adobe folder is.
  std::vector<std::string> shared;
  for (const char* commonFiles : {"CommonProgramW6432", "CommonProgramFiles(x86)"}) {
    if (const char* common = getenv(commonFiles)) shared.push_back(common + std::string("\\Adobe"));
    bool exists = !shared.empty() && Exists(shared.back());
    if (exists) GTEST_SKIP() << shared.back();
  }
  TempFolder folder;
  const std::string& b = folder.path();
  for (const auto& v : values) {
    std::string data = (v.root == kCr ? "\"" : "") + b + v.data;  // open commands quote their program
    ASSERT_TRUE(SetString(v.root, std::string(v.top) + v.below, v.name, data, REG_SZ, v.view));
  }
  std::vector<std::string> expected;
  for (const char* row : {"Own\\Plug-Ins", "Hklm", "Users", "Adobe\\Plugins", "Ps64\\Plug-Ins", "Ps2025\\Plug-Ins", "*",
                          "Corel", "Jasc", "Xara", "Fw\\Plug-Ins", "Pi3\\Plugin", "Painterplug", "Pdn\\Effects"}) {
    if (row[0] == '*') {
      for (const std::string& adobe : shared) expected.push_back(adobe + "\\Plug-Ins\\CC\\");
    } else {
      expected.push_back(folder.Make(row) + "\\");
    }
  }
  for (const char* f : {"Own\\Plug-Ins\\Velmoran", "Painter", "Direct", "Ps2019\\Plug-Ins"}) folder.Make(f);
  std::string painter = b + "painterplug";
  std::string record = "\x80" + std::string(1, static_cast<char>(painter.size())) + painter + '\0';
  ASSERT_TRUE(WriteWholeFile(b + "painter\\painter.set", Bytes(record.begin(), record.end())));
  // No return between making the shared folders and removing them.
  for (const std::string& adobe : shared) {
    for (const char* part : {"", "\\Plug-Ins", "\\Plug-Ins\\CC"}) CreateDirectoryW(Wide(adobe + part).c_str(), nullptr);
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
