#pragma once
// Base of the skinned controls: registration with the skin, the paint and input flags, showing
// and hiding, the command id and the status line.
#include <windows.h>

#include "skin/SkinSurface.h"

// Posted by widgets to their window; wParam is the command id, lParam 0.
enum { WM_SKINCOMMAND = 0x500 };

enum { kStatusTextCapacity = sizeof SkinState::statusShown / sizeof(wchar_t) };

class Widget;

// Shows text in the status line on behalf of owner (null: the window itself), for screen readers
// too; from a paint cycle or a dispatch, or on its own.
void ShowStatusLine(SkinState* skin, const wchar_t* text, const Widget* owner);

class Widget {
 public:
  // Registers the widget in the skin, visible and enabled. The text may be null; a longer text than
  // the field holds is cut (it is only shown).
  Widget(SkinState* skin, const wchar_t* text);
  virtual ~Widget() = default;
  Widget(const Widget&) = delete;
  Widget& operator=(const Widget&) = delete;

  // Non-zero: the message is consumed and the dispatch ends.
  virtual int OnMouse(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
  // Draws the whole widget into hdc; a hidden widget covers its area with the background instead.
  virtual void Paint(HDC hdc) = 0;
  virtual int GetValue() { return 0; }
  virtual void SetValue(int) {}

  void Show(int show);
  void Redraw();
  // State 1: the text before the first '@'; 2: the text after it; anything else clears the line.
  void ShowStatus(int state);

  // False when the skin's widget list was full: the widget is then never painted or dispatched,
  // and its creator, not the surface, must delete it.
  bool registered() const { return registered_; }

  wchar_t statusText[kStatusTextCapacity];
  int enabled;
  int visible;
  int erased;
  int hoverState;
  int commandId;
  SkinState* skin;

 private:
  bool registered_;
};
