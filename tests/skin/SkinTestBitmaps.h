#pragma once
// The test bitmaps' pixels (make_test_bitmaps.py draws them), as COLORREF values.
#include <windows.h>

enum {
  kGradientId = 501,  // 100 x 10, no white
  kFramesId = 502,    // 52 x 13: four 13 x 13 frames, pure white wherever (x + y) % 5 == 0
  kGridId = 503,      // 104 x 78: 4 x 3 thumbnails of 26 x 26
  kButtonId = 504,    // 58 x 19, no white
};

inline COLORREF GradientPixel(int x, int y) { return RGB(2 * x + 1, 20 * y + 5, 100); }
inline COLORREF FramesPixel(int x, int y) {
  return (x + y) % 5 == 0 ? RGB(255, 255, 255) : RGB(4 * x + 3, 8 * y + 7, 60 + 40 * (x / 13));
}
inline COLORREF GridPixel(int x, int y) { return RGB(2 * x + 1, 3 * y + 1, 20 * (x / 26 + 4 * (y / 26)) + 10); }
inline COLORREF ButtonPixel(int x, int y) { return RGB(4 * x + 2, 12 * y + 3, 210); }
// The background as the skin tiles it from the window's origin.
inline COLORREF BackgroundPixel(int x, int y) { return GradientPixel(x % 100, y % 10); }
