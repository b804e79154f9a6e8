// Probes particular to single editors: command-line folders, the painter settings file, and the whole sequence.
#include <gtest/gtest.h>

#include "discovery/FolderTable.h"
#include "discovery/HostProbes.h"
#include "support/TestSupport.h"

static Bytes Record(const std::string& path, int declaredLength = -1, Bytes before = {}, bool withNul = true) {
  before.insert(before.end(), {0x80, static_cast<unsigned char>(declaredLength < 0 ? path.size() : declaredLength)});
  before.insert(before.end(), path.begin(), path.end() + (withNul ? 1 : 0));
  return before;
}

TEST(ScanPainterSettings, TakesTheFirstValidRecordOnly) {
  TempFolder folder;
  const std::string& b = folder.path();
  for (const char* f : {"First", "Second", "Third"}) folder.Make(f);
  // Bytes that almost start a record, a record of the wrong length, then two valid ones.
  Bytes mixed = {1, 0x80, 0x80, 'C', ':'};
  mixed = Record(b + "third", -1, Record(b + "first", -1, Record(b + "second", static_cast<int>(b.size()) + 7, mixed)));
  // Rejected without a NUL in 250 characters; the last byte read is the marker of the next record.
  Bytes noNul = {0x80, 20, 'C', ':', '\\'};
  noNul.insert(noNul.end(), 246, 'z');
  const struct { Bytes file; std::vector<std::string> rows; } cases[] = {
      {mixed, {b + "First\\"}}, {Record(b + "second", -1, noNul), {b + "Second\\"}},
      {Record(b + "first", -1, {}, false), {}},  // the file ends inside the record
      {Record(folder.Make(std::string(249 - b.size(), 'g'))), {b + "G" + std::string(248 - b.size(), 'g') + "\\"}},
      {Record(folder.Make(std::string(250 - b.size(), 'h'))), {}}};  // a path of 249 characters at most
  for (const auto& c : cases) {
    ClearFolderTable();
    ASSERT_TRUE(WriteWholeFile(b + "painter.set", c.file));
    ScanPainterSettings((b + "painter.set").c_str());
    EXPECT_EQ(c.rows, FolderRows()) << "case " << &c - cases;
  }
}

TEST(ProbeCommandFolder, TakesTheProgramFolderOutOfAnAbsoluteCommand) {
  const std::string key = "Software\\Probetest" + Pid();
  RegistryKeyGuard guard(HKEY_CURRENT_USER, key);
  if (guard.existedBefore()) GTEST_SKIP() << key << " exists already";
  const struct { const char *command, *folder; DWORD type = REG_SZ; } cases[] = {  // folder null: nothing
      {"\"C:\\Editor\\app.exe\" \"%1\"", "C:\\Editor\\"}, {"app.exe %1", nullptr},
      {"C:app\\x.exe", nullptr}, {"C:\\a\\b", nullptr, REG_EXPAND_SZ}};  // drive-relative; not a string
  for (const auto& c : cases) {
    ASSERT_TRUE(SetString(HKEY_CURRENT_USER, key + "\\shell\\open\\command", "", c.command, c.type));
    char output[kPathCapacity] = "untouched";
    char* found = ProbeCommandFolder(HKEY_CURRENT_USER, key.c_str(), "shell\\open\\command", output);
    EXPECT_EQ(c.folder ? output : nullptr, found) << c.command;
    EXPECT_STREQ(c.folder ? c.folder : "untouched", output) << c.command;
  }
}

// The sequence over every kind of source at once, with the real vendor keys.
TEST(RunDiscovery, FillsTheTableInSequenceOrder) {
  TempFolder folder;
  const std::string& b = folder.path();
  const HKEY kCu = HKEY_CURRENT_USER, kLm = HKEY_LOCAL_MACHINE, kCr = HKEY_CLASSES_ROOT;
  const struct { HKEY root; const char *top, *below, *name, *data; } values[] = {  // top is removed again
      {kCu, "software\\velmoran", "\\Mien", "PlugInPath", "own\\plug-ins\\velmoran"},
      {kLm, "software\\velmoran", "\\Mien", "PluginDir", "hklm"},
      {HKEY_USERS, ".default\\software\\velmoran", "\\Mien", "PluginDir", "users"},
      {kLm, "software\\adobe", "\\photoshop\\8.0", "PluginPath", "adobe\\plugins"},
      {kLm, "software\\adobe", "", "PluginPath", "direct"},  // not below "photoshop"
      {kLm, "software\\corel", "\\paint shop", "Plugins", "corel"},
      {kCu, "software\\jasc", "\\paint shop pro", "Directory1", "jasc"},
      {kLm, "software\\xara", "\\xarax", "Plugins", "xara"},
      {kLm, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\fireworks.exe", "", "", "fw\\fireworks.exe"},
      {kCr, "PI3.Image", "\\shell\\open\\command", "", "pi3\\pi3.exe %1"},
      {kCr, "PainterFile", "\\shell\\open\\command", "", "painter\\painter.exe %1"}};
  std::vector<std::unique_ptr<RegistryKeyGuard>> guards;
  for (const auto& v : values) {
    guards.emplace_back(new RegistryKeyGuard(v.root, v.top));
    if (guards.back()->existedBefore()) GTEST_SKIP() << v.top << " exists already";
  }
  for (const auto& v : values) ASSERT_TRUE(SetString(v.root, std::string(v.top) + v.below, v.name, b + v.data));
  std::vector<std::string> expected;
  for (const char* row : {"Own\\Plug-Ins", "Hklm", "Users", "Adobe\\Plugins", "Corel", "Jasc", "Xara", "Fw\\Plug-Ins",
                          "Pi3\\Plugin", "Painterplug"}) expected.push_back(folder.Make(row) + "\\");
  for (const char* f : {"Own\\Plug-Ins\\Velmoran", "Painter", "Direct"}) folder.Make(f);
  ASSERT_TRUE(WriteWholeFile(b + "painter\\painter.set", Record(b + "painterplug")));
  ClearFolderTable();
  RunDiscovery();
  EXPECT_EQ(expected, FolderRows());
}
