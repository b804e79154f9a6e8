#pragma once
// Drawing targets for the skin tests: a memory canvas whose pixels can be read back directly, and
// a real top-level window on the test display with a skin surface attached.
#include <windows.h>

#include "skin/SkinSurface.h"

// A 32-bit DIB section in a memory DC, filled with a sentinel colour.
class Canvas {
 public:
  Canvas(int width, int height, COLORREF fill = kSentinel);
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;
  HDC dc() const { return dc_; }
  COLORREF Pixel(int x, int y) const;
  static constexpr COLORREF kSentinel = RGB(1, 2, 3);

 private:
  int width_, height_;
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ previous_;
  unsigned* bits_;
};

// A borderless window at the screen's origin whose WM_PAINT runs the surface's paint cycle.
class SkinTestWindow {
 public:
  SkinTestWindow(int width, int height);
  ~SkinTestWindow();
  SkinTestWindow(const SkinTestWindow&) = delete;
  SkinTestWindow& operator=(const SkinTestWindow&) = delete;
  HWND hwnd() const { return window_; }
  COLORREF Pixel(int x, int y) const;  // read back from the screen
  void Fill(const RECT& rect, COLORREF colour) const;
  void PumpMessages() const;  // handles what is queued, paint included
  // Takes the posted WM_SKINCOMMAND, if any: its wParam, or -1.
  int TakeCommand() const;

  static SkinSurface* paintingSurface;  // the surface WM_PAINT uses, if any

 private:
  HWND window_;
};

// A window with a surface attached over the 100 x 10 test gradient, its status line at statusRect.
struct AttachedSkin {
  explicit AttachedSkin(int width = 320, int height = 200);
  ~AttachedSkin();
  SkinTestWindow window;
  SkinState state;
  SkinSurface* surface;
  // Widgets draw through paintDC; outside a dispatch a test holds one like a dispatch does.
  void HoldPaintDC();
  void DropPaintDC();
};
