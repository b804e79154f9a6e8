#pragma once
// Skin bitmaps ready to draw, shared by id through a process-wide cache, and the pixel copies
// every skinned control draws with.
#include <windows.h>

enum { kCacheSlots = 50 };

// Bits 0-15: the bitmap resource id. Only when that resource is missing: bits 0-9 give the width
// and bits 16-25 the height of a blank bitmap made instead.
typedef UINT BitmapId;

struct BitmapStrip {
  int width = 0;
  int height = 0;
  HDC memoryDC = nullptr;  // has bitmap selected
  int loadedHere = 0;      // 1 when this strip loaded the bitmap, 0 when it took a cached one
  HBITMAP bitmap = nullptr;

  // The picture for the display's dpi (see ScaledBitmap.h).
  BitmapStrip(HINSTANCE instance, HDC referenceDC, BitmapId id, int dpi = 96);
  ~BitmapStrip() { Release(); }
  BitmapStrip(const BitmapStrip&) = delete;
  BitmapStrip& operator=(const BitmapStrip&) = delete;
  int LoadShared(HINSTANCE instance, HDC referenceDC, BitmapId id, int dpi = 96);
  // Gives the reference back, once; the last one deletes the device context and the bitmap.
  void Release();

  // Covers rect with tiles anchored at the destination's origin, so separately tiled areas join.
  void DrawTiled(HDC dest, RECT rect) const;
  // Copies the whole strip pixel by pixel from its middle column outwards; pure white is skipped.
  void DrawCentreOut(HDC dest, int x, int y, int dx, int dy) const;
  // The same, widened to width columns by repeating its middle column; pure white is skipped.
  void DrawWidened(HDC dest, int x, int y, int width) const;
  // One frame of a strip whose frames stand side by side: columns [srcLeft, srcRight), full height.
  void CopyFrame(HDC dest, int srcLeft, int destX, int srcRight, int destY) const;
  void CopyFrameKeyed(HDC dest, int srcLeft, int destX, int srcRight, int destY) const;
  void CopyFrameTransposed(HDC dest, int srcLeft, int destX, int srcRight, int destY) const;
  void CopyRect(HDC dest, RECT rect, int srcX, int srcY) const;
  void CopyRectTransposed(HDC dest, RECT rect, int srcX, int srcY) const;

  COLORREF PixelAt(int x, int y) const;
};

// The column drawn in step i of a centre-out copy of a strip of this width.
int CentreOutColumn(int step, int width);

struct BitmapCacheTable {
  BitmapId ids[kCacheSlots];  // 0 in a free slot
  int dpis[kCacheSlots];      // the display scale the picture was made for
  int refCounts[kCacheSlots];
  int widths[kCacheSlots];
  int heights[kCacheSlots];
  HDC memoryDCs[kCacheSlots];
  HBITMAP bitmaps[kCacheSlots];
};
extern BitmapCacheTable BitmapCache;

BOOL PutText(HDC hdc, int x, int y, const wchar_t* text);
BOOL BlitRect(HDC dest, HDC src, const RECT* rect);  // the same rectangle on both sides
// All four edges included; the mouse position is packed as in window messages, read unsigned.
int PointInRect(int left, int top, int right, int bottom, LPARAM position);
// Each input is taken as a signed 16-bit value.
void MakeRect(RECT* rect, int x, int y, int w, int h);
