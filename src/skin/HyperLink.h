#pragma once
// A one-line text link: hand cursor and status text on hover, posts its command on button-down,
// drawn in the visited colour after the first click.
#include "skin/Widget.h"

enum { kLinkLabelCapacity = 60 };

class HyperLink : public Widget {
 public:
  // Only the left and top of position are read; the extent comes from the first paint.
  HyperLink(SkinState* skin, const RECT& position, const char* labelText, int commandId, const char* statusText);

  int OnMouse(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
  void Paint(HDC hdc) override;

  int visited = 0;
  RECT bounds = {};  // right and bottom: the text's extent as last painted
  char label[kLinkLabelCapacity] = "";
};

constexpr COLORREF kLinkColour = 0xFF0000;     // blue
constexpr COLORREF kVisitedColour = 0x800080;  // purple
