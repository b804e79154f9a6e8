// The setup in every language it speaks: what it shows and what a screen reader reads, each text inside its area;
// and the user's own language, chosen by itself. The test command runs this under German, and the users' language
// test again under Swahili, which the setup does not speak.
#include <oleacc.h>

#include <algorithm>

#include "support/SetupDriver.h"

namespace {

using Child = RunningSetup::Child;

std::string TitleOf(HWND window) {
  wchar_t title[256] = L"";
  GetWindowTextW(window, title, 256);
  return Utf8(title);
}

bool Inside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  for (size_t at = 0, end;; at = end + 1) {
    end = text.find('\n', at);
    std::string line = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
    lines.push_back(line.substr(line.find_first_not_of(' ')));  // read without the indent
    if (end == std::string::npos) return lines;
  }
}

class EveryLanguage : public SetupTest, public ::testing::WithParamInterface<const char*> {
 protected:
  // Each button's word on its plate, clear of the plate's sides. plates: the pictures' ids.
  void ExpectWordsOnTheirPlates(const std::vector<std::pair<const Child*, int>>& buttons) const {
    for (const auto& button : buttons) {
      int atSides = 0;
      EXPECT_GT(setup_->CountOverPlate(button.first->place, button.second, &atSides), 10) << button.first->name;
      EXPECT_EQ(0, atSides) << button.first->name;
    }
  }
  // The status line, with the mouse over the element: its text, ending short of the buttons.
  void ExpectStatus(const Child& over, const std::string& expected, const RECT& buttons) {
    int x = (over.place.left + over.place.right) / 2, y = (over.place.top + over.place.bottom) / 2;
    setup_->Post(WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    Child status = setup_->ReadAloud().back();
    EXPECT_EQ(expected, status.name);
    EXPECT_LE(status.place.right, buttons.left - 20) << expected;
  }
};

// The title, the texts as a screen reader reads them, the buttons as wide as their words need with each word on its
// plate, the status line clear of the buttons, and the completed message inside the window, with its line that other
// users can change the plug-ins (the folder is one that everyone may change).
TEST_P(EveryLanguage, IsShownAndReadAndKeepsEachTextToItsArea) {
  const std::string tag = GetParam();
  auto text = [&](const char* key) { return LanguageText(tag, key); };
  ASSERT_TRUE(SetAccessList(folder_.path(), L"D:(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1301bf;;;WD)"));
  Discover(folder_.path());
  ASSERT_TRUE(Start("VelmoranSetup.exe", "/LANG=" + tag));
  EXPECT_EQ(text("Title"), TitleOf(setup_->window()));
  RECT client;
  GetClientRect(setup_->window(), &client);
  std::vector<Child> shown = setup_->ReadAloud();
  ASSERT_EQ(7u, shown.size());  // the link, the toggle, the prompt, the list, INSTALL, CANCEL, the status line
  const Child &link = shown[0], &prompt = shown[2], &install = shown[4], &cancel = shown[5];
  EXPECT_EQ(text("Prompt"), prompt.name);
  EXPECT_EQ(text("InstallWord"), install.name);
  EXPECT_EQ(text("CancelWord"), cancel.name);
  EXPECT_TRUE(Inside(prompt.place, client)) << prompt.name;
  EXPECT_TRUE(install.place.right <= cancel.place.left && Inside(cancel.place, client));
  ExpectWordsOnTheirPlates({{&install, 219}, {&cancel, 203}});
  ExpectStatus(install, text("InstallStatus"), install.place);
  ExpectStatus(cancel, text("CancelStatus"), install.place);
  ExpectStatus(link, text("LinkStatus"), install.place);

  setup_->ClickButton(0);
  ASSERT_TRUE(Completed());
  shown = setup_->ReadAloud();
  ASSERT_EQ(8u, shown.size());  // the link, five lines, FINISH, the status line
  std::vector<std::string> lines = Lines(text("Completed") + "\n" + text("OthersCanChange"));
  ASSERT_EQ(5u, lines.size());
  for (size_t line = 0; line < 5; ++line) {
    EXPECT_EQ(lines[line], shown[1 + line].name);
    EXPECT_LE(shown[1 + line].place.right, client.right - 4) << lines[line];
  }
  const Child& finish = shown[6];
  EXPECT_EQ(text("FinishWord"), finish.name);
  EXPECT_TRUE(Inside(finish.place, client));
  ExpectWordsOnTheirPlates({{&finish, 220}});
  ExpectStatus(finish, text("FinishStatus"), finish.place);
  setup_->ClickButton(0);
  EXPECT_EQ(0u, setup_->WaitForExit());
}

INSTANTIATE_TEST_SUITE_P(BuiltIn, EveryLanguage,
                         ::testing::Values("en", "de", "fr", "es", "it", "pt-BR", "nl", "pl", "ru", "ja", "zh-CN",
                                           "ko", "cs", "da", "fi", "hu", "nb", "sv", "tr", "uk", "zh-TW"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           std::string name = info.param;
                           name.erase(std::remove(name.begin(), name.end(), '-'), name.end());
                           return name;
                         });

using UsersLanguage = SetupTest;

// The user's display language where the setup speaks it, English where it does not; /LANG= names another, a
// region's variant included but not the other script of Chinese; the maker's captions follow, each the default
// where the maker gave none in that language.
TEST_F(UsersLanguage, IsChosenByItselfOrByLangAndTheMakersCaptionsFollow) {
  const std::string own = PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_GERMAN ? "de" : "en";
  const struct { std::string arguments, language; std::vector<std::string> captions; } cases[] = {
      {"", own, own == "de" ? std::vector<std::string>{"Mien-Fold-Plug-in", "Alpha-One-Plug-in"}
                            : std::vector<std::string>{"Mien Fold Plug-in", "Alpha One Plug-in"}},
      {"/LANG=ja", "ja", {"Mien Fold \u30D7\u30E9\u30B0\u30A4\u30F3", "Alpha One Plug-in"}},
      {"/lang=FR", "fr", {"Mien Fold Plug-in", "Alpha One Plug-in"}},
      {"/LANG=pt-PT", "pt-BR", {"Mien Fold Plug-in", "Alpha One Plug-in"}},
      {"/LANG=zh-HK", "zh-TW", {"Mien Fold Plug-in", "Alpha One Plug-in"}},  // traditional, never simplified
      {"/LANG=zh-SG", "zh-CN", {"Mien Fold Plug-in", "Alpha One Plug-in"}},
      {"/LANG=nn-NO", "nb", {"Mien Fold Plug-in", "Alpha One Plug-in"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments);
    ASSERT_TRUE(Start("FixtureSetup.exe", c.arguments));
    EXPECT_EQ(LanguageText(c.language, "Title"), TitleOf(setup_->window()));
    std::vector<Child> shown = setup_->ReadAloud();
    ASSERT_LE(3u, shown.size());
    EXPECT_EQ(c.captions, (std::vector<std::string>{shown[1].name, shown[2].name}));
  }
  setup_.reset();
  for (const char* unknown : {"/LANG=xx", "/LANG=sw", "/LANG="}) {
    EXPECT_EQ(1u, Run(std::string("/S ") + unknown)) << unknown;
  }
}

}  // namespace
