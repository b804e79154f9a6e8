// The surface's widget list, mouse dispatch and paint cycle, in a real window.
#include <gtest/gtest.h>

#include "skin/SkinTestWindow.h"

namespace {

std::string calls;

struct Probe : Widget {  // logs being asked (lower case) and painted (upper case)
  Probe(SkinState* s, char name, int takes) : Widget(s, nullptr), name(name), takes(takes) {}
  int OnMouse(HWND, UINT, WPARAM, LPARAM) override {
    calls += name;
    HDC held = skin->paintDC;
    if (takes) RedrawWindow(skin->window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);  // as modal loops do
    EXPECT_TRUE(held && held == skin->paintDC);
    return takes;
  }
  void Paint(HDC) override { calls += static_cast<char>(name - 'a' + 'A'); }
  char name;
  int takes;
};

// Enabled widgets are asked in creation order, each with a context that outlasts a paint cycle run meanwhile,
// until one takes the message; only mouse messages go out; only visible widgets paint; the list is bounded.
TEST(SkinSurface, DispatchesInOrderUntilAWidgetTakesTheMessage) {
  SkinWindow skin;
  calls.clear();
  (new Probe(&skin.state, 'a', 0))->visible = 0;  // asked, but not painted
  Probe* b = new Probe(&skin.state, 'b', 1);
  for (int i = 2; i < kMaxWidgets; ++i) new Probe(&skin.state, 'c', 0);
  Probe refused(&skin.state, 'x', 1);  // never asked nor painted
  EXPECT_EQ(1, skin.Dispatch(WM_LBUTTONDOWN, 5, 5));
  b->enabled = 0;
  for (UINT message : {WM_MOUSEFIRST - 1, WM_MBUTTONDBLCLK + 1, WM_MOUSEMOVE}) skin.Dispatch(message, 5, 5);
  EXPECT_EQ("abB" + std::string(kMaxWidgets - 2, 'C') + "a" + std::string(kMaxWidgets - 2, 'c'), calls);
  EXPECT_EQ(nullptr, skin.state.paintDC);
}

}  // namespace
