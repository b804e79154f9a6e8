// The popup grid of a SEL_POPUP selector: a helper thread plays the person in front of the modal
// picker while the test thread waits inside the mouse dispatch that opened it.
#include <gtest/gtest.h>

#include <functional>
#include <thread>
#include <vector>

#include "skin/FrameSelector.h"
#include "skin/GridPicker.h"
#include "skin/SkinTestBitmaps.h"
#include "skin/SkinTestWindow.h"

namespace {

struct PickerSeen {
  RECT frame = {};
  bool opened = false;
};

HWND FindPicker(DWORD threadId) {
  struct Search {
    HWND found = nullptr;
  } search;
  EnumThreadWindows(
      threadId,
      [](HWND window, LPARAM parameter) -> BOOL {
        char className[32] = "";
        GetClassNameA(window, className, sizeof className);
        if (lstrcmpA(className, "#32770") != 0 || !IsWindowVisible(window)) return TRUE;
        reinterpret_cast<Search*>(parameter)->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

class GridPickerTest : public ::testing::Test {
 protected:
  FrameSelector* MakePopup(int left, int top, int maximum, int flags = 0) {
    // The number box 4 pixels right of the thumbnail's left edge and 15 above it.
    return new FrameSelector(&skin.state, RECT{left, top, 0, 0}, kGridId, 0x8004800F, "", 0, maximum, nullptr,
                             3000, SEL_POPUP | flags, "k");
  }
  // Presses the left button on the selector; meanwhile `act` runs against the open picker.
  PickerSeen PressAndAct(FrameSelector* selector, std::function<void(HWND picker)> act) {
    PickerSeen seen;
    DWORD self = GetCurrentThreadId();
    std::thread person([&]() {
      HWND picker = nullptr;
      for (int waited = 0; waited < 10000 && !picker; waited += 20) {
        Sleep(20);
        picker = FindPicker(self);
      }
      if (!picker) return;
      seen.opened = true;
      Sleep(300);  // its first paint
      GetWindowRect(picker, &seen.frame);
      act(picker);
    });
    result = skin.surface->DispatchMouse(skin.window.hwnd(), WM_LBUTTONDOWN, 0,
                                         MAKELPARAM(selector->bounds.left + 2, selector->bounds.top + 2));
    person.join();
    return seen;
  }
  static void ReleaseAt(HWND picker, int x, int y) { PostMessageA(picker, WM_LBUTTONUP, 0, MAKELPARAM(x, y)); }

  AttachedSkin skin;
  int result = -1;
};

TEST_F(GridPickerTest, OpensBesideTheSelectorNeverOverIt) {
  struct {
    int top;
    int maximum;
    int height;
    int frameTop;  // on the screen; the test window sits at the origin
  } cases[] = {
      {150, 9, 122, 149 - 122},   // above and to the left
      {170, 3, 50, 169 - 50},
      {20, 9, 122, 20 + 26},      // near the top: below, its top on the selector's bottom edge
  };
  for (const auto& c : cases) {
    FrameSelector* selector = MakePopup(250, c.top, c.maximum);
    PickerSeen seen = PressAndAct(selector, [](HWND picker) { PostMessageA(picker, WM_RBUTTONDOWN, 0, 0); });
    ASSERT_TRUE(seen.opened);
    EXPECT_EQ(198, seen.frame.right - seen.frame.left);
    EXPECT_EQ(c.height, seen.frame.bottom - seen.frame.top);
    EXPECT_EQ(249 - 198, seen.frame.left);
    EXPECT_EQ(c.frameTop, seen.frame.top);
    selector->Show(0);
  }
}

TEST_F(GridPickerTest, AReleasePicksTheCellUnderIt) {
  struct {
    int maximum;
    int x, y;
    int value;  // -1: no pick
  } cases[] = {
      {9, 53, 41, 5},    // column 1, row 1
      {9, 52, 40, 0},
      {3, 53, 41, 3},    // past the last value: lowered to it
      {9, 0, 0, -1},     // the corner counts as no pick
      {9, 190, 20, -1},  // right of the fourth column there is no cell
      {11, 150, 90, 11},
  };
  for (const auto& c : cases) {
    FrameSelector* selector = MakePopup(250, 150, c.maximum);
    selector->value = 1;
    PressAndAct(selector, [&](HWND picker) { ReleaseAt(picker, c.x, c.y); });
    int expected = c.value < 0 ? 1 : c.value;
    EXPECT_EQ(expected, selector->value) << c.x << "," << c.y;
    EXPECT_EQ(c.value < 0 ? 0 : 1, result) << c.x << "," << c.y;
    EXPECT_EQ(c.value < 0 ? -1 : 3000, skin.window.TakeCommand()) << c.x << "," << c.y;
    selector->Show(0);
  }
}

TEST_F(GridPickerTest, RightPressAndEscapeCloseWithoutAPick) {
  FrameSelector* selector = MakePopup(250, 150, 9);
  selector->value = 4;
  for (auto close : {std::function<void(HWND)>([](HWND p) { PostMessageA(p, WM_RBUTTONDOWN, 0, 0); }),
                     std::function<void(HWND)>([](HWND p) { PostMessageA(p, WM_KEYDOWN, VK_ESCAPE, 0); })}) {
    pickedPoint = 0x00100010;  // what an earlier picker might have left
    PickerSeen seen = PressAndAct(selector, close);
    EXPECT_TRUE(seen.opened);
    EXPECT_EQ(4, selector->value);
    EXPECT_EQ(0, result);
    EXPECT_EQ(-1, skin.window.TakeCommand());
  }
}

TEST_F(GridPickerTest, ThePickedThumbnailIsPaintedEvenAfterTheWindowRepaintedMeanwhile) {
  SkinTestWindow::paintingSurface = skin.surface;
  FrameSelector* selector = MakePopup(250, 150, 11);
  PressAndAct(selector, [&](HWND picker) {
    InvalidateRect(skin.window.hwnd(), nullptr, FALSE);  // the window paints while the picker is open
    Sleep(400);
    ReleaseAt(picker, 2 * 44 + 20, 2 * 36 + 12);  // column 2, row 2: index 10
  });
  ASSERT_EQ(10, selector->value);
  EXPECT_EQ(nullptr, skin.state.paintDC);
  for (int i = 0; i < 26; i += 5) {
    for (int j = 0; j < 26; j += 5) ASSERT_EQ(GridPixel(52 + i, 52 + j), skin.window.Pixel(250 + i, 150 + j));
  }
}

TEST_F(GridPickerTest, CellsShowTheirThumbnailsAndTwoDigitNumbers) {
  for (int flags : {0, static_cast<int>(SEL_TRANSPOSED)}) {
    FrameSelector* selector = MakePopup(250, 150, 9, flags);
    int numberPixels = 0;
    bool thumbnailsRight = true;
    PressAndAct(selector, [&](HWND picker) {
      HDC dc = GetDC(picker);
      for (int cell : {0, 5, 9}) {
        int column = cell % 4, row = cell / 4;
        for (int i = 0; i < 26; i += 3) {
          for (int j = 0; j < 26; j += 3) {
            COLORREF expected = flags ? GridPixel(26 * column + i, 26 * row + j) : GridPixel(26 * column + j, 26 * row + i);
            thumbnailsRight &= GetPixel(dc, 44 * column + 18 + j, 36 * row + 10 + i) == expected;
          }
        }
        for (int x = 44 * column + 4; x < 44 * column + 18; ++x) {
          for (int y = 36 * row + 12; y < 36 * row + 26; ++y) numberPixels += GetPixel(dc, x, y) == RGB(0, 0, 0);
        }
      }
      ReleaseDC(picker, dc);
      PostMessageA(picker, WM_RBUTTONDOWN, 0, 0);
    });
    EXPECT_TRUE(thumbnailsRight) << "flags " << flags;
    EXPECT_GT(numberPixels, 30) << "flags " << flags;
    selector->Show(0);
  }
}

TEST_F(GridPickerTest, TheSelectorShowsItsNumberInABoxOfTwoCharacters) {
  // Value 99 is number 100: the box, 14 pixels wide, shows its first two characters, like 10.
  skin.HoldPaintDC();
  FrameSelector* selector = MakePopup(250, 150, 200);
  auto box = [&](int value) {
    skin.window.Fill(RECT{240, 120, 320, 180}, RGB(0, 0, 0));
    selector->value = value;
    selector->Paint(skin.state.paintDC);
    std::vector<COLORREF> pixels;
    for (int y = 135; y < 148; ++y) {
      for (int x = 250 + 4; x < 250 + 18; ++x) pixels.push_back(skin.window.Pixel(x, y));
    }
    pixels.push_back(skin.window.Pixel(250 + 4 + 14, 135));  // right of the box: untouched
    return pixels;
  };
  std::vector<COLORREF> ten = box(9), hundred = box(99), one = box(0);
  EXPECT_TRUE(ten == hundred);
  EXPECT_FALSE(ten == one);
  EXPECT_EQ(RGB(0, 0, 0), hundred.back());
}

}  // namespace
