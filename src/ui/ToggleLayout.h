#pragma once
// Where the component toggles go and how large their captions are drawn. Up to seven stand in one
// column as they always have; more fill a first column of seven and a second beside it. The
// captions get the largest font, down to a readable size, with which every one ends inside its
// column: inside the window and clear of the next column's toggles. Captions too long even then
// are cut with an ellipsis, and the status line shows them whole.
#include <windows.h>

struct SkinState;

enum {
  kTogglesTop = 80,
  kToggleRowPitch = 18,
  kTogglesPerColumn = 7,
  kCaptionFontLargest = 13,   // the dialog's own font
  kCaptionFontSmallest = 10,  // the smallest that still reads well
  kCaptionOffset = 20,        // from a toggle's left edge to its caption
};

// In pixels at the display's scale (dpi), but fontHeight: that of the 100 % layout.
struct ToggleLayout {
  int left[2];      // of the toggles of each column
  int textRight[2];  // where each column's captions must end
  int fontHeight;
  int dpi;
};

// The layout for the captions of count components in a window width pixels wide, in the skin's
// face at its scale, measured in dc.
ToggleLayout LayOutToggles(HDC dc, const wchar_t* const captions[], int count, int width, const SkinState* skin);

// The caption as the layout draws it: whole, or cut between characters (never inside a surrogate
// pair) with an ellipsis to end before textRight when it starts at x, in the DC's font. True when
// it was cut.
bool FitCaption(HDC dc, wchar_t* caption, int x, int textRight);

// Top left corner of the toggle of the component in the layout.
POINT ToggleAt(const ToggleLayout& layout, int component);
