// Pixel copies, tiling and the shared bitmap cache, drawn into memory canvases.
#include <gtest/gtest.h>

#include <string.h>

#include <vector>

#include "skin/BitmapStrip.h"
#include "skin/SkinTestBitmaps.h"
#include "skin/SkinTestWindow.h"

namespace {

HINSTANCE Self() { return GetModuleHandleA(nullptr); }

struct Strip {
  explicit Strip(BitmapId id) : strip(new BitmapStrip(Self(), nullptr, id)) {}
  ~Strip() {
    strip->Release();
    delete strip;
  }
  BitmapStrip* operator->() const { return strip; }
  BitmapStrip* strip;
};

TEST(DrawTiled, AnchorsTilesAtTheOriginAndCutsThemAtTheRectangle) {
  Strip gradient(kGradientId);
  ASSERT_EQ(100, gradient->width);
  ASSERT_EQ(10, gradient->height);
  const RECT cases[] = {
      {10, 0, 250, 10},   // three pieces: 10-99 from 10-99, 100-199 from 0-99, 200-249 from 0-49
      {130, 3, 140, 7},   // inside one tile: one piece from (30, 3)
      {95, 5, 215, 28},   // pieces cut on every side, rows starting mid-tile
      {-5, -5, 12, 3},    // nothing left of or above the origin
  };
  for (const RECT& rect : cases) {
    Canvas canvas(260, 30);
    gradient->DrawTiled(canvas.dc(), rect);
    for (int y = 0; y < 30; ++y) {
      for (int x = 0; x < 260; ++x) {
        bool inside = x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
        COLORREF expected = inside ? BackgroundPixel(x, y) : Canvas::kSentinel;
        ASSERT_EQ(expected, canvas.Pixel(x, y)) << "rect " << rect.left << "," << rect.top << " at " << x << "," << y;
      }
    }
  }
}

TEST(DrawCentreOut, VisitsColumnsFromTheMiddleOutwards) {
  struct {
    int width;
    std::vector<int> columns;
  } cases[] = {
      {10, {5, 4, 6, 3, 7, 2, 8, 1, 9, 0}},
      {5, {2, 1, 3, 0, 4}},
      {2, {1, 0}},
      {1, {0}},
  };
  for (const auto& c : cases) {
    std::vector<int> columns;
    for (int step = 0; step < c.width; ++step) columns.push_back(CentreOutColumn(step, c.width));
    EXPECT_EQ(c.columns, columns) << "width " << c.width;
  }
}

TEST(PixelCopies, WhiteIsTransparentOnlyInTheKeyedCopies) {
  Strip frames(kFramesId);
  const COLORREF white = RGB(255, 255, 255);
  Canvas plain(60, 20), keyed(60, 20), centred(60, 20);
  frames->CopyFrame(plain.dc(), 13, 5, 26, 4);
  frames->CopyFrameKeyed(keyed.dc(), 13, 5, 26, 4);
  frames->DrawCentreOut(centred.dc(), 2, 1, 1, 2);  // position and press offset simply add up
  int whites = 0;
  for (int row = 0; row < 13; ++row) {
    for (int k = 0; k < 13; ++k) {
      COLORREF source = FramesPixel(13 + k, row);
      ASSERT_EQ(source, plain.Pixel(5 + k, 4 + row));
      ASSERT_EQ(source == white ? Canvas::kSentinel : source, keyed.Pixel(5 + k, 4 + row));
      whites += source == white;
    }
    for (int column = 0; column < 52; ++column) {
      COLORREF source = FramesPixel(column, row);
      ASSERT_EQ(source == white ? Canvas::kSentinel : source, centred.Pixel(3 + column, 3 + row));
    }
  }
  EXPECT_GT(whites, 0);
  EXPECT_EQ(Canvas::kSentinel, plain.Pixel(4, 4));   // nothing outside the frame
  EXPECT_EQ(Canvas::kSentinel, plain.Pixel(18, 4));
}

TEST(PixelCopies, TransposedCopiesTurnSourceColumnsIntoRows) {
  Strip grid(kGridId);
  Canvas rect(80, 80), frame(80, 80), straight(80, 80);
  RECT area = {10, 20, 36, 46};  // 26 x 26
  grid->CopyRectTransposed(rect.dc(), area, 52, 0);
  grid->CopyRect(straight.dc(), area, 26, 26);
  EXPECT_EQ(GridPixel(52 + 3, 0 + 5), rect.Pixel(10 + 5, 20 + 3));  // the worked example
  for (int i = 0; i < 26; ++i) {
    for (int j = 0; j < 26; ++j) {
      ASSERT_EQ(GridPixel(52 + i, j), rect.Pixel(10 + j, 20 + i));
      ASSERT_EQ(GridPixel(26 + i, 26 + j), straight.Pixel(10 + i, 20 + j));
    }
  }
  Strip frames(kFramesId);  // square frames: the transposed frame reads exactly its own square
  frames->CopyFrameTransposed(frame.dc(), 26, 30, 39, 40);
  for (int k = 0; k < 13; ++k) {
    for (int r = 0; r < 13; ++r) ASSERT_EQ(FramesPixel(26 + r, k), frame.Pixel(30 + k, 40 + r));
  }
}

TEST(PixelCopies, EmptyRangesDrawNothing) {
  Strip frames(kFramesId);
  Canvas canvas(20, 20);
  frames->CopyFrame(canvas.dc(), 13, 0, 13, 0);
  frames->CopyFrameKeyed(canvas.dc(), 26, 0, 13, 0);
  frames->CopyFrameTransposed(canvas.dc(), 5, 0, 2, 0);
  frames->CopyRect(canvas.dc(), RECT{5, 5, 5, 15}, 0, 0);
  frames->CopyRectTransposed(canvas.dc(), RECT{5, 5, 15, 4}, 0, 0);
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 20; ++x) ASSERT_EQ(Canvas::kSentinel, canvas.Pixel(x, y));
  }
}

