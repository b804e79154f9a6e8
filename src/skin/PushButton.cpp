#include "skin/PushButton.h"

#include "base/Allocation.h"
#include "base/GdiScope.h"

namespace {
BitmapStrip* LoadStrip(SkinState* skin, BitmapId id) {
  return id ? new (kNoThrow) BitmapStrip(skin->instance, skin->paintDC, id, skin->dpi) : nullptr;
}

}  // namespace

PushButton::PushButton(SkinState* skinState, const RECT& rect, BitmapId normalId, BitmapId pressedId,
                       int command, const wchar_t* statusText, const wchar_t* captionText, const RECT* captionOffset)
    : Widget(skinState, statusText) {
  if (captionText) lstrcpynW(caption, captionText, kButtonCaptionCapacity);
  if (captionOffset) {
    captionRect.left = rect.left + captionOffset->left;
    captionRect.top = rect.top + captionOffset->top;
    captionRect.right = captionRect.left + captionOffset->right;
    captionRect.bottom = captionRect.top + captionOffset->bottom;
  }
  Setup(rect, normalId, pressedId, command);
}

void PushButton::Setup(const RECT& rect, BitmapId normalId, BitmapId pressedId, int command) {
  bounds = rect;
  normalStrip.reset(LoadStrip(skin, normalId));
  pressedStrip.reset(LoadStrip(skin, pressedId));
  originX = rect.left;
  originY = rect.top;
  if (normalStrip) {
    bounds.right = originX + normalStrip->width;
    bounds.bottom = originY + normalStrip->height;
  }
  pressShift = normalId == pressedId ? 1 : 0;
  if (pressShift) {
    // Room for the pressed look, drawn one pixel to the right and down.
    ++bounds.right;
    ++bounds.bottom;
  }
  pressState = Idle;
  commandId = command;
}

int PushButton::HitTest(LPARAM position, int x, int y) const {
  int px = static_cast<int>(position & 0xFFFF);
  int py = static_cast<int>((position >> 16) & 0xFFFF);
  return x < px && px < x + (bounds.right - bounds.left) && y < py && py < y + (bounds.bottom - bounds.top) ? 1 : 0;
}

void PushButton::Press(HWND window) const {
  if (commandId) PostMessageW(window, WM_SKINCOMMAND, static_cast<WPARAM>(commandId), 0);
}

void PushButton::DrawCaption(HDC target) {
  if (!caption[0]) return;
  TileBackground(skin, skin->bufferDC, captionRect);
  PutText(skin->bufferDC, captionRect.left, captionRect.top, caption);
  BlitRect(target, skin->bufferDC, &captionRect);
}

void PushButton::SetWord(const wchar_t* text, HFONT font) {
  lstrcpynW(word, text, sizeof word / sizeof word[0]);
  wordFont = font;
  if (!normalStrip || !skin->paintDC) return;
  SIZE extent = {};
  {
    SelectedObject font(skin->paintDC, wordFont);
    GetTextExtentPoint32W(skin->paintDC, word, lstrlenW(word), &extent);
  }
  int wide = extent.cx + 2 * Scaled(skin, 5);  // room each side, past the picture's edge and shading
  if (wide > normalStrip->width) bounds.right = bounds.left + wide + pressShift;
}

void PushButton::MoveTo(int x, int y) {
  OffsetRect(&bounds, x - originX, y - originY);
  originX = x;
  originY = y;
}

