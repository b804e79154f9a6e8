// The real setup executable under the platform: what a person sees in its window and gets on disk
// and in the registry. The folder it discovers is prepared in the registry of the test prefix.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/SetupDriver.h"
#include "support/TestSupport.h"

namespace {

const std::string kProduct = BinFolder() + "VelmoranSetup.exe";
const std::string kFixtureProduct = BinFolder() + "FixtureSetup.exe";
const char kBrowseEntry[] = "******** BROWSE ********";

enum { kBackground = 117, kToggle = 128, kExit = 203, kBanner = 213, kBegin = 219, kFinish = 220 };

class SetupDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (maker_.existedBefore() || machineMaker_.existedBefore()) GTEST_SKIP() << "Software\\Velmoran exists already";
    pluginFolder_ = folder_.Make("editor\\plug-ins") + "\\";
    ASSERT_TRUE(SetString(HKEY_CURRENT_USER, "Software\\Velmoran\\Mien", "PluginDir", pluginFolder_));
    listedFolder_ = folder_.path() + "Editor\\Plug-Ins\\Velmoran\\";
  }
  std::unique_ptr<RunningSetup> Start(const std::string& exe = kProduct) {
    std::unique_ptr<RunningSetup> setup(new RunningSetup(exe));
    EXPECT_TRUE(setup->WaitForWindow());
    return setup;
  }
  std::string Installed(const char* name) const { return listedFolder_ + name; }

  RegistryKeyGuard maker_{HKEY_CURRENT_USER, "Software\\Velmoran"};
  RegistryKeyGuard machineMaker_{HKEY_LOCAL_MACHINE, "Software\\Velmoran"};
  TempFolder folder_;
  std::string pluginFolder_;
  std::string listedFolder_;  // the discovered folder as the list shows it
  SetupBitmaps art_{kProduct};
};

TEST_F(SetupDialogTest, ShowsTheLaidOutDialogAsASingleInstance) {
  auto setup = Start();
  HWND window = setup->window();
  RECT frame;
  GetWindowRect(window, &frame);
  EXPECT_EQ(500, frame.right - frame.left);
  EXPECT_EQ(292, frame.bottom - frame.top);
  EXPECT_EQ((std::vector<std::string>{listedFolder_, kBrowseEntry}), setup->ListEntries());
  EXPECT_EQ(0, setup->ListSelection());
  RECT list;
  GetWindowRect(GetDlgItem(window, 1033), &list);
  EXPECT_EQ(16, list.left - frame.left);
  EXPECT_EQ(232, list.top - frame.top);
  EXPECT_EQ(469, list.right - list.left);

  EXPECT_EQ(art_.Pixel(kExit, 5, 5), setup->Pixel(437 + 5, 271 + 5));
  EXPECT_EQ(art_.Pixel(kBegin, 5, 5), setup->Pixel(375 + 5, 271 + 5));
  EXPECT_EQ(art_.Pixel(kToggle, 26 + 3, 3), setup->Pixel(250 + 3, 80 + 3));  // ticked
  EXPECT_EQ(art_.Pixel(kBackground, 480, 150), setup->Pixel(480, 150));
  EXPECT_EQ(art_.Pixel(kBackground, 100, 100), setup->Pixel(100, 100));  // no banner yet
  EXPECT_GT(setup->CountPixels(RECT{20, 206, 300, 219}, RGB(0, 0, 0)), 20);       // the prompt
  EXPECT_GT(setup->CountPixels(RECT{300, 20, 460, 34}, RGB(0, 0, 255)), 20);      // the link
  EXPECT_GT(setup->CountPixels(RECT{270, 80, 380, 93}, RGB(0, 0, 0)), 20);        // the caption

  setup->Move(440, 280);  // over the exit button: its status text, in white
  EXPECT_TRUE(WaitUntil([&] { return setup->CountPixels(RECT{20, 273, 355, 292}, RGB(255, 255, 255)) > 10; }));

  RunningSetup second(kProduct);
  EXPECT_EQ(0u, second.WaitForExit(10000));
  EXPECT_EQ(static_cast<DWORD>(STILL_ACTIVE), setup->WaitForExit(0));

  PostMessageA(window, WM_HELP, 0, 0);  // F1: nothing changes
  setup->Settle();
  EXPECT_EQ(static_cast<DWORD>(STILL_ACTIVE), setup->WaitForExit(0));
  EXPECT_EQ(art_.Pixel(kBegin, 5, 5), setup->Pixel(375 + 5, 271 + 5));

  setup->Command(IDCANCEL);  // what Escape sends
  EXPECT_EQ(0u, setup->WaitForExit());
}

TEST_F(SetupDialogTest, TheToggleHidesAndShowsTheBeginButton) {
  auto setup = Start();
  setup->Click(255, 85);
  EXPECT_TRUE(WaitUntil([&] { return setup->Pixel(253, 83) == art_.Pixel(kToggle, 3, 3); }));  // empty box
  EXPECT_EQ(art_.Pixel(kBackground, 380, 276), setup->Pixel(380, 276));    // begin button gone
  setup->Command(IDOK);  // nothing selected: no run
  setup->Click(380, 276);
  EXPECT_FALSE(FolderExists(listedFolder_));
  setup->Click(255, 85);
  EXPECT_TRUE(WaitUntil([&] { return setup->Pixel(380, 276) == art_.Pixel(kBegin, 5, 5); }));
  setup->Click(440, 276);  // exit
  EXPECT_EQ(0u, setup->WaitForExit());
}