TEST(BitmapStrip, AMissingBitmapIsABlankOfTheSizeInItsId) {
  Strip sized(0x00070009);  // no such resource: 9 wide, 7 high
  EXPECT_EQ(9, sized->width);
  EXPECT_EQ(7, sized->height);
  EXPECT_EQ(1, sized->loadedHere);
  Strip flat(777);  // high bits 0: no height, so nothing draws
  EXPECT_EQ(777, flat->width);
  EXPECT_EQ(0, flat->height);
  Canvas canvas(20, 20);
  flat->DrawTiled(canvas.dc(), RECT{0, 0, 20, 20});
  flat->CopyFrame(canvas.dc(), 0, 0, 10, 0);
  flat->DrawCentreOut(canvas.dc(), 0, 0, 0, 0);
  EXPECT_EQ(Canvas::kSentinel, canvas.Pixel(0, 0));
  EXPECT_EQ(Canvas::kSentinel, canvas.Pixel(19, 19));
}

TEST(PointInRect, IncludesAllFourEdgesAndReadsPositionsUnsigned) {
  struct {
    int x, y, hit;
  } cases[] = {{10, 10, 1}, {20, 20, 1}, {15, 15, 1}, {21, 15, 0}, {15, 21, 0}, {9, 15, 0}, {15, 9, 0},
               {-1, 15, 0}};  // -1 reads as 65535
  for (const auto& c : cases) {
    EXPECT_EQ(c.hit, PointInRect(10, 10, 20, 20, MAKELPARAM(c.x, c.y))) << c.x << "," << c.y;
  }
  EXPECT_EQ(1, PointInRect(0, 0, 65535, 65535, MAKELPARAM(-1, -1)));
}

TEST(MakeRect, TakesSigned16BitInputs) {
  struct {
    int x, y, w, h;
    RECT expected;
  } cases[] = {
      {5, 6, 10, 20, {5, 6, 15, 26}},
      {0xFFFF, 0, 2, 0, {-1, 0, 1, 0}},
      {10, 10, 0xFFFE, 0, {10, 10, 8, 10}},
      {0x7FFF, 0x7FFF, 0x7FFF, 1, {32767, 32767, 65534, 32768}},  // the sums are 32-bit
  };
  for (const auto& c : cases) {
    RECT rect;
    MakeRect(&rect, c.x, c.y, c.w, c.h);
    EXPECT_TRUE(EqualRect(&c.expected, &rect)) << rect.left << "," << rect.top << "," << rect.right << "," << rect.bottom;
  }
}

