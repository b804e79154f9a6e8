// A popup selector's grid picker, answered from a timer that the picker's modal loop runs.
#include <gtest/gtest.h>

#include "skin/FrameSelector.h"
#include "skin/GridPicker.h"
#include "skin/SkinTestWindow.h"

namespace {

MSG answer;  // what the person in front of the picker does

void CALLBACK Answer(HWND owner, UINT, UINT_PTR timer, DWORD) {
  HWND picker = FindWindowExA(nullptr, nullptr, "#32770", nullptr);
  while (picker && GetWindow(picker, GW_OWNER) != owner) picker = FindWindowExA(nullptr, picker, "#32770", nullptr);
  if (picker && KillTimer(owner, timer)) PostMessageA(picker, answer.message, answer.wParam, answer.lParam);
}

// A release picks the cell under it, up to the last value; nothing else picks, whatever an earlier pick left.
TEST(GridPicker, PicksTheCellUnderTheReleaseAndNothingOtherwise) {
  SkinWindow skin;
  FrameSelector* selector = new FrameSelector(&skin.state, RECT{250, 150, 0, 0}, kGridId, 0x8004800F, "", 0, 9,
                                              nullptr, 3000, SEL_POPUP, "k");
  struct { UINT message; WPARAM key; int x, y, taken, value; } cases[] = {
      {WM_LBUTTONUP, 0, 107, 41, 1, 6}, {WM_LBUTTONUP, 0, 150, 90, 1, 9}, {WM_LBUTTONUP, 0, 190, 20, 0, 9},
      {WM_RBUTTONDOWN, 0, 53, 41, 0, 9}, {WM_KEYDOWN, VK_ESCAPE, 53, 41, 0, 9}};
  for (const auto& c : cases) {
    pickedPoint = MAKELONG(53, 41);
    answer = MSG{nullptr, c.message, c.key, MAKELPARAM(c.x, c.y), 0, {}};
    SetTimer(skin.hwnd, 1, 20, Answer);
    int taken = skin.Dispatch(WM_LBUTTONDOWN, 252, 152);
    EXPECT_EQ(std::make_tuple(c.taken, c.value, c.taken ? 3000 : -1),
              std::make_tuple(taken, selector->value, skin.TakeCommand())) << "case " << &c - cases;
  }
}

}  // namespace
