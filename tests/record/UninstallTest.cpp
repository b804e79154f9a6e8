// The entry in the system's list of programs and its uninstaller: it removes what each installation wrote.
#include "support/SetupDriver.h"

const char kEntry[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velmoran Plugins";

using UninstallTest = SetupTest;

TEST_F(UninstallTest, TheListedUninstallerRemovesWhatEachInstallationWroteAndNothingElse) {
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
  EXPECT_STREQ(PRODUCT_VERSION, reinterpret_cast<const char*>(version.data()));  // the executable's (its image test)
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
