// Silent installs: what they write, their exit codes and their log.
#include <algorithm>

#include "support/SetupDriver.h"

using UnattendedTest = SetupTest;

TEST_F(UnattendedTest, SilentInstallsSayWhatHappenedInTheirExitCodeAndLog) {
  const std::string b = folder_.path(), log = b + "setup.log";
  std::string found = folder_.Make("found") + "\\", old = folder_.Make("old") + "\\MienFold.8bf";
  ASSERT_TRUE(WriteWholeFile(old, Bytes(10, 1)));
  SetFileAttributesA(old.c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(2u, Run("/s /LOG=" + log));  // nothing found, no folder named
  EXPECT_EQ(1u, Run("/X /LOG=" + log + " /S"));  // a window would never let it end
  EXPECT_EQ(1u, Run("/LOG=" + log + "\t/S /X"));
  EXPECT_EQ(0u, Run("/?  /S"));
  EXPECT_EQ(1u, Run("/S /LOG=\"" + b + "unterminated"));  // a quote never closed
  EXPECT_EQ(1u, Run("/S /D=" + b + "a\"b"));               // a quote inside the folder
  EXPECT_EQ(3u, Run("/S /D=\\\\?\\" + b + "x"));          // a folder the record could not hold: nothing written
  EXPECT_FALSE(Exists(b + "x"));
  EXPECT_EQ(3u, Run("/S /D=" + b + "old"));
  EXPECT_TRUE(ReadWholeFile(old) == Bytes(10, 1));
  EXPECT_EQ(0u, Run("/S /LOG=" + log + " /D=" + b + "with blanks\\in it"));
  EXPECT_EQ(77824u, ReadWholeFile(b + "with blanks\\in it\\MienFold.8bf").size());
  const std::string shared = folder_.Make("shared");  // everyone may change it, and so what goes below it
  ASSERT_TRUE(SetAccessList(shared, L"D:(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1301bf;;;WD)"));
  EXPECT_EQ(0u, Run("/S /LOG=" + log + " /D=" + shared + "\\plug-ins"));
  const std::string other = b + "another file", secondName = b + "second-name.log";  // a hard link's two names
  ASSERT_TRUE(WriteWholeFile(other, {'x'}));
  ASSERT_TRUE(CreateHardLinkW(Wide(secondName).c_str(), Wide(other).c_str(), nullptr));
  EXPECT_EQ(5u, Run("/S /LOG=" + secondName + " /D=" + b + "with blanks\\in it"));  // installed; the log refused
  EXPECT_TRUE(ReadWholeFile(other) == Bytes{'x'});
  ASSERT_TRUE(SetString(HKEY_CURRENT_USER, "Software\\Velmoran\\Mien", "PluginDir", found));
  EXPECT_EQ(0u, Run("/S"));  // the first candidate, with the maker folder
  EXPECT_EQ(77824u, ReadWholeFile(found + "Velmoran\\MienFold.8bf").size());
  ASSERT_TRUE(Start("VelmoranSetup.exe", "/D=" + b + "named in the command"));  // listed and chosen as browsed
  EXPECT_EQ(b + "named in the command\\", setup_->ListEntries().at(setup_->ListSelection()));
  EXPECT_EQ(4u, Run("/S /LOG=" + log + " /D=" + b + "second"));  // another copy runs: nothing done, and it says so
  std::string text = Text(log);
  const std::vector<std::string> lines = {
      "Velmoran Plugins " PRODUCT_VERSION, "Outcome: no plug-in folder was found",
      "Outcome: the command line is not understood", "Command line: /S /LOG=" + log,
      "Wrote file: " + b + "with blanks\\in it\\MienFold.8bf", "Outcome: installed",
      "Other users can change what was installed in " + shared + "\\plug-ins\\",
      "Outcome: another copy of the setup is running"};
  for (const std::string& line : lines) {
    EXPECT_NE(std::string::npos, text.find(line)) << line << " in\n" << text;
  }
  size_t toldOthersCanChange = 0;
  for (size_t at = 0; (at = text.find("Other users can change", at)) != std::string::npos; ++at) ++toldOthersCanChange;
  EXPECT_EQ(1u, toldOthersCanChange);  // of the shared folder only
  setup_.reset();
  HANDLE otherSession = CreateMutexA(nullptr, TRUE, "Global\\Velmoran Plugins record");  // a run elsewhere
  EXPECT_EQ(4u, Run("/S /D=" + b + "second"));
  CloseHandle(otherSession);
  EXPECT_FALSE(Exists(b + "second"));
  EXPECT_EQ(0u, Run("/UNINSTALL /S"));
  EXPECT_FALSE(Exists(found + "Velmoran"));  // a maker folder, emptied
  EXPECT_TRUE(ListFolder(b + "with blanks\\in it\\").empty());
}

// The environment is the user's, even for an elevated setup: the kept uninstaller goes where the
// system keeps the programs, not where a ProgramFiles variable points.
TEST_F(UnattendedTest, AProgramFilesVariableOfTheUsersChangesNothing) {
  std::string own = folder_.Make("the user's programs");
  RunningSetup cmd("C:\\windows\\system32\\cmd.exe", "/c set ProgramFiles=" + own + "&& \"" + BinFolder() +
                                                          "VelmoranSetup.exe\" /S /D=" + folder_.path() + "plug-ins");
  EXPECT_EQ(0u, cmd.WaitForExit());
  EXPECT_TRUE(ListFolder(own + "\\").empty());
  EXPECT_TRUE(Exists(Uninstaller()));
}

// Names the system's code page cannot write (the test command runs this under code page 1252): a setup
// started from such a folder, /D=, a discovered folder, the list, the record, the log and the uninstall. A
// record that an earlier release rewrote through the code page reads back the same.
TEST_F(UnattendedTest, NamesOutsideTheCodePageTakeEveryRoute) {
  ASSERT_EQ(1252u, GetACP()) << "the test command runs this under the C.UTF-8 locale";
  const std::string b = folder_.path(), log = b + "\u0436\u0443\u0440\u043d\u0430\u043b.log";
  std::vector<std::string> installed = {b + "Caf\u00e9\\"};
  EXPECT_EQ(0u, Run("/S /D=" + installed[0]));
  HKEY entry;
  char record[4096];
  DWORD size = sizeof record;
  ASSERT_EQ(0, RegOpenKeyExA(HKEY_LOCAL_MACHINE, kEntry, 0, KEY_ALL_ACCESS, &entry));
  EXPECT_EQ(0, RegQueryValueExA(entry, "InstalledFiles", nullptr, nullptr, reinterpret_cast<BYTE*>(record), &size));
  EXPECT_EQ(0, RegSetValueExA(entry, "InstalledFiles", 0, REG_MULTI_SZ, reinterpret_cast<BYTE*>(record), size));
  RegCloseKey(entry);
  for (const char* name : {"\u0417\u0430\u0433\u0440\u0443\u0437\u043a\u0438", "\u0141ukasz \u017b\u00f3\u0142\u0107", "\u63d2\u4ef6"}) {
    std::string from = folder_.Make(name) + "\\setup.exe", found = folder_.Make(std::string(name) + "\\Found") + "\\";
    ASSERT_TRUE(CopyFileW(Wide(BinFolder() + "VelmoranSetup.exe").c_str(), Wide(from).c_str(), FALSE));
    installed.push_back(b + name + "\\named\\");
    EXPECT_EQ(0u, Run("/S /LOG=" + log + " /D=" + installed.back(), from)) << name;
    installed.push_back(Discover(found));
    EXPECT_EQ(0u, Run("/S /LOG=" + log, from)) << name;
  }
  ASSERT_TRUE(Start());
  EXPECT_EQ(installed.back(), setup_->ListEntries().at(0));
  setup_.reset();
  const std::string text = Text(log);
  EXPECT_EQ("\xEF\xBB\xBF", text.substr(0, 3));  // UTF-8, and says so
  for (const std::string& folder : installed) {
    EXPECT_TRUE(ReadWholeFile(folder + "MienFold.8bf") == Placeholder()) << folder;
    EXPECT_EQ(folder == installed[0], text.find("Wrote file: " + folder + "MienFold.8bf") == std::string::npos);
  }
  EXPECT_EQ(0u, Run("/UNINSTALL /S"));
  for (const std::string& folder : installed) EXPECT_FALSE(Exists(folder + "MienFold.8bf")) << folder;
}

// An editor keeps its plug-ins loaded. An update moves the old one aside and goes in; the
// uninstaller does the same with the one it removes; a later run deletes what is no longer loaded.
TEST_F(UnattendedTest, PlugInsThatAnEditorHasLoadedAreUpdatedAndRemoved) {
  const std::string plugIn = folder_.path() + "MienFold.8bf", log = folder_.path() + "setup.log";
  const std::string update = BinFolder() + "UpdateSetup.exe", stranded = folder_.path() + "Old.8bf.1.1.velmoran-old";
  ASSERT_TRUE(CopyFileA((BinFolder() + "plugin_v1.dll").c_str(), plugIn.c_str(), FALSE));
  ASSERT_TRUE(WriteWholeFile(stranded, {5}));  // no run recorded it: it may be a plug-in that could not go back
  auto editor = LoadAsAnEditorDoes(plugIn);
  ASSERT_TRUE(editor);
  EXPECT_EQ(0u, Run("/S /LOG=" + log + " /D=" + folder_.path(), update));
  EXPECT_TRUE(ReadWholeFile(plugIn) == ReadWholeFile(BinFolder() + "plugin_v2.dll"));
  std::vector<std::string> files = ListFolder(folder_.path());
  ASSERT_EQ(4u, files.size());  // the new one, the old one aside, the one no run recorded, and the log
  const std::string aside = folder_.path() + files[1];
  EXPECT_EQ(".velmoran-old", aside.substr(aside.size() - 13));
  EXPECT_NE(std::string::npos, Text(log).find("goes at the next start: " + aside)) << Text(log);
  std::vector<std::string> pending = PendingDeletions();
  EXPECT_NE(pending.end(), std::find(pending.begin(), pending.end(), aside));
  auto listedAside = [] { return ReadTexts(HKEY_LOCAL_MACHINE, kEntry, "MovedAsideFiles"); };
  EXPECT_EQ(std::vector<std::string>{aside}, listedAside());
  editor.reset();  // the next run deletes it, and its own old file, which nothing has loaded, at once
  EXPECT_EQ(0u, Run("/S /D=" + folder_.path(), update));
  EXPECT_FALSE(Exists(aside));
  EXPECT_EQ(std::vector<std::string>{}, listedAside());  // only what is still there: a name is never another's

  editor = LoadAsAnEditorDoes(plugIn);  // the old one's editor has ended; another has the new one
  ASSERT_TRUE(editor);
  EXPECT_EQ(0u, Run("/UNINSTALL /S", update));
  files = ListFolder(folder_.path());
  ASSERT_EQ(3u, files.size());  // the first aside, no longer loaded, went; the new one moved aside
  EXPECT_NE(aside, folder_.path() + files[0]);
  EXPECT_EQ(stranded, folder_.path() + files[1]);
  EXPECT_EQ(PendingDeletions().back(), folder_.path() + files[0]);
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kEntry));
}

