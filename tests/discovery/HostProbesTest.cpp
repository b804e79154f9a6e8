// Editor-specific probes: command-line folders, the painter settings file, and the whole
// discovery sequence over a prepared registry.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/SetupState.h"
#include "discovery/FolderTable.h"
#include "discovery/HostProbes.h"
#include "support/TestSupport.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes Record(const std::string& path, int declaredLength = -1) {
  Bytes bytes = {0x80, static_cast<unsigned char>(declaredLength < 0 ? path.size() : declaredLength)};
  bytes.insert(bytes.end(), path.begin(), path.end());
  bytes.push_back(0);
  return bytes;
}

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

TEST(ScanPainterSettings, TakesTheFirstValidRecordOnly) {
  TempFolder folder;
  const std::string& base = folder.path();
  for (const char* f : {"Paint\\Plug-Ins", "First", "Second"}) folder.Make(f);
  std::string long249 = base + std::string(249 - base.size(), 'g');
  std::string long250 = base + std::string(250 - base.size(), 'h');
  ASSERT_TRUE(CreateDirectoryA(long249.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA(long250.c_str(), nullptr));
  std::string capitalised249 = base + "G" + std::string(248 - base.size(), 'g') + "\\";

  // A rejected record that consumed 247 bytes, the last of them a marker for what follows.
  Bytes noNulWithMarkerLast(247, 'z');
  noNulWithMarkerLast.back() = 0x80;
  Bytes secondWithoutMarker = Record(base + "second");
  secondWithoutMarker.erase(secondWithoutMarker.begin());

  struct {
    const char* what;
    Bytes file;
    std::vector<std::string> rows;
  } cases[] = {
      {"record at offset 0", Record(base + "Paint\\Plug-ins"), {base + "Paint\\Plug-Ins\\"}},
      {"record after other bytes", Join({Bytes{1, 2, 0x80, 0x80, 'C', ':'}, Record(base + "first")}),
       {base + "First\\"}},
      {"length mismatch, then a valid record",
       Join({Record(base + "second", static_cast<int>(base.size()) + 7), Record(base + "first")}),
       {base + "First\\"}},
      {"two valid records", Join({Record(base + "first"), Record(base + "second")}), {base + "First\\"}},
      {"249 characters", Record(long249), {capitalised249}},
      {"250 characters is never a record", Record(long250), {}},
      {"the last consumed byte starts the next record",
       Join({Bytes{0x80, 20, 'C', ':', '\\'}, noNulWithMarkerLast, secondWithoutMarker}),
       {base + "Second\\"}},
      {"file ends inside a record", Bytes{0x80, 40, 'C', ':', '\\', 'a', 'b'}, {}},
      {"file ends right after a marker", Bytes{0x80}, {}},
      {"empty file", Bytes{}, {}},
  };
  std::string settings = base + "painter.set";
  for (const auto& c : cases) {
    ClearFolderTable();
    ASSERT_TRUE(WriteWholeFile(settings, c.file));
    ScanPainterSettings(settings.c_str());
    EXPECT_EQ(c.rows, FolderRows()) << c.what;
  }
  ClearFolderTable();
  ScanPainterSettings((base + "missing.set").c_str());
  EXPECT_TRUE(FolderRows().empty());
}

TEST(ScanPainterSettings, TheExampleRecordIsRecognised) {
  // The bytes of a record for C:\Paint\Plug-ins, placed where the scan must find them.
  const Bytes example = {0x80, 0x11, 0x43, 0x3A, 0x5C, 0x50, 0x61, 0x69, 0x6E, 0x74,
                         0x5C, 0x50, 0x6C, 0x75, 0x67, 0x2D, 0x69, 0x6E, 0x73, 0x00};
  EXPECT_EQ(Record("C:\\Paint\\Plug-ins"), example);
  RemoveTree("C:\\Paint");
  ASSERT_TRUE(CreateDirectoryA("C:\\Paint", nullptr));
  ASSERT_TRUE(CreateDirectoryA("C:\\Paint\\Plug-ins", nullptr));
  TempFolder folder;
  std::string settings = folder.path() + "painter.set";
  ASSERT_TRUE(WriteWholeFile(settings, Join({Bytes(3, 0x80), example})));
  ScanPainterSettings(settings.c_str());
  RemoveTree("C:\\Paint");
  EXPECT_EQ(std::vector<std::string>{"C:\\Paint\\Plug-Ins\\"}, FolderRows());
}

TEST(ScanPainterSettings, AHugeFileIsReadToItsRecord) {
  TempFolder folder;
  folder.Make("Found");
  std::string settings = folder.path() + "painter.set";
  Bytes huge(8 << 20, 0x80);  // 8 MB of markers, none followed by a drive
  Bytes record = Record(folder.path() + "found");
  huge.insert(huge.end(), record.begin(), record.end());
  ASSERT_TRUE(WriteWholeFile(settings, huge));
  ScanPainterSettings(settings.c_str());
  EXPECT_EQ(std::vector<std::string>{folder.path() + "Found\\"}, FolderRows());
}

TEST(ProbeCommandFolder, TakesTheProgramFolderOutOfACommand) {
  std::string key = "Software\\Probetest" + Pid();
  RegistryKeyGuard guard(HKEY_CURRENT_USER, key);
  struct {
    const char* command;
    const char* folder;  // null: nothing
  } cases[] = {
      {"D:\\Apps\\Fireworks\\fireworks.exe", "D:\\Apps\\Fireworks\\"},
      {"\"C:\\Editor\\app.exe\" \"%1\"", "C:\\Editor\\"},
      {"C:\\Editor\\app.exe \"D:\\Docs\\%1\"", "C:\\Editor\\app.exe \"D:\\Docs\\"},
      {"app.exe %1", nullptr},           // no backslash: no drive
      {"%SystemRoot%\\app.exe", nullptr},  // starts with %
      {"\\\\server\\share\\app.exe", nullptr},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(SetString(HKEY_CURRENT_USER, key + "\\shell\\open\\command", "", c.command));
    char output[kPathCapacity] = "untouched";
    char* result = ProbeCommandFolder(HKEY_CURRENT_USER, key.c_str(), "shell\\open\\command", output);
    if (c.folder) {
      EXPECT_EQ(output, result) << c.command;
      EXPECT_STREQ(c.folder, output) << c.command;
    } else {
      EXPECT_EQ(nullptr, result) << c.command;
    }
  }
  char output[kPathCapacity];
  ASSERT_TRUE(SetString(HKEY_CURRENT_USER, key + "\\shell\\open\\command", "", "C:\\a\\b", REG_EXPAND_SZ));
  EXPECT_EQ(nullptr, ProbeCommandFolder(HKEY_CURRENT_USER, key.c_str(), "shell\\open\\command", output));
  ASSERT_TRUE(SetString(HKEY_CURRENT_USER, key + "\\shell\\open\\command", "", "C:\\" + std::string(300, 'a') + "\\"));
  EXPECT_EQ(nullptr, ProbeCommandFolder(HKEY_CURRENT_USER, key.c_str(), "shell\\open\\command", output));
  EXPECT_EQ(nullptr, ProbeCommandFolder(HKEY_CURRENT_USER, key.c_str(), "missing", output));
}

// The discovery sequence over every kind of source at once, with the real vendor keys.
TEST(RunDiscovery, FillsTheTableInSequenceOrder) {
  const char* appPaths = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\fireworks.exe";
  struct Source {
    HKEY root;
    const char* key;
  } sources[] = {
      {HKEY_CURRENT_USER, "software\\velmoran"}, {HKEY_LOCAL_MACHINE, "software\\velmoran"},
      {HKEY_USERS, ".default\\software\\velmoran"}, {HKEY_LOCAL_MACHINE, "software\\adobe"},
      {HKEY_LOCAL_MACHINE, "software\\corel"}, {HKEY_CURRENT_USER, "software\\jasc"},
      {HKEY_LOCAL_MACHINE, "software\\xara"}, {HKEY_LOCAL_MACHINE, appPaths},
      {HKEY_CLASSES_ROOT, "PI3.Image"}, {HKEY_CLASSES_ROOT, "PainterFile"},
  };
  std::vector<std::unique_ptr<RegistryKeyGuard>> guards;
  for (const Source& s : sources) {
    guards.emplace_back(new RegistryKeyGuard(s.root, s.key));
    if (guards.back()->existedBefore()) GTEST_SKIP() << s.key << " exists already";
  }
  TempFolder folder;
  const std::string& b = folder.path();
  for (const char* f : {"Own\\Plug-Ins\\Velmoran", "Adobe\\Plugins", "Corel", "Jasc", "Xara", "Fw\\Plug-Ins",
                        "Pi3\\Plugin", "Painter", "Painterplug", "Hklm", "Users", "Direct"}) {
    folder.Make(f);
  }
  ASSERT_TRUE(SetString(HKEY_CURRENT_USER, "software\\velmoran\\Mien", "PlugInPath", b + "own\\plug-ins\\velmoran"));
  ASSERT_TRUE(SetString(HKEY_LOCAL_MACHINE, "software\\velmoran\\Mien", "PluginDir", b + "hklm"));
  ASSERT_TRUE(SetString(HKEY_USERS, ".default\\software\\velmoran\\Mien", "PluginDir", b + "users"));
  ASSERT_TRUE(SetString(HKEY_LOCAL_MACHINE, "software\\adobe\\photoshop\\8.0", "PluginPath", b + "adobe\\plugins"));
  ASSERT_TRUE(SetString(HKEY_LOCAL_MACHINE, "software\\adobe", "PluginPath", b + "direct"));  // lacks "photoshop"
  ASSERT_TRUE(SetString(HKEY_LOCAL_MACHINE, "software\\corel\\paint shop", "Plugins", b + "corel"));
  ASSERT_TRUE(SetString(HKEY_CURRENT_USER, "software\\jasc\\paint shop pro", "Directory1", b + "jasc"));
  ASSERT_TRUE(SetString(HKEY_LOCAL_MACHINE, "software\\xara\\xarax", "Plugins", b + "xara"));
  ASSERT_TRUE(SetString(HKEY_LOCAL_MACHINE, appPaths, "", b + "fw\\fireworks.exe"));
  ASSERT_TRUE(SetString(HKEY_CLASSES_ROOT, "PI3.Image\\shell\\open\\command", "", "\"" + b + "pi3\\pi3.exe\" \"%1\""));
  ASSERT_TRUE(SetString(HKEY_CLASSES_ROOT, "PainterFile\\shell\\open\\command", "", b + "painter\\painter.exe %1"));
  ASSERT_TRUE(WriteWholeFile(b + "painter\\painter.set", Join({Bytes(10, 1), Record(b + "painterplug")})));

  RunDiscovery();

  std::vector<std::string> expected;
  for (const char* row : {"Own\\Plug-Ins\\", "Hklm\\", "Users\\", "Adobe\\Plugins\\", "Corel\\", "Jasc\\", "Xara\\",
                          "Fw\\Plug-Ins\\", "Pi3\\Plugin\\", "Painterplug\\"}) {
    expected.push_back(b + row);
  }
  EXPECT_EQ(expected, FolderRows());
}

}  // namespace