TEST_F(SetupDialogTest, InstallsFilesAndPresetsThenShowsTheCompletedState) {
  SetupBitmaps art(kFixtureProduct);
  auto setup = Start(kFixtureProduct);
  setup->Click(380, 276);
  ASSERT_TRUE(WaitUntil([&] { return setup->Pixel(26, 26) == art.Pixel(kBanner, 20, 20); }));
  std::vector<unsigned char> installed, placeholder;
  ASSERT_TRUE(ReadWholeFile(Installed("MienFold.8bf"), &installed));
  ASSERT_TRUE(ReadWholeFile(BinFolder() + "..\\payload\\MIEN__FOLD.8BF", &placeholder));
  EXPECT_TRUE(installed == placeholder);
  EXPECT_EQ((std::vector<std::string>{"AlphaOne.8bf", "MienFold.8bf"}), ListFolder(listedFolder_));
  DWORD type;
  std::vector<unsigned char> data;
  EXPECT_TRUE(ReadValue(HKEY_LOCAL_MACHINE, "Software\\Velmoran\\Graphitor", "Portrait12", &type, &data));
  EXPECT_EQ(64u, data.size());

  setup->Settle(300);
  EXPECT_EQ(art.Pixel(kBanner, 20, 20), setup->Pixel(6 + 20, 6 + 20));
  EXPECT_EQ(art.Pixel(kFinish, 5, 5), setup->Pixel(435 + 5, 271 + 5));
  EXPECT_GT(setup->CountPixels(RECT{234, 100, 460, 165}, RGB(0, 0, 0)), 100);  // four lines
  EXPECT_GT(setup->CountPixels(RECT{300, 20, 460, 34}, RGB(0, 0, 255)), 20);   // the link stays
  RECT list, frame;
  GetWindowRect(GetDlgItem(setup->window(), 1033), &list);
  GetWindowRect(setup->window(), &frame);
  EXPECT_GT(list.top, frame.bottom);  // moved out of sight

  EXPECT_EQ(art.Pixel(kBackground, 253, 83), setup->Pixel(253, 83));  // the toggle is gone
  setup->Click(255, 85);  // and no longer reacts
  EXPECT_EQ(art.Pixel(kBackground, 253, 83), setup->Pixel(253, 83));
  setup->Click(440, 276);  // finish
  EXPECT_EQ(0u, setup->WaitForExit());
}

// Chooses a folder in the shell's folder browser the way a person would.
bool BrowseTo(RunningSetup& setup, const std::string& folder) {
  HWND browser = setup.WaitForPopup("#32770", "Browse for Folder");
  if (!browser) return false;
  void* remote = VirtualAllocEx(setup.process(), nullptr, folder.size() + 1, MEM_COMMIT, PAGE_READWRITE);
  WriteProcessMemory(setup.process(), remote, folder.c_str(), folder.size() + 1, nullptr);
  for (int attempt = 0; attempt < 2; ++attempt) {  // a folder never read before may need a second try
    SendMessageA(browser, WM_USER + 102, TRUE, reinterpret_cast<LPARAM>(remote));
    Sleep(200);
  }
  PostMessageA(browser, WM_COMMAND, IDOK, 0);
  setup.Settle(400);
  VirtualFreeEx(setup.process(), remote, 0, MEM_RELEASE);
  return true;
}

TEST_F(SetupDialogTest, BrowsedFoldersGoBeforeTheBrowseEntryAndReplaceEachOther) {
  std::string first = folder_.Make("Other") + "\\";
  std::string second = folder_.Make("Second") + "\\";
  auto setup = Start();
  setup->SelectListEntry(1);
  ASSERT_TRUE(BrowseTo(*setup, first.substr(0, first.size() - 1)));
  EXPECT_EQ((std::vector<std::string>{listedFolder_, first, kBrowseEntry}), setup->ListEntries());
  EXPECT_EQ(1, setup->ListSelection());

  setup->SelectListEntry(2);
  ASSERT_TRUE(BrowseTo(*setup, second.substr(0, second.size() - 1)));
  EXPECT_EQ((std::vector<std::string>{listedFolder_, second, kBrowseEntry}), setup->ListEntries());
  EXPECT_EQ(1, setup->ListSelection());

  setup->SelectListEntry(2);
  HWND browser = setup->WaitForPopup("#32770", "Browse for Folder");
  ASSERT_NE(nullptr, browser);
  PostMessageA(browser, WM_COMMAND, IDCANCEL, 0);
  setup->Settle(400);
  EXPECT_EQ(0, setup->ListSelection());

  setup->SelectListEntry(1);  // install into the browsed folder
  setup->Click(380, 276);
  ASSERT_TRUE(WaitUntil([&] { return setup->Pixel(26, 26) == art_.Pixel(kBanner, 20, 20); }));
  std::vector<unsigned char> installed;
  EXPECT_TRUE(ReadWholeFile(second + "MienFold.8bf", &installed));
  setup->Command(IDCANCEL);
  EXPECT_EQ(0u, setup->WaitForExit());
}

}  // namespace
