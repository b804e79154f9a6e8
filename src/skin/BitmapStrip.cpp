#include "skin/BitmapStrip.h"

#include "base/GdiScope.h"
#include "skin/ScaledBitmap.h"

BitmapCacheTable BitmapCache;

namespace {
const COLORREF kTransparent = 0xFFFFFF;
int Min(int a, int b) { return a < b ? a : b; }
}  // namespace

BitmapStrip::BitmapStrip(HINSTANCE instance, HDC referenceDC, BitmapId id, int dpi) {
  loadedHere = LoadShared(instance, referenceDC, id, dpi);
}

int BitmapStrip::LoadShared(HINSTANCE instance, HDC referenceDC, BitmapId id, int dpi) {
  for (int slot = 0; slot < kCacheSlots; ++slot) {
    if (BitmapCache.ids[slot] == id && BitmapCache.dpis[slot] == dpi) {
      memoryDC = BitmapCache.memoryDCs[slot];
      bitmap = BitmapCache.bitmaps[slot];
      width = BitmapCache.widths[slot];
      height = BitmapCache.heights[slot];
      ++BitmapCache.refCounts[slot];
      return 0;
    }
  }
  bitmap = LoadBitmapForDpi(instance, id & 0xFFFF, referenceDC, dpi);
  memoryDC = CreateCompatibleDC(referenceDC);
  if (bitmap) {
    SelectObject(memoryDC, bitmap);
    BITMAP info = {};
    GetObjectW(bitmap, sizeof info, &info);
    width = info.bmWidth;
    height = info.bmHeight;
  } else {
    width = MulDiv(static_cast<int>(id & 0x3FF), dpi, 96);
    height = MulDiv(static_cast<int>((id >> 16) & 0x3FF), dpi, 96);
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = -height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    WindowDC screen(nullptr);  // a fresh memory DC would give a monochrome bitmap
    bitmap = CreateDIBitmap(referenceDC ? referenceDC : screen.get(), &header, 0, nullptr,
                            reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
    if (bitmap) SelectObject(memoryDC, bitmap);
  }
  for (int slot = 0; slot < kCacheSlots; ++slot) {
    if (BitmapCache.refCounts[slot] == 0) {
      BitmapCache.ids[slot] = id;
      BitmapCache.dpis[slot] = dpi;
      BitmapCache.refCounts[slot] = 1;
      BitmapCache.memoryDCs[slot] = memoryDC;
      BitmapCache.bitmaps[slot] = bitmap;
      BitmapCache.widths[slot] = width;
      BitmapCache.heights[slot] = height;
      break;
    }
  }
  return 1;
}

void BitmapStrip::Release() {
  for (int slot = 0; slot < kCacheSlots; ++slot) {
    if (BitmapCache.refCounts[slot] != 0 && BitmapCache.memoryDCs[slot] == memoryDC) {
      if (--BitmapCache.refCounts[slot] == 0) {
        { MemoryDC context(memoryDC); }  // the context goes first: a bitmap selected into one stays
        ScopedBitmap picture(bitmap);
        BitmapCache.ids[slot] = 0;
      }
      break;
    }
  }
  memoryDC = nullptr;
  bitmap = nullptr;
}

void BitmapStrip::DrawTiled(HDC dest, RECT rect) const {
  if (!memoryDC || width <= 0 || height <= 0) return;
  // There are no tiles left of or above the origin.
  int left = rect.left > 0 ? rect.left : 0;
  int top = rect.top > 0 ? rect.top : 0;
  for (int y = top; y < rect.bottom;) {
    int sourceY = y % height;
    int h = Min(height - sourceY, rect.bottom - y);
    for (int x = left; x < rect.right;) {
      int sourceX = x % width;
      int w = Min(width - sourceX, rect.right - x);
      BitBlt(dest, x, y, w, h, memoryDC, sourceX, sourceY, SRCCOPY);
      x += w;
    }
    y += h;
  }
}

int CentreOutColumn(int step, int width) {
  return step % 2 == 0 ? width / 2 + step / 2 : width / 2 - step / 2 - 1;
}

COLORREF BitmapStrip::PixelAt(int x, int y) const { return memoryDC ? GetPixel(memoryDC, x, y) : 0; }

void BitmapStrip::DrawCentreOut(HDC dest, int x, int y, int dx, int dy) const {
  for (int step = 0; step < width; ++step) {
    int column = CentreOutColumn(step, width);
    for (int row = 0; row < height; ++row) {
      COLORREF colour = PixelAt(column, row);
      if (colour != kTransparent) SetPixel(dest, x + dx + column, y + dy + row, colour);
    }
  }
}

void BitmapStrip::DrawWidened(HDC dest, int x, int y, int wide) const {
  int middle = width / 2, added = wide - width;
  for (int column = 0; column < wide; ++column) {
    int from = column < middle ? column : column < middle + added ? middle : column - added;
    for (int row = 0; row < height; ++row) {
      COLORREF colour = PixelAt(from, row);
      if (colour != kTransparent) SetPixel(dest, x + column, y + row, colour);
    }
  }
}

void BitmapStrip::CopyFrame(HDC dest, int srcLeft, int destX, int srcRight, int destY) const {
  for (int k = 0; k < srcRight - srcLeft; ++k) {
    for (int row = 0; row < height; ++row) SetPixel(dest, destX + k, destY + row, PixelAt(srcLeft + k, row));
  }
}

void BitmapStrip::CopyFrameKeyed(HDC dest, int srcLeft, int destX, int srcRight, int destY) const {
  for (int k = 0; k < srcRight - srcLeft; ++k) {
    for (int row = 0; row < height; ++row) {
      COLORREF colour = PixelAt(srcLeft + k, row);
      if (colour != kTransparent) SetPixel(dest, destX + k, destY + row, colour);
    }
  }
}

void BitmapStrip::CopyFrameTransposed(HDC dest, int srcLeft, int destX, int srcRight, int destY) const {
  for (int k = 0; k < srcRight - srcLeft; ++k) {
    for (int row = 0; row < height; ++row) SetPixel(dest, destX + k, destY + row, PixelAt(srcLeft + row, k));
  }
}

void BitmapStrip::CopyRect(HDC dest, RECT rect, int srcX, int srcY) const {
  for (int i = 0; i < rect.right - rect.left; ++i) {
    for (int j = 0; j < rect.bottom - rect.top; ++j) {
      SetPixel(dest, rect.left + i, rect.top + j, PixelAt(srcX + i, srcY + j));
    }
  }
}

void BitmapStrip::CopyRectTransposed(HDC dest, RECT rect, int srcX, int srcY) const {
  for (int i = 0; i < rect.right - rect.left; ++i) {
    for (int j = 0; j < rect.bottom - rect.top; ++j) {
      SetPixel(dest, rect.left + j, rect.top + i, PixelAt(srcX + i, srcY + j));
    }
  }
}

BOOL PutText(HDC hdc, int x, int y, const wchar_t* text) { return TextOutW(hdc, x, y, text, lstrlenW(text)); }

BOOL BlitRect(HDC dest, HDC src, const RECT* rect) {
  return BitBlt(dest, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, src, rect->left,
                rect->top, SRCCOPY);
}

int PointInRect(int left, int top, int right, int bottom, LPARAM position) {
  int x = static_cast<int>(position & 0xFFFF);
  int y = static_cast<int>((position >> 16) & 0xFFFF);
  return left <= x && x <= right && top <= y && y <= bottom ? 1 : 0;
}

void MakeRect(RECT* rect, int x, int y, int w, int h) {
  rect->left = static_cast<short>(x);
  rect->top = static_cast<short>(y);
  rect->right = static_cast<short>(x) + static_cast<short>(w);
  rect->bottom = static_cast<short>(y) + static_cast<short>(h);
}
