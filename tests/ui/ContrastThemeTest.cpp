// The dialog for people with low vision: under a contrast theme every part in the system's colours, as the prefix
// sets them, switched on and off while the dialog is open. Wine cannot switch a contrast theme on: the test setup
// takes the theme from the test instead (ContrastSeam.cpp); the colours are the system's own.
#include "support/SetupDriver.h"

namespace {

// The system's colours for the programs started while it lives; what was there before comes back.
class SystemColours {
 public:
  SystemColours(std::initializer_list<std::pair<const char*, COLORREF>> colours) {
    for (const auto& colour : colours) {
      saved_.push_back({colour.first, ReadText(HKEY_CURRENT_USER, kKey, colour.first)});
      char text[16];
      wsprintfA(text, "%d %d %d", GetRValue(colour.second), GetGValue(colour.second), GetBValue(colour.second));
      SetString(HKEY_CURRENT_USER, kKey, colour.first, text);
    }
  }
  ~SystemColours() {
    for (const auto& colour : saved_) {
      if (!colour.second.empty()) {
        SetString(HKEY_CURRENT_USER, kKey, colour.first, colour.second);
      } else {
        RegDeleteKeyValueA(HKEY_CURRENT_USER, kKey, colour.first.c_str());
      }
    }
  }

 private:
  static constexpr const char* kKey = "Control Panel\\Colors";
  std::vector<std::pair<std::string, std::string>> saved_;
};

const COLORREF kWindow = RGB(0, 0, 0), kText = RGB(255, 255, 255), kFace = RGB(0, 0, 96), kButtonText = RGB(255, 255, 0),
               kLink = RGB(0, 255, 255);

using ContrastTheme = SetupTest;

// The window's colour where the pictures were (the card's picture stays), the buttons as buttons with a border, the
// link, the prompt and the completed message in the theme's colours; the theme off again, the pictures at once.
TEST_F(ContrastTheme, DrawsEveryPartInTheSystemsColoursAndFollowsItAtOnce) {
  RegistryKeyGuard theme(HKEY_CURRENT_USER, "Software\\VelmoranContrastTheme");
  ASSERT_FALSE(theme.existedBefore());
  SystemColours colours({{"Window", kWindow}, {"WindowText", kText}, {"ButtonFace", kFace},
                         {"ButtonText", kButtonText}, {"HotTrackingColor", kLink}});
  auto setTheme = [](DWORD on) {
    return RegSetKeyValueA(HKEY_CURRENT_USER, "Software\\VelmoranContrastTheme", "On", REG_DWORD, &on, sizeof on) ==
           ERROR_SUCCESS;
  };
  ASSERT_TRUE(setTheme(1));
  Discover(folder_.path());
  ASSERT_TRUE(Start("ContrastSetup.exe"));
  const std::vector<RunningSetup::Child> shown = setup_->ReadAloud();
  ASSERT_EQ(7u, shown.size());  // the link, the toggle, the prompt, the list, INSTALL, CANCEL, the status line
  const RECT &link = shown[0].place, &prompt = shown[2].place, &install = shown[4].place;
  EXPECT_EQ(kWindow, setup_->Pixel(480, 150));
  EXPECT_EQ(ArtPixel(117, 100, 100), setup_->Pixel(100, 100));  // the card, framed
  EXPECT_EQ(kText, setup_->Pixel(5, 100));
  EXPECT_GT(setup_->CountPixels(link, kLink), 20);
  EXPECT_GT(setup_->CountPixels(prompt, kText), 20);
  EXPECT_EQ(kButtonText, setup_->Pixel(install.left, (install.top + install.bottom) / 2));  // its border
  EXPECT_EQ(kFace, setup_->Pixel(install.left + 3, install.top + 3));
  EXPECT_GT(setup_->CountPixels(install, kButtonText), 40);  // and its word
  ASSERT_TRUE(setTheme(0));
  DWORD_PTR answer = 0;  // sent, as the system sends it: a message that may carry a text is never posted
  SendMessageTimeoutW(setup_->window(), WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0, SMTO_NORMAL, 10000, &answer);
  EXPECT_TRUE(WaitUntil([&] { return setup_->Pixel(480, 150) == ArtPixel(117, 480, 150); }));
  EXPECT_TRUE(WaitUntil([&] { return setup_->Pixel(380, 276) == ArtPixel(219, 5, 5); }));  // painted after the background
  ASSERT_TRUE(setTheme(1));
  setup_->Post(WM_SYSCOLORCHANGE, 0);
  EXPECT_TRUE(WaitUntil([&] { return setup_->Pixel(480, 150) == kWindow; }));
  Install();
  ASSERT_TRUE(WaitUntil([&] { return setup_->ReadAloud().size() == 7u; }));  // the link, four lines, FINISH, status
  const std::vector<RunningSetup::Child> completed = setup_->ReadAloud();
  EXPECT_GT(setup_->CountPixels(completed[1].place, kText), 20);
  EXPECT_EQ(kFace, setup_->Pixel(completed[5].place.left + 3, completed[5].place.top + 3));
}

}  // namespace
