#pragma once
// A one-line text link: hand cursor and status text on hover, posts its command on button-down,
// drawn in the visited colour after the first click.
#include "skin/Widget.h"

enum { kLinkLabelCapacity = 60 };

class HyperLink : public Widget {
 public:
  // Only the left and top of position are read; the extent comes from the first paint.
  HyperLink(SkinState* skin, const RECT& position, const wchar_t* labelText, int commandId, const wchar_t* statusText);

  int OnMouse(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
  void Paint(HDC hdc) override;
  // What a click does, for the keyboard: visited, and the command posted.
  void Follow(HWND window);

  int visited = 0;
  RECT bounds = {};  // right and bottom: the text's extent as last painted
  wchar_t label[kLinkLabelCapacity] = L"";
};

constexpr COLORREF kLinkColour = 0xFF0000;     // blue
constexpr COLORREF kVisitedColour = 0x800080;  // purple
