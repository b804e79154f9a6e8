#include "skin/FrameSelector.h"

#include "base/Allocation.h"
#include "base/GdiScope.h"
#include "skin/GridPicker.h"

FrameSelector::FrameSelector(SkinState* skinState, const RECT& rect, BitmapId bitmapId, DWORD labelOffset,
                             const wchar_t* captionText, int minimum, int maximum, const wchar_t* statusText,
                             int command, int selectorFlags, const wchar_t* keywordText)
    : Widget(skinState, statusText), flags(selectorFlags) {
  // An over-long keyword is cut rather than dropped: an empty one would skip nothing at all.
  if (keywordText) lstrcpynW(keyword, keywordText, kSelectorTextCapacity);
  if (flags & SEL_VALUE_ONLY) return;
  bounds = rect;
  strip.reset(new (kNoThrow) BitmapStrip(skin->instance, skin->paintDC, bitmapId, skin->dpi));
  SetRect(&eraseRect, rect.left, rect.top, rect.left + rect.right, rect.top + rect.bottom);
  int frameHeight = strip ? strip->height : 0;
  int side = (flags & SEL_POPUP) ? kThumbnailSize : frameHeight;
  bounds.right = rect.left + side;
  bounds.bottom = rect.top + side;
  if (flags & SEL_DOUBLE) bounds.right = rect.left + 2 * frameHeight;
  minValue = minimum;
  commandId = command;
  if (maximum > 0) {
    maxValue = maximum;
    pressFrames = 0;
  } else {
    maxValue = -maximum;
    pressFrames = 1;
  }
  value = minValue;
  labelDx = static_cast<int>((labelOffset >> 16) & 0xFFFF) - 32768;
  labelRise = static_cast<int>(labelOffset & 0xFFFF) - 32768;
  if (captionText) lstrcpynW(caption, captionText, kSelectorTextCapacity);
}

int FrameSelector::GetValue() { return (flags & SEL_VALUE_ONLY) ? value : value - minValue; }

void FrameSelector::SetValue(int v) {
  if (flags & SEL_VALUE_ONLY) {
    value = v;
    return;
  }
  value = v + minValue;
  if (value < minValue) value = minValue;
  if (value > maxValue) value = maxValue;
}

void FrameSelector::Wrap() {
  if (value > maxValue) value = minValue;
  if (value < 0) value = maxValue;
}

int FrameSelector::Finish(HWND window) {
  Wrap();
  Paint(skin->paintDC);
  if (commandId) PostMessageW(window, WM_SKINCOMMAND, static_cast<WPARAM>(commandId), 0);
  return 1;
}

void FrameSelector::Step(HWND window) {
  if (pressFrames && value % 2 != 0) --value;  // a press the mouse left standing
  value += pressFrames ? 2 : 1;
  Finish(window);
}

int FrameSelector::ButtonDown(HWND window, int step) {
  if (flags & SEL_POPUP) {
    if (step < 0) {
      if (commandId) PostMessageW(window, WM_SKINCOMMAND, static_cast<WPARAM>(commandId + 1), 0);
      return 0;
    }
    int picked = -1;
    if (!OpenGridPicker(*this, window, &picked)) return 0;
    value = picked > maxValue ? maxValue : picked;
    return Finish(window);
  }
  value += step;
  Wrap();
  Paint(skin->paintDC);
  if (!pressFrames && commandId) PostMessageW(window, WM_SKINCOMMAND, static_cast<WPARAM>(commandId), 0);
  return 1;
}

int FrameSelector::ButtonUp(HWND window, int step) {
  if ((flags & SEL_POPUP) || !pressFrames || value % 2 == 0) return 0;
  value += step;
  return Finish(window);
}

