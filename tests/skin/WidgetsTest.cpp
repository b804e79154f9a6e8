// Push button, hyperlink and component toggle in a real window, driven through the surface's dispatch.
#include <gtest/gtest.h>

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
