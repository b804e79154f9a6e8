// The surface and the widget base in a real window: registration, dispatch order, the paint cycle,
// the status line and the life of GDI objects.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "skin/PushButton.h"
#include "skin/SkinTestBitmaps.h"
#include "skin/SkinTestWindow.h"
#include "skin/Widget.h"

namespace {

std::vector<std::string> calls;

// Answers mouse messages as told and logs what it is asked to do.
class ProbeWidget : public Widget {
 public:
  ProbeWidget(SkinState* skin, const char* name, int answer = 0, const char* status = nullptr)
      : Widget(skin, status), name_(name), answer_(answer) {}
  int OnMouse(HWND, UINT, WPARAM, LPARAM) override {
    calls.push_back(name_ + " mouse");
    if (onMouse) onMouse(this);
    return answer_;
  }
  void Paint(HDC) override { calls.push_back(name_ + (visible ? " paint" : " wipe")); }
  void (*onMouse)(ProbeWidget*) = nullptr;

 private:
  std::string name_;
  int answer_;
};

class SkinSurfaceTest : public ::testing::Test {
 protected:
  void SetUp() override { calls.clear(); }
  AttachedSkin skin;
  int Dispatch(UINT message, int x = 5, int y = 5) {
    return skin.surface->DispatchMouse(skin.window.hwnd(), message, 0, MAKELPARAM(x, y));
  }
};

TEST_F(SkinSurfaceTest, WidgetsRegisterInCreationOrderAndTheFirstTakerEndsTheDispatch) {
  Widget* a = new ProbeWidget(&skin.state, "a");
  Widget* b = new ProbeWidget(&skin.state, "b", 1);
  Widget* c = new ProbeWidget(&skin.state, "c");
  ASSERT_EQ(3, skin.state.widgetCount);
  EXPECT_EQ(a, skin.state.widgets[0]);
  EXPECT_EQ(b, skin.state.widgets[1]);
  EXPECT_EQ(c, skin.state.widgets[2]);
  for (Widget* w : {a, b, c}) EXPECT_TRUE(w->visible && w->enabled && !w->erased);

  EXPECT_EQ(1, Dispatch(WM_LBUTTONDOWN));
  EXPECT_EQ((std::vector<std::string>{"a mouse", "b mouse"}), calls);
  EXPECT_EQ(nullptr, skin.state.paintDC);

  calls.clear();
  b->enabled = 0;  // enabled, not visible, decides who is asked
  a->visible = 0;
  EXPECT_EQ(0, Dispatch(WM_MOUSEMOVE));
  EXPECT_EQ((std::vector<std::string>{"a mouse", "c mouse"}), calls);

  calls.clear();
  for (UINT message : {0x100u, 0x20Au, 0x1FFu, static_cast<UINT>(WM_PAINT)}) EXPECT_EQ(0, Dispatch(message)) << message;
  EXPECT_TRUE(calls.empty());

  skin.window.Fill(RECT{0, 0, 320, 200}, RGB(0, 0, 0));
  SkinTestWindow::paintingSurface = skin.surface;
  InvalidateRect(skin.window.hwnd(), nullptr, FALSE);
  skin.window.PumpMessages();
  EXPECT_EQ((std::vector<std::string>{"b paint", "c paint"}), calls);  // hidden a is not painted
  EXPECT_EQ(BackgroundPixel(123, 45), skin.window.Pixel(123, 45));
  EXPECT_EQ(nullptr, skin.state.paintDC);
}

TEST_F(SkinSurfaceTest, WithoutWidgetsNothingIsDispatched) {
  EXPECT_EQ(0, Dispatch(WM_MOUSEMOVE));
  EXPECT_EQ(nullptr, skin.state.paintDC);
}

TEST_F(SkinSurfaceTest, AWidgetPastTheListsEndIsRefusedAndTheListStaysWhole) {
  std::vector<Widget*> widgets;
  for (int i = 0; i < kMaxWidgets; ++i) widgets.push_back(new ProbeWidget(&skin.state, "w"));
  ProbeWidget* extra = new ProbeWidget(&skin.state, "extra", 1);
  EXPECT_FALSE(extra->registered());
  EXPECT_TRUE(widgets.back()->registered());
  EXPECT_EQ(kMaxWidgets, skin.state.widgetCount);
  for (int i = 0; i < kMaxWidgets; ++i) ASSERT_EQ(widgets[i], skin.state.widgets[i]);
  EXPECT_EQ(0, Dispatch(WM_LBUTTONDOWN));  // the refused one is never asked
  delete extra;
}

TEST_F(SkinSurfaceTest, ShowAndHidePaintOnceAndWipeOnce) {
  PushButton* button = new PushButton(&skin.state, RECT{40, 40, 40, 40}, kButtonId, kButtonId, 7, nullptr,
                                      nullptr, nullptr);
  skin.window.Fill(RECT{0, 0, 320, 200}, RGB(0, 0, 0));
  button->Show(0);
  EXPECT_TRUE(button->erased && !button->visible && !button->enabled);
  EXPECT_EQ(BackgroundPixel(45, 45), skin.window.Pixel(45, 45));  // wiped with the background
  skin.window.Fill(RECT{0, 0, 320, 200}, RGB(0, 0, 0));
  button->Show(0);
  EXPECT_EQ(RGB(0, 0, 0), skin.window.Pixel(45, 45));  // already wiped: nothing drawn again
  button->Show(1);
  EXPECT_EQ(ButtonPixel(5, 5), skin.window.Pixel(45, 45));
  EXPECT_FALSE(button->erased);
}

TEST_F(SkinSurfaceTest, TheStatusLineIsDrawnOncePerStateAndShowsEitherPart) {
  Widget* widget = new ProbeWidget(&skin.state, "s", 0, "First part@Second");
  Widget* silent = new ProbeWidget(&skin.state, "t");
  const RECT& status = skin.state.statusRect;
  auto textPixels = [&]() {
    int white = 0;
    for (int y = status.top; y < status.bottom; ++y) {
      for (int x = status.left; x < status.right; ++x) white += skin.window.Pixel(x, y) == RGB(255, 255, 255);
    }
    return white;
  };
  auto backgroundOnly = [&]() {
    for (int y = status.top; y < status.bottom; ++y) {
      for (int x = status.left; x < status.right; ++x) {
        if (skin.window.Pixel(x, y) != BackgroundPixel(x, y)) return false;
      }
    }
    return true;
  };
  skin.HoldPaintDC();
  widget->ShowStatus(1);
  int first = textPixels();
  EXPECT_GT(first, 0);
  EXPECT_EQ(1, widget->hoverState);

  skin.window.Fill(status, RGB(0, 0, 0));
  widget->ShowStatus(1);  // same state: not drawn again
  EXPECT_EQ(0, textPixels());

  widget->ShowStatus(2);
  int second = textPixels();
  EXPECT_GT(second, 0);
  EXPECT_NE(first, second);  // "Second" is another text than "First part"

  widget->ShowStatus(0);
  EXPECT_TRUE(backgroundOnly());
  EXPECT_EQ(0, widget->hoverState);

  silent->ShowStatus(1);  // no text: nothing drawn, state kept
  EXPECT_EQ(0, silent->hoverState);
  EXPECT_TRUE(backgroundOnly());
}

TEST_F(SkinSurfaceTest, StatusTextsSplitAtTheFirstAt) {
  struct {
    const char* text;
    bool firstShows;
    bool secondShows;
  } cases[] = {{"Only", true, false}, {"Ends@", true, false}, {"@Second", false, true}, {"a@b@c", true, true}};
  skin.HoldPaintDC();
  for (const auto& c : cases) {
    Widget* widget = new ProbeWidget(&skin.state, "w", 0, c.text);
    widget->ShowStatus(1);
    int white1 = 0, white2 = 0;
    for (int x = 20; x < 200; ++x) {
      for (int y = 150; y < 170; ++y) white1 += skin.window.Pixel(x, y) == RGB(255, 255, 255);
    }
    widget->ShowStatus(2);
    for (int x = 20; x < 200; ++x) {
      for (int y = 150; y < 170; ++y) white2 += skin.window.Pixel(x, y) == RGB(255, 255, 255);
    }
    widget->ShowStatus(0);
    EXPECT_EQ(c.firstShows, white1 > 0) << c.text;
    EXPECT_EQ(c.secondShows, white2 > 0) << c.text;
  }
}

TEST_F(SkinSurfaceTest, OverlongTextsAreBoundedToTheirFields) {
  std::string longText(300, 'x');
  Widget* widget = new ProbeWidget(&skin.state, "w", 0, longText.c_str());
  EXPECT_EQ(static_cast<size_t>(kStatusTextCapacity - 1), strlen(widget->statusText));
  PushButton* button = new PushButton(&skin.state, RECT{10, 10, 10, 10}, 0, 0, 1, longText.c_str(),
                                      longText.c_str(), nullptr);
  EXPECT_EQ(static_cast<size_t>(kButtonCaptionCapacity - 1), strlen(button->caption));
}

TEST_F(SkinSurfaceTest, APaintCycleInsideADispatchLeavesTheDispatchAValidContext) {
  ProbeWidget* widget = new ProbeWidget(&skin.state, "nested", 1);
  static HDC seenAfterNestedPaint;
  static SkinSurface* surface;
  surface = skin.surface;
  seenAfterNestedPaint = nullptr;
  widget->onMouse = [](ProbeWidget* self) {
    // What a modal loop opened from a widget does: the window repaints meanwhile.
    InvalidateRect(self->skin->window, nullptr, FALSE);
    surface->BeginPaintCycle();
    surface->PaintAll();
    surface->EndPaintCycle();
    seenAfterNestedPaint = self->skin->paintDC;
  };
  EXPECT_EQ(1, Dispatch(WM_LBUTTONDOWN));
  ASSERT_NE(nullptr, seenAfterNestedPaint);
  EXPECT_EQ(static_cast<DWORD>(OBJ_DC), GetObjectType(seenAfterNestedPaint));
  EXPECT_EQ(nullptr, skin.state.paintDC);
}

TEST_F(SkinSurfaceTest, TheBufferGrowsWithTheWindow) {
  EXPECT_GE(skin.surface->clientRect.right, 320);
  EXPECT_GE(skin.surface->clientRect.bottom, 200);
  MoveWindow(skin.window.hwnd(), 0, 0, 420, 230, FALSE);  // still clear of the display's centre
  new ProbeWidget(&skin.state, "w");
  Dispatch(WM_MOUSEMOVE);
  EXPECT_GE(skin.surface->clientRect.right, 420);
  EXPECT_GE(skin.surface->clientRect.bottom, 230);
  BITMAP buffer = {};
  GetObjectA(skin.surface->bufferBitmap, sizeof buffer, &buffer);
  EXPECT_GE(buffer.bmWidth, 420);
  EXPECT_GE(buffer.bmHeight, 230);
}

TEST_F(SkinSurfaceTest, ASecondAttachMakesNoNewFontsOrCursor) {
  HFONT font = mainFont, underline = underlineFont;
  ASSERT_NE(nullptr, font);
  SkinTestWindow other(100, 100);
  SkinState state = {};
  SkinSurface second(&state, GetModuleHandleA(nullptr));
  second.Attach(other.hwnd(), kGradientId, 0, nullptr);
  EXPECT_EQ(font, mainFont);
  EXPECT_EQ(underline, underlineFont);
  RECT empty = {0, 0, 0, 0};
  EXPECT_TRUE(EqualRect(&empty, &state.statusRect));
}

TEST_F(SkinSurfaceTest, WithoutABackgroundTilingIsSkipped) {
  skin.state.background->Release();
  delete skin.state.background;
  skin.state.background = nullptr;
  PushButton* button = new PushButton(&skin.state, RECT{40, 40, 40, 40}, kButtonId, kButtonId, 7, "status",
                                      "caption", nullptr);
  skin.window.Fill(RECT{0, 0, 320, 200}, RGB(0, 0, 0));
  skin.HoldPaintDC();
  button->Show(0);  // nothing to wipe with: the area stays as it was
  EXPECT_EQ(RGB(0, 0, 0), skin.window.Pixel(45, 45));
  button->ShowStatus(1);  // the text is still drawn and copied
  int white = 0;
  for (int y = 150; y < 170; ++y) {
    for (int x = 20; x < 200; ++x) white += skin.window.Pixel(x, y) == RGB(255, 255, 255);
  }
  EXPECT_GT(white, 0);
  skin.DropPaintDC();
  SkinTestWindow::paintingSurface = skin.surface;
  InvalidateRect(skin.window.hwnd(), nullptr, FALSE);
  skin.window.PumpMessages();
  EXPECT_EQ(RGB(0, 0, 0), skin.window.Pixel(300, 10));  // no background painted either
}

// Surfaces with widgets made and destroyed many times give back every GDI object they took.
TEST(SkinLifetime, NoGdiObjectOutlivesItsSurface) {
  SkinTestWindow window(200, 100);
  auto cycle = [&]() {
    SkinState state = {};
    SkinSurface* surface = new SkinSurface(&state, GetModuleHandleA(nullptr));
    surface->Attach(window.hwnd(), kGradientId, 0, nullptr);
    new PushButton(&state, RECT{5, 5, 5, 5}, kButtonId, kButtonId, 1, "x", nullptr, nullptr);
    new PushButton(&state, RECT{5, 40, 5, 40}, kButtonId, kGradientId, 1, "x", nullptr, nullptr);
    HBITMAP buffer = surface->bufferBitmap;
    HDC bufferDC = state.bufferDC;
    HBITMAP background = state.background->bitmap;
    delete surface;
    return GetObjectType(buffer) == 0 && GetObjectType(bufferDC) == 0 && GetObjectType(background) == 0;
  };
  ASSERT_TRUE(cycle());  // the first cycle also makes the process-wide fonts
  DWORD before = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  for (int i = 0; i < 50; ++i) ASSERT_TRUE(cycle()) << i;
  DWORD after = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  EXPECT_EQ(before, after);  // where the platform counts them
  for (int slot = 0; slot < kCacheSlots; ++slot) EXPECT_EQ(0, BitmapCache.refCounts[slot]) << slot;
}

}  // namespace