// As winget and Intune run it: the switches exactly as the build's manifest writes them, twice, over an earlier
// version's entry; then the entry reads as the manifest and the administrators' tools expect.
TEST_F(UnattendedTest, TheManifestsSwitchesInstallAndTheEntryReadsAsTheyExpect) {
  const std::string manifest = Text(BinFolder() + "Velmoran.VelmoranPlugins.installer.yaml");
  auto field = [&](const std::string& key, const std::string& token = "", const std::string& value = "") {
    size_t at = manifest.find(key + ": ") + key.size() + 2;
    std::string text = manifest.substr(at, manifest.find('\n', at) - at);
    return token.empty() ? text : text.replace(text.find(token), token.size(), value);
  };
  const std::string log = folder_.path() + "deploy.log", first = folder_.path() + "first", second = folder_.path() + "second";
  ASSERT_TRUE(SetString(HKEY_LOCAL_MACHINE, kEntry, "DisplayVersion", "1.0.0"));
  for (const std::string& folder : {first, second}) {
    EXPECT_EQ(0u, Run(field("  Silent") + " " + field("  Log", "<LOGPATH>", log) + " " +
                      field("  InstallLocation", "<INSTALLPATH>", folder)));
    EXPECT_TRUE(ReadWholeFile(folder + "\\MienFold.8bf") == Placeholder());
  }
  EXPECT_NE(std::string::npos, Text(log).find("Outcome: installed"));
  const std::string texts[][2] = {{"DisplayName", field("  - DisplayName")}, {"Publisher", field("    Publisher")},
                                  {"DisplayVersion", field("    DisplayVersion")}, {"DisplayIcon", Uninstaller() + ",0"},
                                  {"InstallLocation", second + "\\"}, {"URLInfoAbout", "http://www.velmoran.example/"}};
  for (const auto& text : texts) EXPECT_EQ(text[1], ReadText(HKEY_LOCAL_MACHINE, kEntry, text[0])) << text[0];
  for (const auto& number : {std::make_pair("EstimatedSize", 2 * 76), {"NoModify", 1}, {"NoRepair", 1}}) {
    Bytes value;
    EXPECT_TRUE(ReadValue(HKEY_LOCAL_MACHINE, kEntry, number.first, &value) && value.size() == 4 &&
                *reinterpret_cast<DWORD*>(value.data()) == static_cast<DWORD>(number.second)) << number.first;
  }
}

