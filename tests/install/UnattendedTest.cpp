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
  EXPECT_EQ(3u, Run("/S /D=" + b + "old"));
  EXPECT_TRUE(ReadWholeFile(old) == Bytes(10, 1));
  EXPECT_EQ(0u, Run("/S /LOG=" + log + " /D=" + b + "with blanks\\in it"));
  EXPECT_EQ(77824u, ReadWholeFile(b + "with blanks\\in it\\MienFold.8bf").size());
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
      "Outcome: another copy of the setup is running"};
  for (const std::string& line : lines) {
    EXPECT_NE(std::string::npos, text.find(line)) << line << " in\n" << text;
  }
  setup_.reset();
  HANDLE otherSession = CreateMutexA(nullptr, TRUE, "Global\\Velmoran Plugins record");  // a run elsewhere
  EXPECT_EQ(4u, Run("/S /D=" + b + "second"));
  CloseHandle(otherSession);
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((b + "second").c_str()));
  EXPECT_EQ(0u, Run("/UNINSTALL /S"));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((found + "Velmoran").c_str()));  // a maker folder, emptied
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
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(Uninstaller().c_str()));
}

// An editor keeps its plug-ins loaded. An update moves the old one aside and goes in; the
// uninstaller does the same with the one it removes; a later run deletes what is no longer loaded.
TEST_F(UnattendedTest, PlugInsThatAnEditorHasLoadedAreUpdatedAndRemoved) {
  const std::string plugIn = folder_.path() + "MienFold.8bf", log = folder_.path() + "setup.log";
  const std::string update = BinFolder() + "UpdateSetup.exe";
  ASSERT_TRUE(CopyFileA((BinFolder() + "plugin_v1.dll").c_str(), plugIn.c_str(), FALSE));
  auto editor = LoadAsAnEditorDoes(plugIn);
  ASSERT_TRUE(editor);
  EXPECT_EQ(0u, Run("/S /LOG=" + log + " /D=" + folder_.path(), update));
  EXPECT_TRUE(ReadWholeFile(plugIn) == ReadWholeFile(BinFolder() + "plugin_v2.dll"));
  std::vector<std::string> files = ListFolder(folder_.path());
  ASSERT_EQ(3u, files.size());  // the new one, the old one aside, and the log
  const std::string aside = folder_.path() + files[1];
  EXPECT_EQ(".velmoran-old", aside.substr(aside.size() - 13));
  EXPECT_NE(std::string::npos, Text(log).find("goes at the next start: " + aside)) << Text(log);
  std::vector<std::string> pending = PendingDeletions();
  EXPECT_NE(pending.end(), std::find(pending.begin(), pending.end(), aside));

  editor = LoadAsAnEditorDoes(plugIn);  // the old one's editor has ended; another has the new one
  ASSERT_TRUE(editor);
  EXPECT_EQ(0u, Run("/UNINSTALL /S", update));
  files = ListFolder(folder_.path());
  ASSERT_EQ(2u, files.size());  // the first aside, no longer loaded, went; the new one moved aside
  EXPECT_NE(aside, folder_.path() + files[0]);
  EXPECT_EQ(PendingDeletions().back(), folder_.path() + files[0]);
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kEntry));
}
