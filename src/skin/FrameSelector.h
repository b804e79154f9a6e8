#pragma once
// A widget that holds a value and shows it as one frame of a bitmap strip; clicks step it forward
// (left button) or back (right button) with wrap-around. The setup uses it as a component toggle.
#include "skin/Widget.h"

enum {
  SEL_TRANSPOSED = 1,   // frames drawn mirrored across their main diagonal
  SEL_POPUP = 2,        // 26 x 26 thumbnails and a number; the left button opens a grid picker
  SEL_DOUBLE = 4,       // frames twice as wide as the strip is high
  SEL_KEYED = 8,        // frames drawn with pure white transparent over the background
  SEL_VALUE_ONLY = 16,  // stores a value only: no picture, no mouse
};

enum {
  kSelectorTextCapacity = 40,
  kThumbnailSize = 26,
  kThumbnailsPerRow = 4,
};

class FrameSelector : public Widget {
 public:
  // rect: left and top place the picture, right and bottom are the width and height of the area a
  // hidden selector wipes. labelOffset: high 16 bits labelDx + 32768, low 16 bits labelRise + 32768.
  // maximum <= 0 selects pressed frames: odd values are the pressed looks of the even ones.
  FrameSelector(SkinState* skin, const RECT& rect, BitmapId bitmapId, DWORD labelOffset, const wchar_t* captionText,
                int minimum, int maximum, const wchar_t* statusText, int commandId, int flags, const wchar_t* keywordText);

  int OnMouse(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
  void Paint(HDC hdc) override;
  int GetValue() override;
  void SetValue(int v) override;
  // What a whole click does, for the keyboard: steps to the next value and posts the command.
  void Step(HWND window);

  int value = 0;
  RECT bounds = {};
  RECT eraseRect = {};
  int flags = 0;
  ScopedObject<BitmapStrip> strip;
  int minValue = 0;
  int maxValue = 0;
  wchar_t keyword[kSelectorTextCapacity] = L"";
  int pressFrames = 0;
  int labelDx = 0;
  int labelRise = 0;
  wchar_t caption[kSelectorTextCapacity] = L"";
  HFONT captionFont = nullptr;  // the caption's own font; null: the context's (not owned)

 private:
  int ButtonDown(HWND window, int step);
  int ButtonUp(HWND window, int step);
  int Finish(HWND window);
  void Wrap();
  void DrawNumber(HDC hdc, int number, const RECT* box);
  // The value's frame of the strip; false when the strip has none for it.
  bool PaintFrame(HDC hdc);
};
