// Push button, hyperlink and component toggle in a real window, driven through the surface's dispatch.
#include <gtest/gtest.h>

#include <functional>

#include "skin/FrameSelector.h"
#include "skin/HyperLink.h"
#include "skin/PushButton.h"
#include "skin/SkinTestWindow.h"

// Button at (50, 50): drawn one pixel down-right while pressed, posts on the release unless the press moved
// off. Link at (100, 20): posts on the button-down. Toggle at (250, 80): steps on with the left button and
// back with the right, wrapping, showing the odd pressed frame until the release on it posts.
TEST(Widgets, AnswerClicksAsTheSetupDialogNeeds) {
  SkinWindow skin;
  new PushButton(&skin.state, RECT{50, 50, 0, 0}, kButtonId, kButtonId, 219, nullptr, nullptr, nullptr);
  new HyperLink(&skin.state, RECT{100, 20, 0, 0}, L"www.velmoran.example", 1029, L"Visit");
  FrameSelector* toggle = new FrameSelector(&skin.state, RECT{250, 80, 0, 0}, kFramesId, 0x80148000,
                                            L"Mien Fold Plug-in", 0, -3, L"Select to install", 2000, 0, L"Mien");
  toggle->value = 2;
  RedrawWindow(skin.hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);  // gives the link its extent
  const COLORREF up = ButtonPixel(0, 0), down = BackgroundPixel(50, 50);  // the button's corner
  struct { UINT message; int x, y, taken, posted; COLORREF corner; int frame; } steps[] = {
      {WM_LBUTTONDOWN, 60, 60, 0, -1, down, 2}, {WM_LBUTTONUP, 200, 190, 1, 219, up, 2},
      {WM_LBUTTONDOWN, 60, 60, 0, -1, down, 2}, {WM_MOUSEMOVE, 150, 150, 0, -1, up, 2},
      {WM_LBUTTONUP, 60, 60, 0, -1, up, 2}, {WM_LBUTTONDOWN, 99, 20, 0, -1, up, 2},
      {WM_LBUTTONDOWN, 100, 20, 1, 1029, up, 2}, {WM_LBUTTONDOWN, 150, 25, 1, 1029, up, 2},
      {WM_LBUTTONUP, 150, 25, 0, -1, up, 2}, {WM_LBUTTONDOWN, 250, 85, 1, -1, up, 3},
      {WM_LBUTTONUP, 263, 85, 1, 2000, up, 0}, {WM_RBUTTONDOWN, 255, 80, 1, -1, up, 3},
      {WM_RBUTTONUP, 255, 93, 1, 2000, up, 2}, {WM_RBUTTONDOWN, 255, 85, 1, -1, up, 1},
      {WM_MOUSEMOVE, 264, 85, 0, -1, up, 0}, {WM_RBUTTONUP, 255, 85, 0, -1, up, 0},
      {WM_LBUTTONDOWN, 255, 85, 1, -1, up, 1}, {WM_LBUTTONUP, 255, 85, 1, 2000, up, 2}};
  for (const auto& s : steps) {
    int taken = skin.Dispatch(s.message, s.x, s.y);
    EXPECT_EQ(std::make_tuple(s.taken, s.posted, s.corner, s.frame, FramesPixel(13 * s.frame + 1, 2)),
              std::make_tuple(taken, skin.TakeCommand(), GetPixel(skin.screen, 50, 50), toggle->value,
                              GetPixel(skin.screen, 251, 82))) << "step " << &s - steps;
  }
}

namespace {
// What the grid picker showed, and what was done in it, from another thread while its modal loop runs.
struct PickerHand {
  HWND owner;
  UINT message;  // posted to the picker at the cell below: a release picks, a right press cancels
  int cellX, cellY;
  COLORREF shown = CLR_INVALID;  // the thumbnail of cell (1, 0), 3 pixels in
};

DWORD WINAPI UsePicker(void* parameter) {
  PickerHand* hand = static_cast<PickerHand*>(parameter);
  HWND picker = nullptr;
  for (int waited = 0; !picker && waited < 5000; waited += 20, Sleep(20)) {
    HWND found = FindWindowExA(nullptr, nullptr, "#32770", nullptr);
    if (found && GetWindow(found, GW_OWNER) == hand->owner && IsWindowVisible(found)) picker = found;
  }
  if (!picker) return 1;
  Sleep(200);  // painted
  HDC dc = GetDC(picker);
  hand->shown = GetPixel(dc, 44 + 18 + 3, 10 + 3);
  ReleaseDC(picker, dc);
  PostMessageA(picker, hand->message, 0, MAKELPARAM(44 * hand->cellX + 18 + 13, 36 * hand->cellY + 10 + 13));
  return 0;
}
}  // namespace

