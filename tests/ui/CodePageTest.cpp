// Folder names whose second bytes look like ASCII letters and a backslash, through discovery, the list and an
// install, on code page 932: the test command runs this under the Japanese locale, which gives Wine that page,
// and the setup its Japanese texts.
#include "support/SetupDriver.h"

using DoubleByteCodePage = SetupTest;

TEST_F(DoubleByteCodePage, FoldersKeepTheirNamesThroughDiscoveryTheListAndAnInstall) {
  if (GetACP() != 932) {
    bool wine = GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name") != nullptr;
    if (!wine) GTEST_SKIP() << "not code page 932";
    FAIL() << "code page " << GetACP() << ": the ja_JP.UTF-8 locale is missing";
  }
  // In code page 932 the second bytes of these are 'G', 'f', 'B', '^' and '\'.
  std::string editor = folder_.path() + "\u30A8\u30C7\u30A3\u30BF\u8868";
  std::string own = folder_.Make("igrafx") + "\\\u30C7\u30A3\u8868";
  ASSERT_TRUE(CreateDirectoryW(Wide(editor).c_str(), nullptr) && CreateDirectoryW(Wide(own).c_str(), nullptr));
  Discover(editor);
  Discover(own + "\\", "PluginDir2");
  const std::vector<std::string> listed = {editor + "\\Velmoran\\",
                                           folder_.path() + "Igrafx\\\u30C7\u30A3\u8868\\",
                                           LanguageText("ja", "BrowseEntry")};  // the user's language
  for (int entry = 0; entry < 2; ++entry) {
    ASSERT_TRUE(Start());
    ASSERT_EQ(listed, setup_->ListEntries());
    setup_->SelectListEntry(entry);
    Install();
    EXPECT_TRUE(Completed()) << entry;
    EXPECT_TRUE(ReadWholeFile(listed[entry] + "MienFold.8bf") == Placeholder()) << entry;
  }
  EXPECT_EQ(std::vector<std::string>{"Velmoran"}, ListFolder(editor + "\\"));
  EXPECT_EQ(std::vector<std::string>{"MienFold.8bf"}, ListFolder(own + "\\"));
  // Two folders whose names differ only in a second byte, 'A' against 'a': two entries of the record.
  setup_.reset();
  std::string first = folder_.path() + "\u30A2", second = folder_.path() + "\u30C2";
  EXPECT_EQ(0u, Run("/S /D=" + first) + Run("/S /D=" + second));
  EXPECT_EQ(0u, Run("/UNINSTALL /S"));
  EXPECT_TRUE(ListFolder(first + "\\").empty() && ListFolder(second + "\\").empty());
}
