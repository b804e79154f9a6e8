#include "skin/PushButton.h"

#include <new>

namespace {
BitmapStrip* LoadStrip(SkinState* skin, BitmapId id) {
  return id ? new (std::nothrow) BitmapStrip(skin->instance, skin->paintDC, id) : nullptr;
}

void FreeStrip(BitmapStrip*& strip) {
  if (!strip) return;
  strip->Release();
  delete strip;
  strip = nullptr;
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

PushButton::~PushButton() {
  FreeStrip(pressedStrip);
  FreeStrip(normalStrip);
}

void PushButton::Setup(const RECT& rect, BitmapId normalId, BitmapId pressedId, int command) {
  bounds = rect;
  normalStrip = LoadStrip(skin, normalId);
  pressedStrip = LoadStrip(skin, pressedId);
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

void PushButton::Paint(HDC hdc) {
  if (!visible) {
    TileBackground(skin, hdc, bounds);
  } else if (normalStrip) {
    normalStrip->DrawCentreOut(hdc, originX, originY, 0, 0);
  }
  DrawCaption(hdc);
}

void PushButton::DrawPressed(bool pressed) {
  if (!pressedStrip || !normalStrip) return;
  TileBackground(skin, skin->bufferDC, bounds);
  if (pressed) {
    pressedStrip->DrawCentreOut(skin->bufferDC, originX, originY, pressShift, pressShift);
  } else {
    normalStrip->DrawCentreOut(skin->bufferDC, originX, originY, 0, 0);
  }
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
