// The setup on a double-byte code page (932): folder names whose second bytes look like ASCII
// letters and like a backslash, through discovery, the list and an installation. The test command
// runs this executable with the Japanese locale, which gives Wine's programs code page 932.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/SetupDriver.h"
#include "support/TestSupport.h"

namespace {

std::string Narrow(const std::wstring& wide) {
  char text[1024] = "";
  WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, text, sizeof text, nullptr, nullptr);
  return text;
}

TEST(DoubleByteCodePage, FoldersKeepTheirNamesThroughDiscoveryTheListAndAnInstall) {
  if (GetACP() != 932) {
    if (!GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")) GTEST_SKIP() << "not code page 932";
    FAIL() << "code page " << GetACP() << ": the ja_JP.UTF-8 locale is missing";
  }
  RegistryKeyGuard maker(HKEY_CURRENT_USER, "Software\\Velmoran");
  InstallationGuard installation;
  if (maker.existedBefore() || installation.existedBefore()) GTEST_SKIP() << "Software\\Velmoran or an installation exists";
  TempFolder folder;
  // In code page 932 the second bytes of these are 'G', 'f', 'B', '^' and '\'.
  std::string editor = folder.path() + Narrow(L"\u30A8\u30C7\u30A3\u30BF\u8868");
  std::string own = folder.path() + "igrafx\\" + Narrow(L"\u30C7\u30A3\u8868");
  ASSERT_TRUE(CreateDirectoryA(editor.c_str(), nullptr));
  folder.Make("igrafx");
  ASSERT_TRUE(CreateDirectoryA(own.c_str(), nullptr));
  ASSERT_TRUE(SetString(HKEY_CURRENT_USER, "Software\\Velmoran\\Mien", "PluginDir", editor));
  ASSERT_TRUE(SetString(HKEY_CURRENT_USER, "Software\\Velmoran\\Other", "PluginDir", own + "\\"));
  const std::vector<std::string> listed = {editor + "\\Velmoran\\",
                                           folder.path() + "Igrafx\\" + Narrow(L"\u30C7\u30A3\u8868") + "\\",
                                           "******** BROWSE ********"};
  for (int entry = 0; entry < 2; ++entry) {
    RunningSetup setup;
    ASSERT_TRUE(setup.WaitForWindow());
    ASSERT_EQ(listed, setup.ListEntries());
    setup.SelectListEntry(entry);
    setup.Click(380, 276);
    EXPECT_TRUE(WaitUntil([&] { return ReadWholeFile(listed[entry] + "MienFold.8bf").size() == 77824; })) << entry;
    setup.Post(WM_COMMAND, IDCANCEL);
    EXPECT_EQ(0u, setup.WaitForExit());
  }
  EXPECT_EQ(std::vector<std::string>{"Velmoran"}, ListFolder(editor + "\\"));
  EXPECT_EQ(std::vector<std::string>{"MienFold.8bf"}, ListFolder(own + "\\"));
}

}  // namespace