// Ended in the middle of a run (as Task Manager, a power cut or closing a window that does not answer would end it),
// at the old plug-in moved aside and at a large file half written (the presets stored before it): the next start of
// the uninstaller, or of the setup, first takes that run back: the old plug-in at its name again, the preset value as
// it was, no temporary file, no entry, no kept copy.
TEST_F(UnattendedTest, ARunEndedInTheMiddleIsTakenBackAtTheNextStart) {
  const std::string plugIn = folder_.path() + "MienFold.8bf";
  auto reached = [&](const char* part, DWORD atLeast) {  // a file of that name part and size, looked for often
    for (DWORD waited = 0; waited < 20000; waited += 2, Sleep(2)) {
      for (const std::string& name : ListFolder(folder_.path())) {
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        if (name.find(part) != std::string::npos &&
            GetFileAttributesExW(Wide(folder_.path() + name).c_str(), GetFileExInfoStandard, &data) &&
            data.nFileSizeLow >= atLeast) {
          return true;
        }
      }
    }
    return false;
  };
  const struct { const char* point; const char* file; DWORD size; const char* nextStart; } points[] = {
      {"old plug-in aside", ".velmoran-old", 0, "/UNINSTALL /S"}, {"model part written", "~vms", 16u << 20, "/S"}};
  for (const auto& point : points) {
    SCOPED_TRACE(point.point);
    ASSERT_TRUE(WriteWholeFile(plugIn, {1, 2, 3}));
    ASSERT_TRUE(SetString(HKEY_LOCAL_MACHINE, "Software\\Velmoran\\Graphitor", "Portrait01", "earlier"));
    std::unique_ptr<RunningSetup> run(new RunningSetup(BinFolder() + "LargeSetup.exe", "/S /D=" + folder_.path()));
    ASSERT_TRUE(reached(point.file, point.size));
    run.reset();  // ended at once, as TerminateProcess ends it
    EXPECT_EQ(point.nextStart[1] == 'U' ? 0u : 2u, Run(point.nextStart));  // /S: nowhere to install, after all
    EXPECT_EQ(std::vector<std::string>{"MienFold.8bf"}, ListFolder(folder_.path()));
    EXPECT_TRUE(ReadWholeFile(plugIn) == Bytes({1, 2, 3}));
    EXPECT_EQ("earlier", ReadText(HKEY_LOCAL_MACHINE, "Software\\Velmoran\\Graphitor", "Portrait01"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kEntry) || Exists(keptFolder_));
  }
}
