// The dialog at the display scales of today's screens: Wine takes the system's scale from LogPixels, which each new
// process reads, and does not stretch programs itself.
#include <oleacc.h>

#include "support/SetupDriver.h"

namespace {

using Child = RunningSetup::Child;

// Sets the system's scale, and the height of the message font that the size chosen for text in Windows scales, for
// the programs started while it lives, and puts back what was there.
class SystemScale {
 public:
  explicit SystemScale(DWORD dpi, LONG messageFontHeight = 0) {
    if (messageFontHeight && ReadValue(HKEY_CURRENT_USER, kMetrics, "MessageFont", &messageFont_) &&
        messageFont_.size() == sizeof(LOGFONTW)) {
      LOGFONTW font;
      memcpy(&font, messageFont_.data(), sizeof font);
      font.lfHeight = messageFontHeight;
      RegSetKeyValueA(HKEY_CURRENT_USER, kMetrics, "MessageFont", REG_BINARY, &font, sizeof font);
    }
    for (int i = 0; i < 2; ++i) {
      DWORD disposition = 0;
      RegCreateKeyExA(kRoots[i], kKeys[i], 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &keys_[i], &disposition);
      made_[i] = disposition == REG_CREATED_NEW_KEY;
      DWORD size = sizeof before_[i];
      had_[i] = RegQueryValueExA(keys_[i], "LogPixels", nullptr, nullptr, reinterpret_cast<BYTE*>(&before_[i]),
                                 &size) == ERROR_SUCCESS;
      RegSetValueExA(keys_[i], "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
    }
  }
  ~SystemScale() {
    if (!messageFont_.empty()) {
      RegSetKeyValueA(HKEY_CURRENT_USER, kMetrics, "MessageFont", REG_BINARY, messageFont_.data(),
                      static_cast<DWORD>(messageFont_.size()));
    }
    for (int i = 0; i < 2; ++i) {
      if (had_[i]) {
        RegSetValueExA(keys_[i], "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&before_[i]), sizeof(DWORD));
      } else {
        RegDeleteValueA(keys_[i], "LogPixels");
      }
      RegCloseKey(keys_[i]);
      if (made_[i]) RegDeleteKeyA(kRoots[i], kKeys[i]);
    }
  }

 private:
  const HKEY kRoots[2] = {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE};
  const char* const kKeys[2] = {"Control Panel\\Desktop",
                                "System\\CurrentControlSet\\Hardware Profiles\\Current\\Software\\Fonts"};
  static constexpr const char* kMetrics = "Control Panel\\Desktop\\WindowMetrics";
  Bytes messageFont_;
  HKEY keys_[2] = {};
  DWORD before_[2] = {};
  bool had_[2] = {}, made_[2] = {};
};

int Scaled(int length, int dpi) { return MulDiv(length, dpi, 96); }

bool Inside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

using DisplayScale = SetupTest;

// At 100, 150 and 200 %, and with text one and a half times Windows' own at 100 %: the window, the pictures of that
// scale, each widget where the 100 % layout puts it scaled and answering the mouse exactly over itself, and the
// folder list above the status line.
TEST_F(DisplayScale, TheDialogIsLaidOutForTheSystemsScale) {
  Discover(folder_.path());
  const struct { int system, messageFontHeight, dpi; } scales[] = {{96, 0, 96}, {144, 0, 144}, {192, 0, 192},
                                                                  {96, -18, 144}};
  for (const auto& scaled : scales) {
    const int dpi = scaled.dpi;
    SCOPED_TRACE(scaled.messageFontHeight ? "larger text" : std::to_string(dpi));
    {
      SystemScale scale(scaled.system, scaled.messageFontHeight);
      ASSERT_TRUE(Start());
    }
    RECT client, frame;
    GetClientRect(setup_->window(), &client);
    GetWindowRect(setup_->window(), &frame);
    EXPECT_EQ((std::vector<long>{Scaled(500, dpi), Scaled(292, dpi)}),
              (std::vector<long>{client.right, client.bottom}));
    EXPECT_EQ((std::vector<long>{Scaled(500, dpi), Scaled(292, dpi)}),
              (std::vector<long>{frame.right - frame.left, frame.bottom - frame.top}));
    // The background as drawn for the scale: the 100 % and 200 % pictures themselves.
    if (dpi != 144) {
      EXPECT_EQ(ArtPixel(117, Scaled(480, dpi), Scaled(150, dpi), dpi * 100 / 96),
                setup_->Pixel(Scaled(480, dpi), Scaled(150, dpi)));
    }
    std::vector<Child> shown = setup_->ReadAloud();
    ASSERT_EQ(7u, shown.size());  // the link, the toggle, the prompt, the list, INSTALL, CANCEL, the status line
    const Child &toggle = shown[1], &list = shown[3], &install = shown[4], &cancel = shown[5], &status = shown[6];
    for (size_t i = 0; i + 1 < shown.size(); ++i) EXPECT_TRUE(Inside(shown[i].place, client)) << shown[i].name;
    EXPECT_EQ((std::vector<long>{Scaled(250, dpi), Scaled(80, dpi), Scaled(13, dpi)}),
              (std::vector<long>{toggle.place.left, toggle.place.top, toggle.place.bottom - toggle.place.top}));
    EXPECT_EQ((std::vector<long>{client.right - Scaled(4, dpi), Scaled(271, dpi), Scaled(19, dpi) + 1}),
              (std::vector<long>{cancel.place.right, cancel.place.top, cancel.place.bottom - cancel.place.top}));
    EXPECT_EQ(install.place.top, cancel.place.top);
    EXPECT_EQ((std::vector<long>{Scaled(16, dpi), Scaled(232, dpi)}),
              (std::vector<long>{list.place.left, list.place.top}));
    EXPECT_LE(list.place.bottom, status.place.top);
    // The mouse over each widget shows its status text, and beside it nothing.
    const struct { const Child& widget; std::string text; } hits[] = {
        {install, LanguageText("en", "InstallStatus")}, {cancel, LanguageText("en", "CancelStatus")},
        {toggle, "Select to install Mien Fold filter"}};
    for (const auto& hit : hits) {
      const RECT& r = hit.widget.place;  // the tick box stands at its left, as high as it is
      int x = &hit.widget == &toggle ? r.left + (r.bottom - r.top) / 2 : (r.left + r.right) / 2;
      setup_->Post(WM_MOUSEMOVE, 0, MAKELPARAM(x, (r.top + r.bottom) / 2));
      EXPECT_EQ(hit.text, setup_->ReadAloud().back().name);
      setup_->Post(WM_MOUSEMOVE, 0, MAKELPARAM(r.left - 2, r.top - 2));
      EXPECT_EQ("", setup_->ReadAloud().back().name) << hit.text;
    }
  }
}

// Moved to a monitor of another scale, the dialog is laid out again for it where the system suggests, and keeps what
// the user chose.
TEST_F(DisplayScale, AnotherMonitorsScaleLaysTheDialogOutAgain) {
  Discover(folder_.path());
  ASSERT_TRUE(Start("FixtureSetup.exe"));
  std::vector<Child> before = setup_->ReadAloud();
  ASSERT_EQ(8u, before.size());
  setup_->Click(before[1].place.left + 6, before[1].place.top + 6);  // Mien Fold's tick box: cleared
  setup_->ChangeScale(144, RECT{40, 30, 40 + 750, 30 + 438});
  RECT frame, client;
  GetWindowRect(setup_->window(), &frame);
  GetClientRect(setup_->window(), &client);
  EXPECT_EQ((std::vector<long>{40, 30, 750, 438}),
            (std::vector<long>{frame.left, frame.top, client.right, client.bottom}));
  std::vector<Child> after = setup_->ReadAloud();
  ASSERT_EQ(8u, after.size());
  EXPECT_EQ(0, after[1].state & STATE_SYSTEM_CHECKED);
  EXPECT_NE(0, after[2].state & STATE_SYSTEM_CHECKED);
  EXPECT_EQ(Scaled(19, 144) + 1, after[5].place.bottom - after[5].place.top);  // INSTALL, at 150 %
  EXPECT_EQ(Scaled(250, 144), after[1].place.left);
  setup_->ClickButton(0);
  ASSERT_TRUE(WaitUntil([&] { return setup_->ReadAloud().size() == 7u; }));  // completed, at 150 % too
  EXPECT_EQ(std::vector<std::string>{"AlphaOne.8bf"}, ListFolder(folder_.path() + "Velmoran\\"));
}

}  // namespace
