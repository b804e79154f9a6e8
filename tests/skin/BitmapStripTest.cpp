// Pixel copies, tiling and the process-wide bitmap cache, drawn into memory DCs.
#include <gtest/gtest.h>

#include <deque>

#include "skin/SkinTestWindow.h"

namespace {

struct Strip : BitmapStrip {
  explicit Strip(BitmapId id) : BitmapStrip(GetModuleHandleA(nullptr), nullptr, id) {}
};

struct Canvas : Strip {  // a missing bitmap: a blank strip of the size in its id, here made black
  Canvas() : Strip(30 << 16 | 260) { PatBlt(memoryDC, 0, 0, area.right, area.bottom, BLACKNESS); }
  RECT area = {0, 0, 260, 30};
};

// Tiles start at the origin, so that separately tiled areas join, and stay inside their rectangle; pure
// white is transparent in the keyed copies, the buttons' centre-out one included, and only there.
TEST(BitmapStrip, TilesFromTheOriginAndLeavesOutWhiteOnlyWhenKeyed) {
  Strip gradient(kGradientId), frames(kFramesId);
  for (RECT r : {RECT{10, 0, 250, 10}, RECT{95, 5, 215, 28}, RECT{-5, -5, 12, 3}}) {
    Canvas canvas;
    gradient.DrawTiled(canvas.memoryDC, r);
    auto tiled = [&](int x, int y) { return PtInRect(&r, POINT{x, y}) ? BackgroundPixel(x, y) : 0; };
    EXPECT_EQ(0, Differences(canvas.memoryDC, canvas.area, tiled)) << r.left << "," << r.top;
  }
  Canvas canvas;  // plain at x = 0, keyed at 60, centre-out at 120
  frames.CopyFrame(canvas.memoryDC, 0, 0, 52, 0);
  frames.CopyFrameKeyed(canvas.memoryDC, 0, 60, 52, 0);
  frames.DrawCentreOut(canvas.memoryDC, 118, -1, 2, 1);  // the press offset adds to the position
  EXPECT_EQ(0, Differences(canvas.memoryDC, canvas.area, [](int x, int y) {
    COLORREF source = x < 180 && x % 60 < 52 && y < 13 ? FramesPixel(x % 60, y) : 0;
    return x >= 60 && source == 0xFFFFFF ? 0 : source;
  }));
}

// One id shares one bitmap until its last release frees the slot for the next bitmap; past fifty
// bitmaps a strip loads on its own, and its release frees no slot.
TEST(BitmapCache, SharesUntilTheLastReleaseReusesFreedSlotsAndKeepsTheOverflowOut) {
  std::deque<Strip> strips;  // the gradient twice, then 1 pixel high blanks in slots 1 to 49
  for (int i = 0; i <= kCacheSlots; ++i) strips.emplace_back(i < 2 ? kGradientId : 0x00010000 | i);
  EXPECT_EQ(strips[0].memoryDC, strips[1].memoryDC);
  HBITMAP shared = strips[0].bitmap;
  strips.pop_front();
  EXPECT_EQ(static_cast<DWORD>(OBJ_BITMAP), GetObjectType(shared));
  strips.pop_front();
  EXPECT_EQ(0u, GetObjectType(shared));
  strips.emplace_back(kGradientId);
  EXPECT_TRUE(strips.back().loadedHere && strips.back().memoryDC == BitmapCache.memoryDCs[0]);
  BitmapCacheTable full = BitmapCache;
  strips.emplace_back(kButtonId);
  EXPECT_EQ(ButtonPixel(3, 4), GetPixel(strips.back().memoryDC, 3, 4));
  strips.pop_back();
  EXPECT_EQ(0, memcmp(&full, &BitmapCache, sizeof full));
}

}  // namespace
