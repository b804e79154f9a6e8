#include "ui/ToggleLayout.h"

#include <wchar.h>

#include "base/GdiScope.h"
#include "skin/SkinSurface.h"

namespace {
const int kFirstColumnAlone = 250;  // where a single column has always stood
const int kFirstColumnOfTwo = 222;  // just right of the picture card, which ends at 214
const int kRightMargin = 4;
const int kColumnGap = 6;

int TextWidth(HDC dc, const wchar_t* text, int length) {
  SIZE extent = {};
  GetTextExtentPoint32W(dc, text, length, &extent);
  return extent.cx;
}
}  // namespace

POINT ToggleAt(const ToggleLayout& layout, int component) {
  POINT at = {layout.left[component / kTogglesPerColumn],
              MulDiv(kTogglesTop + kToggleRowPitch * (component % kTogglesPerColumn), layout.dpi, 96)};
  return at;
}

ToggleLayout LayOutToggles(HDC dc, const wchar_t* const captions[], int count, int width, const SkinState* skin) {
  int dpi = skin->dpi;
  ToggleLayout layout = {};
  layout.dpi = dpi;
  auto scaled = [dpi](int length) { return MulDiv(length, dpi, 96); };
  int rightEdge = width - scaled(kRightMargin);
  if (count <= kTogglesPerColumn) {
    layout.left[0] = layout.left[1] = scaled(kFirstColumnAlone);
    layout.textRight[0] = layout.textRight[1] = rightEdge;
  } else {
    int column = (rightEdge - scaled(kFirstColumnOfTwo)) / 2;
    layout.left[0] = scaled(kFirstColumnOfTwo);
    layout.left[1] = layout.left[0] + column;
    layout.textRight[0] = layout.left[1] - scaled(kColumnGap);
    layout.textRight[1] = rightEdge;
  }
  int captionOffset = scaled(kCaptionOffset);
  for (layout.fontHeight = kCaptionFontLargest; layout.fontHeight > kCaptionFontSmallest; --layout.fontHeight) {
    ScopedFont font(CreateSkinFont(skin, scaled(layout.fontHeight), 0));
    if (!font.valid()) break;
    bool fits = true;
    {
      SelectedObject selected(dc, font.get());
      for (int i = 0; i < count && fits; ++i) {
        int column = i / kTogglesPerColumn;
        fits = layout.left[column] + captionOffset + TextWidth(dc, captions[i], lstrlenW(captions[i])) <=
               layout.textRight[column];
      }
    }
    if (fits) break;
  }
  return layout;
}

bool FitCaption(HDC dc, wchar_t* caption, int x, int textRight) {
  int length = lstrlenW(caption);
  if (x + TextWidth(dc, caption, length) <= textRight) return false;
  const wchar_t kEllipsis[] = L"...";
  int room = textRight - x - TextWidth(dc, kEllipsis, 3);
  // The longest start of whole characters that leaves room for the ellipsis, three characters
  // shorter than the caption at least: the cut caption never needs more room than the whole one.
  int keep = 0;
  for (int at = 0; at < length;) {
    int next = at + (IS_HIGH_SURROGATE(caption[at]) && IS_LOW_SURROGATE(caption[at + 1]) ? 2 : 1);
    if (next > length - 3 || TextWidth(dc, caption, next) > room) break;
    keep = at = next;
  }
  while (keep > 0 && caption[keep - 1] == L' ') --keep;
  wmemcpy(caption + keep, kEllipsis, 4);
  return true;
}
