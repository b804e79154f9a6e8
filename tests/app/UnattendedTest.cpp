// Silent installs, their log, the entry in the system's list of programs and its uninstaller; running out of memory.
#include "app/SetupDriver.h"

namespace {

const char kEntry[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velmoran Plugins";

using UnattendedTest = SetupTest;

TEST_F(UnattendedTest, SilentInstallsSayWhatHappenedInTheirExitCodeAndLog) {
  const std::string b = folder_.path(), log = b + "setup.log";
  std::string found = folder_.Make("found") + "\\", old = folder_.Make("old") + "\\MienFold.8bf";
  ASSERT_TRUE(WriteWholeFile(old, Bytes(10, 1)));
  SetFileAttributesA(old.c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(2u, Run("/s /LOG=" + log));  // nothing found, no folder named
  EXPECT_EQ(1u, Run("/S /X"));
  EXPECT_EQ(0u, Run("/?  /S"));
  EXPECT_EQ(3u, Run("/S /D=" + b + "old"));
  EXPECT_TRUE(ReadWholeFile(old) == Bytes(10, 1));
  EXPECT_EQ(0u, Run("/S /LOG=" + log + " /D=" + b + "with blanks\\in it"));
  EXPECT_EQ(77824u, ReadWholeFile(b + "with blanks\\in it\\MienFold.8bf").size());
  ASSERT_TRUE(SetString(HKEY_CURRENT_USER, "Software\\Velmoran\\Mien", "PluginDir", found));
  EXPECT_EQ(0u, Run("/S"));  // the first candidate, with the maker folder
  EXPECT_EQ(77824u, ReadWholeFile(found + "Velmoran\\MienFold.8bf").size());
  std::string text = Text(log);
  for (const std::string& line : std::vector<std::string>{"Velmoran Plugins " VELMORAN_VERSION, "Outcome: no plug-in folder was found",
                                  "Command line: /S /LOG=" + log, "Wrote file: " + b + "with blanks\\in it\\MienFold.8bf",
                                  "Outcome: installed"}) {
    EXPECT_NE(std::string::npos, text.find(line)) << line << " in\n" << text;
  }
  ASSERT_TRUE(Start("VelmoranSetup.exe", "/D=" + b + "named in the command"));  // listed and chosen as browsed
  EXPECT_EQ(b + "named in the command\\", setup_->ListEntries().at(setup_->ListSelection()));
  EXPECT_EQ(4u, Run("/S /D=" + b + "second"));  // another copy runs: nothing done, and it says so
  setup_.reset();
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((b + "second").c_str()));
  EXPECT_EQ(0u, Run("/UNINSTALL /S"));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((found + "Velmoran").c_str()));  // a maker folder, emptied
  EXPECT_TRUE(ListFolder(b + "with blanks\\in it\\").empty());
}

TEST_F(UnattendedTest, TheListedUninstallerRemovesWhatEachInstallationWroteAndNothingElse) {
  const std::string b = folder_.path(), download = folder_.Make("downloads") + "\\setup.exe";
  ASSERT_TRUE(CopyFileA((BinFolder() + "FixtureSetup.exe").c_str(), download.c_str(), FALSE));
  folder_.Make("one\\Velmoran");
  ASSERT_TRUE(WriteWholeFile(b + "one\\Velmoran\\Theirs.8bf", {7}));  // another maker's plug-in
  EXPECT_EQ(0u, Run("/S /D=" + b + "one\\Velmoran", download));
  EXPECT_EQ(0u, Run("/S /D=" + b + "two\\Velmoran", download));
  ASSERT_TRUE(WriteWholeFile(b + "two\\Velmoran\\AlphaOne.8bf", {9}));  // changed since: not ours any more
  ASSERT_TRUE(DeleteFileA(download.c_str()));
  Bytes quiet, version;
  ASSERT_TRUE(ReadValue(HKEY_LOCAL_MACHINE, kEntry, "QuietUninstallString", &quiet));
  EXPECT_STREQ(("\"" + Uninstaller() + "\" /UNINSTALL /S").c_str(), reinterpret_cast<const char*>(quiet.data()));
  ASSERT_TRUE(ReadValue(HKEY_LOCAL_MACHINE, kEntry, "DisplayVersion", &version));
  EXPECT_STREQ(VELMORAN_VERSION, reinterpret_cast<const char*>(version.data()));  // the executable's (its image test)
  // The system's own list of installed programs shows it.
  std::string listed = b + "listed.txt", uninstaller = Uninstaller();
  RunningSetup("C:\\windows\\system32\\cmd.exe", "/c uninstaller.exe --list > \"" + listed + "\"").WaitForExit();
  EXPECT_NE(std::string::npos, Text(listed).find("Velmoran Plugins")) << Text(listed);

  EXPECT_EQ(6u, Run("/UNINSTALL /S", uninstaller));  // changed files kept
  EXPECT_EQ(std::vector<std::string>{"Theirs.8bf"}, ListFolder(b + "one\\Velmoran\\"));
  EXPECT_EQ(std::vector<std::string>{"AlphaOne.8bf"}, ListFolder(b + "two\\Velmoran\\"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Velmoran\\Graphitor"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kEntry));
  EXPECT_TRUE(WaitUntil([&] { return GetFileAttributesA(uninstaller.c_str()) == INVALID_FILE_ATTRIBUTES; }));
}

TEST(PlainNew, AFailedPlainNewEndsTheProgramWithAMessage) {
  RunningSetup probe(BinFolder() + "plain_new_probe.exe");  // asks the setup's allocator for more than there is
  EXPECT_NE(std::string::npos, probe.CloseMessage().find("not enough memory")) << "exit code " << probe.WaitForExit(0);
  EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY), probe.WaitForExit());
}

}  // namespace
