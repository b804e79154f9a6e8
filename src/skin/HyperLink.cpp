#include "skin/HyperLink.h"

#include "base/GdiScope.h"

HyperLink::HyperLink(SkinState* skinState, const RECT& position, const wchar_t* labelText, int command,
                     const wchar_t* statusText)
    : Widget(skinState, statusText) {
  SetRect(&bounds, position.left, position.top, position.left, position.top);
  if (labelText) lstrcpynW(label, labelText, kLinkLabelCapacity);
  commandId = command;
}

void HyperLink::Paint(HDC hdc) {
  if (!visible) {
    // Never hidden by this program; if it is, it goes the way the other widgets go.
    RECT lastExtent = {bounds.left, bounds.top, bounds.right + 1, bounds.bottom + 1};
    TileBackground(skin, hdc, lastExtent);
    return;
  }
  SelectedObject font(hdc, underlineFont);
  SetTextColor(hdc, skin->colours.contrast ? skin->colours.link : visited ? kVisitedColour : kLinkColour);
  PutText(hdc, bounds.left, bounds.top, label);
  SetTextColor(hdc, TextColour(skin));
  SIZE extent = {};
  GetTextExtentPoint32W(hdc, label, lstrlenW(label), &extent);
  bounds.right = bounds.left + extent.cx;
  bounds.bottom = bounds.top + extent.cy;
}

int HyperLink::OnMouse(HWND window, UINT message, WPARAM, LPARAM lParam) {
  bool inside = PointInRect(bounds.left, bounds.top, bounds.right, bounds.bottom, lParam) != 0;
  UINT kind = message & 0xFFFF;
  if (!inside) {
    if (kind == WM_MOUSEMOVE) ShowStatus(0);
    return 0;
  }
  if (kind == WM_MOUSEMOVE) {
    ShowStatus(1);
    SetCursor(handCursor);
    return 1;
  }
  if (kind == WM_LBUTTONDOWN) {
    Follow(window);
    return 1;
  }
  return 0;
}

void HyperLink::Follow(HWND window) {
  visited = 1;
  if (commandId) PostMessageW(window, WM_SKINCOMMAND, static_cast<WPARAM>(commandId), 0);
}
