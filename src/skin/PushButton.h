#pragma once
// A bitmap button: shows a pressed look while the left button is held on it and posts its command
// when the button is released.
#include "skin/Widget.h"

enum { kButtonCaptionCapacity = 60 };

enum PressState { Idle = 0, Pressed = 1, Clicked = 3 };

class PushButton : public Widget {
 public:
  // captionOffset, when given, is (dx, dy, width, height) relative to the rect's top-left corner.
  PushButton(SkinState* skin, const RECT& rect, BitmapId normalId, BitmapId pressedId, int commandId,
             const wchar_t* statusText, const wchar_t* captionText, const RECT* captionOffset);

  int OnMouse(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
  void Paint(HDC hdc) override;

  void Setup(const RECT& rect, BitmapId normalId, BitmapId pressedId, int commandId);
  // What a click does, for the keyboard: posts the command.
  void Press(HWND window) const;
  void DrawPressed(bool pressed);
  // Strict on all four sides: the first column and row do not hit.
  int HitTest(LPARAM position, int x, int y) const;
  // The word the button shows, drawn centred on its picture in font, light on a dark picture and
  // dark on a light one; the button widens to hold it with room to spare. Before MoveTo.
  void SetWord(const wchar_t* text, HFONT font);
  void MoveTo(int x, int y);
  int width() const { return bounds.right - bounds.left; }

  ScopedObject<BitmapStrip> normalStrip, pressedStrip;
  int pressState = Idle;
  int originX = 0;
  int originY = 0;
  RECT bounds = {};
  wchar_t caption[kButtonCaptionCapacity] = L"";
  RECT captionRect = {};
  int pressShift = 0;  // 1: both looks come from one bitmap; pressed is drawn one pixel down-right

  wchar_t word[32] = L"";
  HFONT wordFont = nullptr;  // the owner's

 private:
  void DrawCaption(HDC target);
  void DrawLook(HDC target, const BitmapStrip* strip, int shift);
  void DrawContrastLook(HDC target, int shift);
};
