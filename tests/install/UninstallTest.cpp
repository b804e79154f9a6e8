// The entry in the system's list of programs and its uninstaller: it removes what each installation wrote.
#include "support/SetupDriver.h"

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
  EXPECT_EQ("\"" + Uninstaller() + "\" /UNINSTALL /S", ReadText(HKEY_LOCAL_MACHINE, kEntry, "QuietUninstallString"));
  EXPECT_EQ(PRODUCT_VERSION, ReadText(HKEY_LOCAL_MACHINE, kEntry, "DisplayVersion"));  // the executable's (its image test)
  // The system's own list of installed programs shows it.
  std::string listed = b + "listed.txt", uninstaller = Uninstaller();
  RunningSetup("C:\\windows\\system32\\cmd.exe", "/c uninstaller.exe --list > \"" + listed + "\"").WaitForExit();
  EXPECT_NE(std::string::npos, Text(listed).find("Velmoran Plugins")) << Text(listed);

  EXPECT_EQ(6u, Run("/UNINSTALL /S", uninstaller));  // changed files kept
  EXPECT_EQ(std::vector<std::string>{"Theirs.8bf"}, ListFolder(b + "one\\Velmoran\\"));
  EXPECT_EQ(std::vector<std::string>{"AlphaOne.8bf"}, ListFolder(b + "two\\Velmoran\\"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Velmoran\\Graphitor"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kEntry));
  // Running, it could only move aside; the system deletes it and its folder at the next start.
  EXPECT_FALSE(Exists(uninstaller));
  std::vector<std::string> pending = PendingDeletions();
  ASSERT_LE(2u, pending.size());
  EXPECT_EQ(keptFolder_ + "\\Uninstall.exe.", pending.end()[-2].substr(0, keptFolder_.size() + 15));
  EXPECT_EQ(keptFolder_, pending.back());
}

// Fourteen components with both builds of a filter each, and every preset block, in fourteen
// folders: one record past 32 KB, and one uninstall removes all of it.
TEST_F(UninstallTest, EveryInstallationOfTheLargestSetupIsRecordedAndRemoved) {
  std::vector<std::string> folders;
  for (int i = 10; i < 24; ++i) {
    folders.push_back(folder_.path() + "an editor with a long name " + std::to_string(i) + "\\Plug-ins\\Velmoran\\");
    ASSERT_EQ(0u, Run("/S /D=" + folders.back(), BinFolder() + "FullSetup.exe")) << i;
  }
  EXPECT_EQ(28u, ListFolder(folders.back()).size());
  Bytes files;
  ASSERT_TRUE(ReadValue(HKEY_LOCAL_MACHINE, kEntry, "InstalledFiles", &files));
  EXPECT_LT(32768u, files.size());
  EXPECT_EQ(0u, Run("/UNINSTALL /S", Uninstaller()));
  for (const std::string& folder : folders) EXPECT_FALSE(Exists(folder));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Velmoran"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kEntry));
}

// A list of the wrong type, an entry the setup never writes, a value outside the maker's key: an
// install writes nothing over such a record, and the uninstaller removes nothing. A folder on a
// network share is no damage. A file on a drive that is not there now is not removed and stays
// recorded, for an uninstall once the drive is back.
TEST_F(UninstallTest, ARecordThatCannotBeReadIsRefusedNotTakenForEmpty) {
  const std::string target = folder_.path() + "plug-ins\\", other = folder_.path() + "other";
  char drive = 'Q';
  while (GetLogicalDrives() & (1u << (drive - 'A'))) ++drive;
  const std::string away = std::string(1, drive) + ":\\plug-ins\\MienFold.8bf|0123456789abcdef|77824";
  const struct { const char* list; std::string text; DWORD type; bool readable, removed; } damages[] = {
      {"InstalledFolders", target, REG_SZ, false, false}, {"InstalledFiles", "C:\\x|ab|1", REG_MULTI_SZ, false, false},
      {"InstalledValues", "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Key\\Value", REG_MULTI_SZ, false, false},
      {"InstalledFolders", "\\\\server\\share\\plug-ins\\", REG_MULTI_SZ, true, true},
      {"InstalledFiles", away, REG_MULTI_SZ, true, false}};
  for (const auto& d : damages) {
    SCOPED_TRACE(d.text);
    ASSERT_EQ(0u, Run("/S /D=" + target));
    Bytes list;
    ASSERT_TRUE(ReadValue(HKEY_LOCAL_MACHINE, kEntry, d.list, &list));
    std::string entries = Utf8(std::wstring(reinterpret_cast<const wchar_t*>(list.data()), list.size() / 2 - 1));
    ASSERT_TRUE(SetString(HKEY_LOCAL_MACHINE, kEntry, d.list, d.type == REG_SZ ? d.text : entries + d.text, d.type));
    EXPECT_EQ(d.readable ? 0u : 3u, Run("/S /D=" + other));
    EXPECT_EQ(d.readable, Exists(other));
    EXPECT_EQ(d.removed ? 0u : 3u, Run("/UNINSTALL /S"));
    EXPECT_EQ(!d.readable, ReadWholeFile(target + "MienFold.8bf") == Placeholder());  // what it reaches goes
    EXPECT_EQ(!d.removed, KeyExists(HKEY_LOCAL_MACHINE, kEntry));                     // the rest stays recorded
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kEntry);
  }
}

// An uninstall the user cancels (7), one while another run holds the record (4), and one whose kept copy another
// program holds with no sharing at all (3): each leaves the entry that starts the uninstaller, for another try.
TEST_F(UninstallTest, AnUninstallThatCannotFinishKeepsTheEntryThatStartsIt) {
  const std::string plugIn = folder_.path() + "plug-ins\\MienFold.8bf";
  ASSERT_EQ(0u, Run("/S /D=" + folder_.path() + "plug-ins"));
  RunningSetup asking(BinFolder() + "VelmoranSetup.exe", "/UNINSTALL");
  HWND question = asking.WaitForPopup("Velmoran Plugins : Installation");
  ASSERT_TRUE(question);
  PostMessageA(question, WM_COMMAND, IDNO, 0);
  EXPECT_EQ(7u, asking.WaitForExit());
  HANDLE otherRun = CreateMutexA(nullptr, TRUE, "Global\\Velmoran Plugins record");  // a run in another session
  EXPECT_EQ(4u, Run("/UNINSTALL /S"));
  CloseHandle(otherRun);
  EXPECT_TRUE(Exists(plugIn));
  HANDLE held = CreateFileW(Wide(Uninstaller()).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, held);
  EXPECT_EQ(3u, Run("/UNINSTALL /S"));
  CloseHandle(held);
  EXPECT_FALSE(Exists(plugIn));
  EXPECT_EQ("\"" + Uninstaller() + "\" /UNINSTALL", ReadText(HKEY_LOCAL_MACHINE, kEntry, "UninstallString"));
  EXPECT_EQ(0u, Run("/UNINSTALL /S"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kEntry) || Exists(Uninstaller()));
}