// The selector's other modes as a toolkit user builds them: frames twice as wide, keyed on white, drawn transposed,
// thumbnails of a popup (plain and transposed), and a value with no picture that takes no mouse.
TEST(Widgets, SelectorModesDrawTheirFramesAsTheirFlagsSay) {
  SkinWindow skin;
  const struct { int flags; BitmapId picture; int value, x, w; std::function<COLORREF(int, int)> expected; } modes[] = {
      {SEL_DOUBLE, kFramesId, 1, 10, 26, [](int dx, int dy) { return FramesPixel(26 + dx, dy); }},
      {SEL_KEYED, kFramesId, 0, 50, 13, [](int dx, int dy) {
         return FramesPixel(dx, dy) == 0xFFFFFF ? BackgroundPixel(50 + dx, 20 + dy) : FramesPixel(dx, dy); }},
      {SEL_TRANSPOSED, kFramesId, 1, 80, 13, [](int dx, int dy) { return FramesPixel(13 + dy, dx); }},
      {SEL_POPUP, kGridId, 5, 110, 26, [](int dx, int dy) { return GridPixel(26 + dx, 26 + dy); }},
      {SEL_POPUP | SEL_TRANSPOSED, kGridId, 5, 170, 26, [](int dx, int dy) { return GridPixel(26 + dy, 26 + dx); }},
      {SEL_VALUE_ONLY, kFramesId, 7, 230, 26, [](int dx, int dy) { return BackgroundPixel(230 + dx, 20 + dy); }}};
  std::vector<FrameSelector*> selectors;
  for (const auto& mode : modes) {  // popups' numbers beside their thumbnails, out of the way
    selectors.push_back(new FrameSelector(&skin.state, RECT{mode.x, 20, 0, 0}, mode.picture, 0x801E8000, L"", 0, 11,
                                          nullptr, 3000, mode.flags, nullptr));
    selectors.back()->SetValue(mode.value);
  }
  RedrawWindow(skin.hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  for (size_t i = 0; i < selectors.size(); ++i) {
    const auto& mode = modes[i];
    RECT area = {mode.x, 20, mode.x + mode.w, 20 + (mode.picture == kGridId ? 26 : 13)};
    EXPECT_EQ(0, Differences(skin.screen, area, [&](int x, int y) { return mode.expected(x - mode.x, y - 20); }))
        << "flags " << mode.flags;
    EXPECT_EQ(mode.value, selectors[i]->GetValue());
  }
  EXPECT_EQ(0, skin.Dispatch(WM_LBUTTONDOWN, 235, 25));  // the value-only one takes no mouse
}

// A popup selector's left button opens the grid picker over the window with every thumbnail; a release on a cell picks
// its value and posts the command, a right press cancels; the selector's own right button posts the next command.
TEST(Widgets, APopupSelectorPicksInItsGridOrIsCancelled) {
  SkinWindow skin;
  FrameSelector* popup = new FrameSelector(&skin.state, RECT{200, 140, 0, 0}, kGridId, 0x801E8000, L"", 0, 11,
                                           nullptr, 3000, SEL_POPUP, nullptr);
  const struct { UINT message; int cellX, cellY, value, posted; } uses[] = {
      {WM_LBUTTONUP, 2, 1, 6, 3000}, {WM_RBUTTONDOWN, 3, 2, 6, -1}, {WM_LBUTTONUP, 3, 2, 11, 3000}};
  for (const auto& use : uses) {
    PickerHand hand = {skin.hwnd, use.message, use.cellX, use.cellY};
    HANDLE helper = CreateThread(nullptr, 0, UsePicker, &hand, 0, nullptr);
    skin.Dispatch(WM_LBUTTONDOWN, 210, 150);  // returns when the picker has closed
    WaitForSingleObject(helper, 10000);
    CloseHandle(helper);
    EXPECT_EQ(GridPixel(26 + 3, 3), hand.shown);
    EXPECT_EQ(std::make_pair(use.value, use.posted), std::make_pair(popup->GetValue(), skin.TakeCommand()));
  }
  EXPECT_EQ(0, skin.Dispatch(WM_RBUTTONDOWN, 210, 150));
  EXPECT_EQ(3001, skin.TakeCommand());
}