void PushButton::DrawContrastLook(HDC target, int shift) {
  // A button as the system draws one: its face and a border in the button colours, the word on it;
  // pressed, in the selection's colours.
  const SkinColours& colours = skin->colours;
  RECT face = {originX, originY, bounds.right - pressShift, bounds.bottom - pressShift};
  ScopedBrush fill(CreateSolidBrush(shift ? colours.highlight : colours.buttonFace));
  FillRect(target, &face, fill.get());
  DrawFrame(skin, target, face, colours.buttonText);
  SelectedObject font(target, wordFont);
  COLORREF previousColour = SetTextColor(target, shift ? colours.highlightText : colours.buttonText);
  int previousMode = SetBkMode(target, TRANSPARENT);
  DrawTextW(target, word, -1, &face, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  SetBkMode(target, previousMode);
  SetTextColor(target, previousColour);
}

void PushButton::DrawLook(HDC target, const BitmapStrip* strip, int shift) {
  if (skin->colours.contrast && word[0]) {
    DrawContrastLook(target, shift);
    return;
  }
  int wide = bounds.right - bounds.left - pressShift;
  if (skin->colours.contrast) {  // a picture, framed
    RECT frame = {originX, originY, originX + wide, originY + strip->height};
    InflateRect(&frame, Scaled(skin, 1), Scaled(skin, 1));
    DrawFrame(skin, target, frame, skin->colours.text);
  }
  if (wide == strip->width) {
    strip->DrawCentreOut(target, originX, originY, shift, shift);
  } else {
    strip->DrawWidened(target, originX + shift, originY + shift, wide);
  }
  if (!word[0]) return;
  // Readable on any picture: light with a dark shadow on a dark face, dark with a light one on a
  // light face.
  COLORREF face = strip->PixelAt(strip->width / 2, strip->height / 2);
  bool dark = GetRValue(face) * 299 + GetGValue(face) * 587 + GetBValue(face) * 114 < 128000;
  SelectedObject font(target, wordFont);
  COLORREF previousColour = GetTextColor(target);
  int previousMode = SetBkMode(target, TRANSPARENT);
  SIZE extent = {};
  GetTextExtentPoint32W(target, word, lstrlenW(word), &extent);
  int x = originX + shift + (wide - extent.cx) / 2, y = originY + shift + (strip->height - extent.cy) / 2;
  SetTextColor(target, dark ? RGB(24, 40, 48) : RGB(250, 250, 250));
  TextOutW(target, x + 1, y + 1, word, lstrlenW(word));
  SetTextColor(target, dark ? RGB(250, 249, 244) : RGB(34, 40, 49));
  TextOutW(target, x, y, word, lstrlenW(word));
  SetBkMode(target, previousMode);
  SetTextColor(target, previousColour);
}

void PushButton::Paint(HDC hdc) {
  if (!visible) {
    TileBackground(skin, hdc, bounds);
  } else if (normalStrip) {
    DrawLook(hdc, normalStrip.get(), 0);
  }
  DrawCaption(hdc);
}

void PushButton::DrawPressed(bool pressed) {
  if (!pressedStrip || !normalStrip) return;
  TileBackground(skin, skin->bufferDC, bounds);
  DrawLook(skin->bufferDC, pressed ? pressedStrip.get() : normalStrip.get(), pressed ? pressShift : 0);
  BlitRect(skin->paintDC, skin->bufferDC, &bounds);
  DrawCaption(skin->paintDC);
}

int PushButton::OnMouse(HWND window, UINT message, WPARAM, LPARAM lParam) {
  bool inside = HitTest(lParam, originX, originY) != 0;
  switch (message & 0xFFFF) {
    case WM_MOUSEMOVE:
      if (inside) {
        ShowStatus(1);
      } else {
        if (pressState == Pressed) {
          DrawPressed(false);
          pressState = Idle;
        }
        ShowStatus(0);
      }
      return 0;
    case WM_LBUTTONDOWN:
      if (inside) {
        DrawPressed(true);
        pressState = Pressed;
      }
      return 0;
    case WM_LBUTTONUP:
      // Not hit-tested: only a move outside cancels a press.
      if (pressState != Pressed) {
        pressState = Idle;
        return 0;
      }
      DrawPressed(false);
      if (commandId) PostMessageW(window, WM_SKINCOMMAND, static_cast<WPARAM>(commandId), 0);
      pressState = Clicked;
      return 1;
    default:
      return 0;
  }
}
