// Installing without a window from the command line, the log, the entry in the system's list of
// installed programs, and the uninstaller it names.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/SetupDriver.h"
#include "support/TestSupport.h"

namespace {

const char kEntry[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velmoran Plugins";

class UnattendedTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (maker_.existedBefore() || machineMaker_.existedBefore() || installation_.existedBefore()) {
      GTEST_SKIP() << "an installation of Velmoran Plugins exists already";
    }
  }
  static DWORD Run(const std::string& arguments, const std::string& exe = BinFolder() + "VelmoranSetup.exe") {
    return RunningSetup(exe, arguments).WaitForExit();
  }
  static std::string Text(const std::string& file) {
    Bytes bytes = ReadWholeFile(file);
    return std::string(bytes.begin(), bytes.end());
  }
  RegistryKeyGuard maker_{HKEY_CURRENT_USER, "Software\\Velmoran"};
  RegistryKeyGuard machineMaker_{HKEY_LOCAL_MACHINE, "Software\\Velmoran"};
  InstallationGuard installation_;
  TempFolder folder_;
};

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
  for (const std::string& line : std::vector<std::string>{"Velmoran Plugins 1.1.0", "Outcome: no plug-in folder was found",
                                  "Command line: /S /LOG=" + log, "Wrote file: " + b + "with blanks\\in it\\MienFold.8bf",
                                  "Outcome: installed"}) {
    EXPECT_NE(std::string::npos, text.find(line)) << line << " in\n" << text;
  }
  {
    RunningSetup dialog(BinFolder() + "VelmoranSetup.exe", "/D=" + b + "named in the command");
    ASSERT_TRUE(dialog.WaitForWindow());  // listed and chosen as a browsed folder
    EXPECT_EQ(b + "named in the command\\", dialog.ListEntries().at(dialog.ListSelection()));
    EXPECT_EQ(4u, Run("/S /D=" + b + "second"));  // another copy runs: nothing done, and it says so
  }
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
  Bytes quiet;
  ASSERT_TRUE(ReadValue(HKEY_LOCAL_MACHINE, kEntry, "QuietUninstallString", &quiet));
  std::string command(quiet.begin(), quiet.end() - 1);
  EXPECT_EQ("\"" + installation_.uninstaller() + "\" /UNINSTALL /S", command);
  // The entry shows the version the executable declares.
  std::string uninstaller = installation_.uninstaller();
  Bytes version, info(GetFileVersionInfoSizeA(uninstaller.c_str(), nullptr) + 1);
  ASSERT_TRUE(ReadValue(HKEY_LOCAL_MACHINE, kEntry, "DisplayVersion", &version));
  char* declared = nullptr;
  UINT length = 0;
  ASSERT_TRUE(GetFileVersionInfoA(uninstaller.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
  ASSERT_TRUE(VerQueryValueA(info.data(), "\\StringFileInfo\\040904B0\\ProductVersion",
                             reinterpret_cast<void**>(&declared), &length));
  EXPECT_STREQ(reinterpret_cast<const char*>(version.data()), declared);
  // The system's own list of installed programs shows it.
  std::string listed = b + "listed.txt";
  RunningSetup("C:\\windows\\system32\\cmd.exe", "/c uninstaller.exe --list > \"" + listed + "\"").WaitForExit();
  EXPECT_NE(std::string::npos, Text(listed).find("Velmoran Plugins")) << Text(listed);

  RunningSetup uninstall(uninstaller, "/UNINSTALL /S");
  EXPECT_EQ(6u, uninstall.WaitForExit());
  EXPECT_EQ(std::vector<std::string>{"Theirs.8bf"}, ListFolder(b + "one\\Velmoran\\"));
  EXPECT_EQ(std::vector<std::string>{"AlphaOne.8bf"}, ListFolder(b + "two\\Velmoran\\"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Velmoran\\Graphitor"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kEntry));
  EXPECT_TRUE(WaitUntil([&] { return GetFileAttributesA(uninstaller.c_str()) == INVALID_FILE_ATTRIBUTES; }));
}

}  // namespace
