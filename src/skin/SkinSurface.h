#pragma once
// The drawing object of one skinned window: background, off-screen buffer, paint cycle and the
// mouse dispatch to its widgets.
#include <windows.h>

#include "base/GdiScope.h"
#include "base/ScopedHandle.h"
#include "skin/BitmapStrip.h"

class Widget;

enum { kMaxWidgets = 150 };

// What the skin draws with where the user has chosen a contrast theme: the system's colours,
// which then take the place of the pictures but for the one kept, framed.
struct SkinColours {
  bool contrast;  // false: the pictures and the skin's own colours
  COLORREF window, text, buttonFace, buttonText, link, highlight, highlightText;
};

// The face and character set of every font of the skin: the skin's own, "MS Sans Serif", unless the
// texts need another script's.
struct SkinFace {
  wchar_t name[LF_FACESIZE];  // empty: the skin's own
  BYTE charset;
};

// Shared by the surface and every widget of the window, and the owner of the registered widgets:
// where one is made or goes, skin/Widget.h is included.
struct SkinState {
  int widgetCount;
  HINSTANCE instance;
  HWND window;
  HDC paintDC;  // a window DC during a paint cycle, a mouse dispatch or the dialog's set-up
  HDC bufferDC;
  ScopedObject<BitmapStrip> background;
  ScopedObject<Widget> widgets[kMaxWidgets];  // registered ones, in paint and dispatch order
  RECT statusRect;
  int dpi;                     // the display's scale the window is drawn for: 96 is 100 %
  wchar_t statusShown[80];     // what the status line shows, for screen readers (a widget's status text)
  const Widget* statusShownBy;  // whose text it is; null when the line is empty
  LONG statusChildId;          // the status line's child in the window's accessible object; 0: none
  bool statusHeld;             // the window shows its own text there (a run's progress): widgets leave it
  SkinColours colours;
  RECT keptPicture;  // the part of the background that a contrast theme keeps, framed; empty: none
  SkinFace face;
};

extern HFONT mainFont;
extern HFONT underlineFont;
extern HCURSOR handCursor;
extern COLORREF statusTextColour;

// A font of the skin's face.
HFONT CreateSkinFont(const SkinState* skin, int height, int underline, int weight = FW_NORMAL);

// A length of the 100 % layout at the skin's scale.
inline int Scaled(const SkinState* skin, int length) { return MulDiv(length, skin->dpi, 96); }
// Whether the font of that face and character set has a glyph for every character of text.
bool FontCovers(HDC dc, const wchar_t* face, BYTE charset, const wchar_t* text);

// Covers rect of dc with the skin's background, if the skin has one; under a contrast theme, with
// the window's colour, the kept picture and the window's edge.
void TileBackground(const SkinState* skin, HDC dc, const RECT& rect);
// The colour of text drawn on the background.
inline COLORREF TextColour(const SkinState* skin) { return skin->colours.contrast ? skin->colours.text : RGB(0, 0, 0); }
// Draws a frame inside rect, as thick as one pixel at the skin's scale, in colour.
void DrawFrame(const SkinState* skin, HDC dc, const RECT& rect, COLORREF colour);

// A window DC for widgets that draw outside a paint cycle (a mouse dispatch, a redraw, the
// keyboard): the skin's paintDC while the scope lasts, with the skin's font and transparent text.
class SkinDrawing {
 public:
  explicit SkinDrawing(SkinState* skin);
  ~SkinDrawing();
  SkinDrawing(const SkinDrawing&) = delete;
  SkinDrawing& operator=(const SkinDrawing&) = delete;
  HDC dc() const { return dc_.get(); }

 private:
  SkinState* skin_;
  HDC outer_;
  WindowDC dc_;
};

class SkinSurface {
 public:
  SkinSurface(SkinState* state, HINSTANCE instance);
  ~SkinSurface();  // frees the background, the buffer and every registered widget
  SkinSurface(const SkinSurface&) = delete;
  SkinSurface& operator=(const SkinSurface&) = delete;

  void Attach(HWND window, BitmapId backgroundId, UINT cursorId, const RECT* statusRect);
  // Lets go of the widgets, the background and the skin's fonts, for a new Attach at another scale.
  void Detach();
  void CreateBuffer(HWND window);

  HDC BeginPaintCycle();
  void PaintAll();
  void TextAt(int x, int y, const wchar_t* text);
  void EndPaintCycle();
  // Makes font (which the surface then owns) the skin's main font, in place of the one before.
  void SetMainFont(HFONT font);

  // Offers a mouse message to the enabled widgets in order; 1 when one of them took it.
  int DispatchMouse(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  SkinState* skin;
  RECT clientRect;  // the area the off-screen buffer covers

 private:
  void EnsureBufferCovers(HWND window);
  PaintCycle paint_;
  WindowDC paintDC_;
  ScopedFont mainFont_, underlineFont_;  // the skin's fonts: mainFont and underlineFont lend them
  ScopedBitmap bufferBitmap_;            // goes after the buffer it is selected into
  MemoryDC buffer_;
  HDC outerPaintDC_;  // what a nested paint cycle found in paintDC, given back when it ends
};
