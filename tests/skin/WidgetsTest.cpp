// Push button, hyperlink and selector in a real window, driven through the surface's dispatch.
#include <gtest/gtest.h>

#include "skin/FrameSelector.h"
#include "skin/HyperLink.h"
#include "skin/PushButton.h"
#include "skin/SkinTestBitmaps.h"
#include "skin/SkinTestWindow.h"

namespace {

class WidgetsTest : public ::testing::Test {
 protected:
  AttachedSkin skin;
  int Dispatch(UINT message, int x, int y) {
    return skin.surface->DispatchMouse(skin.window.hwnd(), message, 0, MAKELPARAM(x, y));
  }
  void Repaint() {
    SkinTestWindow::paintingSurface = skin.surface;
    InvalidateRect(skin.window.hwnd(), nullptr, FALSE);
    skin.window.PumpMessages();
  }
};

TEST_F(WidgetsTest, PushButtonHitsStrictlyInsideItsBounds) {
  PushButton* same = new PushButton(&skin.state, RECT{50, 50, 50, 50}, kButtonId, kButtonId, 7, nullptr,
                                    nullptr, nullptr);
  RECT expected = {50, 50, 109, 70};  // 58 x 19 and one more each way for the pressed look
  EXPECT_TRUE(EqualRect(&expected, &same->bounds));
  struct {
    int x, y, hit;
  } cases[] = {{50, 60, 0}, {60, 50, 0}, {51, 51, 1}, {108, 69, 1}, {109, 60, 0}, {60, 70, 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(c.hit, same->HitTest(MAKELPARAM(c.x, c.y), same->originX, same->originY)) << c.x << "," << c.y;
  }
  PushButton* different = new PushButton(&skin.state, RECT{10, 10, 10, 10}, kButtonId, kGradientId, 7,
                                         nullptr, nullptr, nullptr);
  RECT exact = {10, 10, 68, 29};
  EXPECT_TRUE(EqualRect(&exact, &different->bounds));
  EXPECT_EQ(0, different->pressShift);
}

TEST_F(WidgetsTest, PushButtonPressesReleasesAndPostsItsCommandOnce) {
  PushButton* button = new PushButton(&skin.state, RECT{50, 50, 50, 50}, kButtonId, kButtonId, 219,
                                      "Click to begin", nullptr, nullptr);
  Repaint();
  EXPECT_EQ(ButtonPixel(0, 0), skin.window.Pixel(50, 50));

  EXPECT_EQ(0, Dispatch(WM_LBUTTONDOWN, 60, 60));
  EXPECT_EQ(Pressed, button->pressState);
  EXPECT_EQ(BackgroundPixel(50, 50), skin.window.Pixel(50, 50));  // pressed look moved down-right
  EXPECT_EQ(ButtonPixel(0, 0), skin.window.Pixel(51, 51));
  EXPECT_EQ(-1, skin.window.TakeCommand());  // nothing until the release

  EXPECT_EQ(1, Dispatch(WM_LBUTTONUP, 200, 190));  // the release is not hit-tested
  EXPECT_EQ(ButtonPixel(0, 0), skin.window.Pixel(50, 50));
  EXPECT_EQ(219, skin.window.TakeCommand());
  EXPECT_EQ(-1, skin.window.TakeCommand());

  // Press, leave, release: cancelled, normal look back at once, nothing posted.
  EXPECT_EQ(0, Dispatch(WM_LBUTTONDOWN, 60, 60));
  EXPECT_EQ(0, Dispatch(WM_MOUSEMOVE, 150, 150));
  EXPECT_EQ(ButtonPixel(0, 0), skin.window.Pixel(50, 50));
  EXPECT_EQ(0, Dispatch(WM_LBUTTONUP, 60, 60));
  EXPECT_EQ(Idle, button->pressState);
  EXPECT_EQ(-1, skin.window.TakeCommand());

  // A press on the first column misses.
  EXPECT_EQ(0, Dispatch(WM_LBUTTONDOWN, 50, 60));
  EXPECT_EQ(0, Dispatch(WM_LBUTTONUP, 60, 60));
  EXPECT_EQ(-1, skin.window.TakeCommand());
}

TEST_F(WidgetsTest, APushButtonWithoutCommandPostsNothing) {
  PushButton* button = new PushButton(&skin.state, RECT{50, 50, 50, 50}, kButtonId, kButtonId, 0, nullptr,
                                      nullptr, nullptr);
  EXPECT_EQ(0, Dispatch(WM_LBUTTONDOWN, 60, 60));
  EXPECT_EQ(ButtonPixel(0, 0), skin.window.Pixel(51, 51));
  EXPECT_EQ(1, Dispatch(WM_LBUTTONUP, 60, 60));
  EXPECT_EQ(Clicked, button->pressState);
  EXPECT_EQ(-1, skin.window.TakeCommand());
}

TEST_F(WidgetsTest, HyperLinkHitsInclusivelyPostsOnButtonDownAndTurnsVisited) {
  HyperLink* link = new HyperLink(&skin.state, RECT{100, 20, 0, 0}, "www.velmoran.example", 1029, "Visit");
  EXPECT_EQ(1, PointInRect(link->bounds.left, link->bounds.top, link->bounds.right, link->bounds.bottom,
                           MAKELPARAM(100, 20)));  // before the first paint: a single point
  EXPECT_EQ(0, Dispatch(WM_MOUSEMOVE, 101, 20));

  skin.HoldPaintDC();
  HDC dc = skin.state.paintDC;
  HGDIOBJ fontBefore = GetCurrentObject(dc, OBJ_FONT);
  link->Paint(dc);
  EXPECT_EQ(0u, GetTextColor(dc));
  EXPECT_EQ(fontBefore, GetCurrentObject(dc, OBJ_FONT));
  SIZE extent;
  SelectObject(dc, underlineFont);
  GetTextExtentPoint32A(dc, link->label, lstrlenA(link->label), &extent);
  SelectObject(dc, fontBefore);
  RECT expected = {100, 20, 100 + extent.cx, 20 + extent.cy};
  EXPECT_TRUE(EqualRect(&expected, &link->bounds));
  skin.DropPaintDC();

  auto count = [&](COLORREF colour) {
    int found = 0;
    for (int y = link->bounds.top; y <= link->bounds.bottom; ++y) {
      for (int x = link->bounds.left; x <= link->bounds.right; ++x) found += skin.window.Pixel(x, y) == colour;
    }
    return found;
  };
  Repaint();
  EXPECT_GT(count(RGB(0, 0, 255)), 0);
  EXPECT_EQ(0, count(RGB(128, 0, 128)));

  EXPECT_EQ(1, Dispatch(WM_MOUSEMOVE, link->bounds.right, link->bounds.bottom));  // edges included
  EXPECT_EQ(1, Dispatch(WM_LBUTTONDOWN, link->bounds.left, link->bounds.top));
  EXPECT_EQ(1029, skin.window.TakeCommand());
  EXPECT_EQ(0, Dispatch(WM_LBUTTONUP, link->bounds.left, link->bounds.top));
  EXPECT_EQ(-1, skin.window.TakeCommand());
  EXPECT_EQ(1, link->visited);
  EXPECT_EQ(0, Dispatch(WM_LBUTTONDOWN, link->bounds.right + 1, link->bounds.top));

  Repaint();
  EXPECT_EQ(0, count(RGB(0, 0, 255)));
  EXPECT_GT(count(RGB(128, 0, 128)), 0);
}

FrameSelector* MakeToggle(SkinState* skin, int maximum = -3) {
  return new FrameSelector(skin, RECT{250, 80, 0, 0}, kFramesId, 0x80148000, "Mien Fold Plug-in", 0, maximum,
                           "Select to install", 2000, 0, "Mien");
}

TEST_F(WidgetsTest, TheComponentToggleFollowsItsTransitionTable) {
  FrameSelector* toggle = MakeToggle(&skin.state);
  RECT bounds = {250, 80, 263, 93};
  EXPECT_TRUE(EqualRect(&bounds, &toggle->bounds));
  EXPECT_EQ(20, toggle->labelDx);
  EXPECT_EQ(0, toggle->labelRise);
  EXPECT_EQ(3, toggle->maxValue);
  EXPECT_EQ(1, toggle->pressFrames);
  const int in = 255, out = 264;  // (264, 80) is just outside
  struct {
    int from;
    UINT message;
    int x;
    int to;
    int posted;  // -1: nothing
    int result;
  } cases[] = {
      {2, WM_LBUTTONDOWN, in, 3, -1, 1},   {3, WM_LBUTTONUP, in, 0, 2000, 1},  {0, WM_LBUTTONDOWN, in, 1, -1, 1},
      {1, WM_LBUTTONUP, in, 2, 2000, 1},   {2, WM_RBUTTONDOWN, in, 1, -1, 1},  {1, WM_RBUTTONUP, in, 0, 2000, 1},
      {0, WM_RBUTTONDOWN, in, 3, -1, 1},   {3, WM_RBUTTONUP, in, 2, 2000, 1},  {3, WM_MOUSEMOVE, out, 2, -1, 0},
      {1, WM_LBUTTONUP, out, 0, -1, 0},    {0, WM_MOUSEMOVE, out, 0, -1, 0},   {2, WM_LBUTTONUP, in, 2, -1, 0},
      {0, WM_RBUTTONUP, in, 0, -1, 0},     {3, WM_MOUSEMOVE, in, 3, -1, 0},    {2, WM_LBUTTONDBLCLK, in, 2, -1, 0},
      {2, WM_LBUTTONDOWN, 250, 3, -1, 1},  // the left edge is inside
  };
  for (const auto& c : cases) {
    toggle->value = c.from;
    EXPECT_EQ(c.result, Dispatch(c.message, c.x, 85)) << c.from << " " << c.message << " at " << c.x;
    EXPECT_EQ(c.to, toggle->value) << c.from << " " << c.message << " at " << c.x;
    EXPECT_EQ(c.posted, skin.window.TakeCommand()) << c.from << " " << c.message << " at " << c.x;
    EXPECT_EQ(-1, skin.window.TakeCommand());
  }
}

TEST_F(WidgetsTest, TheToggleShowsItsFrameAndCaptionAtOnce) {
  FrameSelector* toggle = MakeToggle(&skin.state);
  toggle->value = 2;
  Repaint();
  for (int row = 0; row < 13; ++row) {
    for (int k = 0; k < 13; ++k) ASSERT_EQ(FramesPixel(26 + k, row), skin.window.Pixel(250 + k, 80 + row));
  }
  int black = 0;  // the caption, in the paint context's black, right of the box
  for (int y = 80; y < 93; ++y) {
    for (int x = 270; x < 320; ++x) black += skin.window.Pixel(x, y) == RGB(0, 0, 0);
  }
  EXPECT_GT(black, 0);
  Dispatch(WM_LBUTTONDOWN, 255, 85);  // pressed frame 3, drawn during the dispatch
  EXPECT_EQ(FramesPixel(39 + 1, 2), skin.window.Pixel(251, 82));
  Dispatch(WM_LBUTTONUP, 255, 85);
  EXPECT_EQ(FramesPixel(0 + 1, 2), skin.window.Pixel(251, 82));
}

TEST_F(WidgetsTest, WithoutPressedFramesAButtonDownStepsAndPostsAtOnce) {
  FrameSelector* selector = MakeToggle(&skin.state, 3);
  EXPECT_EQ(0, selector->pressFrames);
  selector->value = 3;
  EXPECT_EQ(1, Dispatch(WM_LBUTTONDOWN, 255, 85));
  EXPECT_EQ(0, selector->value);
  EXPECT_EQ(2000, skin.window.TakeCommand());
  EXPECT_EQ(0, Dispatch(WM_LBUTTONUP, 255, 85));
  EXPECT_EQ(-1, skin.window.TakeCommand());
  EXPECT_EQ(1, Dispatch(WM_RBUTTONDOWN, 255, 85));
  EXPECT_EQ(3, selector->value);
}

TEST_F(WidgetsTest, SelectorValuesAreClampedAndRelativeToTheMinimum) {
  FrameSelector* selector = new FrameSelector(&skin.state, RECT{10, 10, 0, 0}, kFramesId, 0x80008000, "", 5, 9,
                                              nullptr, 1, 0, "k");
  EXPECT_EQ(5, selector->value);
  selector->value = 7;
  EXPECT_EQ(2, selector->GetValue());
  selector->SetValue(100);
  EXPECT_EQ(9, selector->value);
  selector->SetValue(-10);
  EXPECT_EQ(5, selector->value);
  FrameSelector* store = new FrameSelector(&skin.state, RECT{}, 0, 0, nullptr, 0, 0, nullptr, 0, SEL_VALUE_ONLY,
                                           "k");
  store->SetValue(-42);
  EXPECT_EQ(-42, store->GetValue());
  EXPECT_EQ(0, Dispatch(WM_LBUTTONDOWN, 0, 0));
}

TEST_F(WidgetsTest, HiddenOrFlaggedSelectorsDrawWhatTheirFlagsSay) {
  skin.HoldPaintDC();
  // Keyed frames go through the buffer over the background: white shows the background.
  FrameSelector* keyed = new FrameSelector(&skin.state, RECT{20, 20, 0, 0}, kFramesId, 0x80008000, "", 0, 3,
                                           nullptr, 0, SEL_KEYED, "k");
  keyed->value = 1;
  keyed->Paint(skin.state.paintDC);
  for (int row = 0; row < 13; ++row) {
    for (int k = 0; k < 13; ++k) {
      COLORREF source = FramesPixel(13 + k, row);
      COLORREF expected = source == RGB(255, 255, 255) ? BackgroundPixel(20 + k, 20 + row) : source;
      ASSERT_EQ(expected, skin.window.Pixel(20 + k, 20 + row));
    }
  }
  // Double-width frames: a frame past the strip's end draws nothing at all.
  FrameSelector* wide = new FrameSelector(&skin.state, RECT{60, 20, 0, 0}, kFramesId, 0x80008000, "", 0, 3,
                                          nullptr, 0, SEL_DOUBLE, "k");
  EXPECT_EQ(60 + 26, wide->bounds.right);
  skin.window.Fill(RECT{60, 20, 90, 40}, RGB(0, 0, 0));
  wide->value = 2;  // columns 52 to 77: beyond the 52-wide strip
  wide->Paint(skin.state.paintDC);
  EXPECT_EQ(RGB(0, 0, 0), skin.window.Pixel(61, 21));
  // A hidden selector wipes its erase rectangle, which the creator's width and height give.
  FrameSelector* hidden = new FrameSelector(&skin.state, RECT{100, 20, 30, 10}, kFramesId, 0x80008000, "", 0, 3,
                                            nullptr, 0, 0, "k");
  skin.window.Fill(RECT{95, 15, 140, 40}, RGB(0, 0, 0));
  hidden->Show(0);
  EXPECT_EQ(BackgroundPixel(100, 20), skin.window.Pixel(100, 20));
  EXPECT_EQ(BackgroundPixel(129, 29), skin.window.Pixel(129, 29));
  EXPECT_EQ(RGB(0, 0, 0), skin.window.Pixel(130, 30));
}

}  // namespace
