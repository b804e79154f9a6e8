#pragma once
// What the skin tests draw on, and the test bitmaps' pixels by make_test_bitmaps.py's formulas.
#include "skin/SkinSurface.h"
#include "skin/Widget.h"

enum { kGradientId = 501, kFramesId = 502, kGridId = 503, kButtonId = 504 };
// The 100 x 10 gradient as tiled from the origin; 52 x 13: four frames, pure white where (x + y) % 5 == 0.
inline COLORREF BackgroundPixel(int x, int y) { return RGB(2 * (x % 100) + 1, 20 * (y % 10) + 5, 100); }
inline COLORREF FramesPixel(int x, int y) {
  return (x + y) % 5 ? RGB(4 * x + 3, 8 * y + 7, 60 + 40 * (x / 13)) : 0xFFFFFF;
}
inline COLORREF ButtonPixel(int x, int y) { return RGB(4 * x + 2, 12 * y + 3, 210); }  // 58 x 19
// 104 x 78: twelve 26 x 26 thumbnails, four to a row.
inline COLORREF GridPixel(int x, int y) { return RGB(2 * x + 1, 3 * y + 1, 20 * (x / 26 + 4 * (y / 26)) + 10); }

template <typename Expected>  // how many pixels of the area differ from expected(x, y)
int Differences(HDC dc, const RECT& area, Expected expected) {
  int found = 0;
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) found += GetPixel(dc, x, y) != expected(x, y);
  }
  return found;
}

// A 320 x 200 window at the screen's origin, skinned with the gradient; WM_PAINT runs the paint cycle.
struct SkinWindow {
  SkinWindow();
  ~SkinWindow() { ReleaseDC(hwnd, screen); DestroyWindow(hwnd); }
  int Dispatch(UINT message, int x, int y) { return surface.DispatchMouse(hwnd, message, 0, MAKELPARAM(x, y)); }
  int TakeCommand() {  // the id a widget posted, or -1
    MSG m;
    return PeekMessageA(&m, hwnd, WM_SKINCOMMAND, WM_SKINCOMMAND, PM_REMOVE) ? static_cast<int>(m.wParam) : -1;
  }
  HWND hwnd;
  HDC screen;  // reads pixels back
  SkinState state = {};
  SkinSurface surface{&state, GetModuleHandleA(nullptr)};
};
