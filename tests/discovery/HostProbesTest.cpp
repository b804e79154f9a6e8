// Editor-specific probes: command-line folders, the painter settings file, and the whole
// discovery sequence over a prepared registry.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "discovery/FolderTable.h"
#include "discovery/HostProbes.h"
#include "support/TestSupport.h"

namespace {

Bytes Record(const std::string& path, int declaredLength = -1, Bytes before = {}) {
  before.push_back(0x80);
  before.push_back(static_cast<unsigned char>(declaredLength < 0 ? path.size() : declaredLength));
  before.insert(before.end(), path.begin(), path.end() + 1);  // with its NUL
  return before;
}

TEST(ScanPainterSettings, TakesTheFirstValidRecordOnly) {
  TempFolder folder;
  const std::string& b = folder.path();
  for (const char* f : {"First", "Second"}) folder.Make(f);
  std::string long249 = b + std::string(249 - b.size(), 'g'), long250 = b + std::string(250 - b.size(), 'h');
  CreateDirectoryA(long249.c_str(), nullptr);
  CreateDirectoryA(long250.c_str(), nullptr);
  // A rejected record whose last consumed byte is the marker of the record behind it.
  Bytes markerConsumedLast = {0x80, 20, 'C', ':', '\\'};
  markerConsumedLast.insert(markerConsumedLast.end(), 246, 'z');
  Bytes second = Record(b + "second", -1, markerConsumedLast);  // its marker is the 247th byte read
  struct {
    const char* what;
    Bytes file;
    std::vector<std::string> rows;
  } cases[] = {
      {"after other bytes", Record(b + "first", -1, {1, 0x80, 0x80, 'C', ':'}), {b + "First\\"}},
      {"wrong length first", Record(b + "first", -1, Record(b + "second", static_cast<int>(b.size()) + 7)), {b + "First\\"}},
      {"two valid records", Record(b + "second", -1, Record(b + "first")), {b + "First\\"}},
      {"249 characters", Record(long249), {b + "G" + std::string(248 - b.size(), 'g') + "\\"}},
      {"250 characters", Record(long250), {}},
      {"marker consumed last", second, {b + "Second\\"}},
      {"ends inside a record", {0x80, 40, 'C', ':', '\\', 'a'}, {}},
      {"ends after a marker", {0x80}, {}},
  };
  for (const auto& c : cases) {
    ClearFolderTable();
    ASSERT_TRUE(WriteWholeFile(b + "painter.set", c.file));
    ScanPainterSettings((b + "painter.set").c_str());
    EXPECT_EQ(c.rows, FolderRows()) << c.what;
  }
}

TEST(ProbeCommandFolder, TakesTheProgramFolderOutOfAnAbsoluteCommand) {
  std::string key = "Software\\Probetest" + Pid();
  RegistryKeyGuard guard(HKEY_CURRENT_USER, key);
  struct {
    const char *command, *folder;  // null: nothing
    DWORD type;
  } cases[] = {
      {"\"C:\\Editor\\app.exe\" \"%1\"", "C:\\Editor\\", REG_SZ}, {"app.exe %1", nullptr, REG_SZ},
      {"C:app\\x.exe", nullptr, REG_SZ},  // relative to the drive's current folder
      {"\\\\server\\share\\app.exe", nullptr, REG_SZ}, {"C:\\a\\b", nullptr, REG_EXPAND_SZ},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(SetString(HKEY_CURRENT_USER, key + "\\shell\\open\\command", "", c.command, c.type));
    char output[kPathCapacity] = "untouched";
    EXPECT_EQ(c.folder ? output : nullptr, ProbeCommandFolder(HKEY_CURRENT_USER, key.c_str(), "shell\\open\\command", output));
    EXPECT_STREQ(c.folder ? c.folder : "untouched", output) << c.command;
  }
}

// The sequence over every kind of source at once, with the real vendor keys.
TEST(RunDiscovery, FillsTheTableInSequenceOrder) {
  const char* appPaths = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\fireworks.exe";
  TempFolder folder;
  const std::string& b = folder.path();
  const struct {
    HKEY root;
    std::string key, name, data;
  } values[] = {
      {HKEY_CURRENT_USER, "software\\velmoran\\Mien", "PlugInPath", b + "own\\plug-ins\\velmoran"},
      {HKEY_LOCAL_MACHINE, "software\\velmoran\\Mien", "PluginDir", b + "hklm"},
      {HKEY_USERS, ".default\\software\\velmoran\\Mien", "PluginDir", b + "users"},
      {HKEY_LOCAL_MACHINE, "software\\adobe\\photoshop\\8.0", "PluginPath", b + "adobe\\plugins"},
      {HKEY_LOCAL_MACHINE, "software\\adobe", "PluginPath", b + "direct"},  // not below "photoshop"
      {HKEY_LOCAL_MACHINE, "software\\corel\\paint shop", "Plugins", b + "corel"},
      {HKEY_CURRENT_USER, "software\\jasc\\paint shop pro", "Directory1", b + "jasc"},
      {HKEY_LOCAL_MACHINE, "software\\xara\\xarax", "Plugins", b + "xara"},
      {HKEY_LOCAL_MACHINE, appPaths, "", b + "fw\\fireworks.exe"},
      {HKEY_CLASSES_ROOT, "PI3.Image\\shell\\open\\command", "", "\"" + b + "pi3\\pi3.exe\" \"%1\""},
      {HKEY_CLASSES_ROOT, "PainterFile\\shell\\open\\command", "", b + "painter\\painter.exe %1"},
  };
  std::vector<std::unique_ptr<RegistryKeyGuard>> guards;
  for (auto top : {std::make_pair(HKEY_CURRENT_USER, "software\\velmoran"), {HKEY_LOCAL_MACHINE, "software\\velmoran"},
                   {HKEY_USERS, ".default\\software\\velmoran"}, {HKEY_LOCAL_MACHINE, "software\\adobe"},
                   {HKEY_LOCAL_MACHINE, "software\\corel"}, {HKEY_CURRENT_USER, "software\\jasc"},
                   {HKEY_LOCAL_MACHINE, "software\\xara"}, {HKEY_LOCAL_MACHINE, appPaths},
                   {HKEY_CLASSES_ROOT, "PI3.Image"}, {HKEY_CLASSES_ROOT, "PainterFile"}}) {
    guards.emplace_back(new RegistryKeyGuard(top.first, top.second));
    if (guards.back()->existedBefore()) GTEST_SKIP() << top.second << " exists already";
  }
  for (const auto& v : values) ASSERT_TRUE(SetString(v.root, v.key, v.name, v.data)) << v.key;
  for (const char* f : {"Own\\Plug-Ins\\Velmoran", "Adobe\\Plugins", "Corel", "Jasc", "Xara", "Fw\\Plug-Ins",
                        "Pi3\\Plugin", "Painter", "Painterplug", "Hklm", "Users", "Direct"}) {
    folder.Make(f);
  }
  ASSERT_TRUE(WriteWholeFile(b + "painter\\painter.set", Record(b + "painterplug", -1, Bytes(10, 1))));
  ClearFolderTable();
  RunDiscovery();
  std::vector<std::string> expected;
  for (const char* row : {"Own\\Plug-Ins\\", "Hklm\\", "Users\\", "Adobe\\Plugins\\", "Corel\\", "Jasc\\", "Xara\\",
                          "Fw\\Plug-Ins\\", "Pi3\\Plugin\\", "Painterplug\\"}) {
    expected.push_back(b + row);
  }
  EXPECT_EQ(expected, FolderRows());
}

}  // namespace