int FrameSelector::OnMouse(HWND window, UINT message, WPARAM, LPARAM lParam) {
  if (flags & SEL_VALUE_ONLY) return 0;
  UINT kind = message & 0xFFFF;
  if (!PointInRect(bounds.left, bounds.top, bounds.right, bounds.bottom, lParam)) {
    if (kind == WM_MOUSEMOVE) ShowStatus(0);
    // A pressed frame stands only while the button is held on the selector.
    if (pressFrames && value % 2 != 0) {
      --value;
      Paint(skin->paintDC);
    }
    return 0;
  }
  switch (kind) {
    case WM_MOUSEMOVE:
      ShowStatus(1);
      return 0;
    case WM_LBUTTONDOWN:
      return ButtonDown(window, +1);
    case WM_LBUTTONUP:
      return ButtonUp(window, +1);
    case WM_RBUTTONDOWN:
      return ButtonDown(window, -1);
    case WM_RBUTTONUP:
      return ButtonUp(window, -1);
    default:
      return 0;
  }
}

void FrameSelector::DrawNumber(HDC hdc, int number, const RECT* box) {
  wchar_t text[16];
  wsprintfW(text, L"%0.2i", number);  // in a box, only what fits the box reaches the window
  int x = bounds.left + labelDx;
  int y = bounds.top - labelRise;
  if (box) {
    TileBackground(skin, skin->bufferDC, *box);
    PutText(skin->bufferDC, x, y, text);
    BlitRect(hdc, skin->bufferDC, box);
  } else {
    TileBackground(skin, hdc, bounds);
    PutText(hdc, x, y, text);
  }
}

void FrameSelector::Paint(HDC hdc) {
  if (flags & SEL_VALUE_ONLY) return;
  if (!visible) {
    TileBackground(skin, hdc, eraseRect);
    return;
  }
  if (!strip) {
    DrawNumber(hdc, value, nullptr);
    return;
  }
  if (flags & SEL_POPUP) {
    int column = value % kThumbnailsPerRow;
    int row = value / kThumbnailsPerRow;
    if (flags & SEL_TRANSPOSED) {
      strip->CopyRectTransposed(hdc, bounds, kThumbnailSize * column, kThumbnailSize * row);
    } else {
      strip->CopyRect(hdc, bounds, kThumbnailSize * column, kThumbnailSize * row);
    }
    RECT box;
    SetRect(&box, bounds.left + labelDx, bounds.top - labelRise, bounds.left + labelDx + 14,
            bounds.top - labelRise + 13);
    DrawNumber(hdc, value + 1, &box);
    return;
  }
  if (skin->colours.contrast && !(flags & SEL_DOUBLE)) {
    // A tick box as the system draws one, in its colours. Where each look has a pressed frame
    // after it, every second frame is pressed.
    RECT box = {bounds.left, bounds.top, bounds.left + strip->height, bounds.top + strip->height};
    int ticked = pressFrames ? value / 2 : value;
    UINT look = DFCS_BUTTONCHECK | (ticked ? DFCS_CHECKED : 0) | (pressFrames && value % 2 ? DFCS_PUSHED : 0);
    DrawFrameControl(hdc, &box, DFC_BUTTON, look);
  } else if (!PaintFrame(hdc)) {
    return;
  }
  SelectedObject font(hdc, captionFont);
  PutText(hdc, bounds.left + labelDx, bounds.top - labelRise, caption);
}

bool FrameSelector::PaintFrame(HDC hdc) {
  int frameWidth = (flags & SEL_DOUBLE) ? 2 * strip->height : strip->height;
  int x0 = value * frameWidth;
  int x1 = x0 + frameWidth;
  if (x1 > strip->width) return false;
  if (flags & SEL_TRANSPOSED) {
    strip->CopyFrameTransposed(hdc, x0, bounds.left, x1, bounds.top);
  } else if (flags & SEL_KEYED) {
    TileBackground(skin, skin->bufferDC, bounds);
    strip->CopyFrameKeyed(skin->bufferDC, x0, bounds.left, x1, bounds.top);
    BlitRect(hdc, skin->bufferDC, &bounds);
  } else {
    strip->CopyFrame(hdc, x0, bounds.left, x1, bounds.top);
  }
  return true;
}