class BitmapCacheTest : public ::testing::Test {
 protected:
  void SetUp() override { BitmapCache = BitmapCacheTable(); }
  static BitmapStrip* Load(BitmapId id) { return new BitmapStrip(Self(), nullptr, id); }
  static void Drop(BitmapStrip* strip) {
    strip->Release();
    delete strip;
  }
  static int UsedSlots() {
    int used = 0;
    for (int count : BitmapCache.refCounts) used += count != 0;
    return used;
  }
};

TEST_F(BitmapCacheTest, StripsOfOneIdShareOneBitmapUntilTheLastRelease) {
  BitmapStrip* first = Load(kGradientId);
  BitmapStrip* second = Load(kGradientId);
  EXPECT_EQ(1, first->loadedHere);
  EXPECT_EQ(0, second->loadedHere);
  EXPECT_EQ(first->memoryDC, second->memoryDC);
  EXPECT_EQ(first->bitmap, second->bitmap);
  EXPECT_EQ(2, BitmapCache.refCounts[0]);
  HBITMAP bitmap = first->bitmap;
  HDC dc = first->memoryDC;

  Drop(first);
  EXPECT_EQ(static_cast<DWORD>(OBJ_BITMAP), GetObjectType(bitmap));
  EXPECT_EQ(static_cast<DWORD>(OBJ_MEMDC), GetObjectType(dc));
  EXPECT_EQ(static_cast<BitmapId>(kGradientId), BitmapCache.ids[0]);
  Drop(second);
  EXPECT_EQ(0u, GetObjectType(bitmap));
  EXPECT_EQ(0u, GetObjectType(dc));
  EXPECT_EQ(0u, BitmapCache.ids[0]);
  EXPECT_EQ(0, BitmapCache.refCounts[0]);
}

TEST_F(BitmapCacheTest, ANewBitmapTakesTheLowestFreeSlot) {
  std::vector<BitmapStrip*> strips;
  for (int i = 0; i < 11; ++i) strips.push_back(Load(0x00010000 | (10 + i)));  // blank 1-high bitmaps
  Drop(strips[3]);
  EXPECT_EQ(0, BitmapCache.refCounts[3]);
  BitmapStrip* next = Load(kButtonId);
  EXPECT_EQ(static_cast<BitmapId>(kButtonId), BitmapCache.ids[3]);
  EXPECT_EQ(next->memoryDC, BitmapCache.memoryDCs[3]);
  Drop(next);
  for (int i = 0; i < 11; ++i) {
    if (i != 3) Drop(strips[i]);
  }
  EXPECT_EQ(0, UsedSlots());
}

TEST_F(BitmapCacheTest, PastFiftyBitmapsAStripIsUsableButNotShared) {
  std::vector<BitmapStrip*> strips;
  for (int i = 0; i < kCacheSlots; ++i) strips.push_back(Load(0x00010000 | (10 + i)));
  BitmapCacheTable before = BitmapCache;
  BitmapStrip* extra = Load(kGradientId);
  BitmapStrip* again = Load(kGradientId);
  EXPECT_EQ(1, extra->loadedHere);
  EXPECT_EQ(1, again->loadedHere);  // not in the cache, so loaded once more
  EXPECT_NE(extra->memoryDC, again->memoryDC);
  EXPECT_EQ(0, memcmp(&before, &BitmapCache, sizeof before));
  Canvas canvas(100, 10);
  extra->DrawTiled(canvas.dc(), RECT{0, 0, 100, 10});
  EXPECT_EQ(GradientPixel(42, 7), canvas.Pixel(42, 7));
  HBITMAP uncached = extra->bitmap;
  Drop(extra);  // finds no slot: deletes nothing
  EXPECT_EQ(static_cast<DWORD>(OBJ_BITMAP), GetObjectType(uncached));
  Drop(again);
  for (BitmapStrip* strip : strips) Drop(strip);
  EXPECT_EQ(0, UsedSlots());
}

}  // namespace
