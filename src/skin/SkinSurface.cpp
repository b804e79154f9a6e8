#include "skin/SkinSurface.h"

#include "base/Allocation.h"
#include "base/GdiScope.h"
#include "skin/Widget.h"

HFONT mainFont;
HFONT underlineFont;
HCURSOR handCursor;
COLORREF statusTextColour;

namespace {
HFONT CreateFaceFont(const wchar_t* face, BYTE charset, int height, int underline, int weight) {
  LOGFONTW font = {};
  font.lfHeight = height;
  font.lfWeight = weight;
  font.lfUnderline = static_cast<BYTE>(underline);
  font.lfCharSet = charset;
  lstrcpynW(font.lfFaceName, face, LF_FACESIZE);
  return CreateFontIndirectW(&font);
}
}  // namespace

HFONT CreateSkinFont(const SkinState* skin, int height, int underline, int weight) {
  const SkinFace& face = skin->face;
  return face.name[0] ? CreateFaceFont(face.name, face.charset, height, underline, weight)
                      : CreateFaceFont(L"MS Sans Serif", DEFAULT_CHARSET, height, underline, weight);
}

bool FontCovers(HDC dc, const wchar_t* face, BYTE charset, const wchar_t* text) {
  ScopedFont font(CreateFaceFont(face, charset, 13, 0, FW_NORMAL));
  if (!font.valid()) return false;
  SelectedObject selected(dc, font.get());  // put back before the font goes
  bool covered = true;
  for (const wchar_t* at = text; *at && covered;) {
    WORD glyphs[64];
    int length = 0;
    while (at[length] && length < 64) ++length;
    if (length > 1 && length == 64 && IS_HIGH_SURROGATE(at[length - 1])) --length;  // a pair stays whole
    covered = GetGlyphIndicesW(dc, at, length, glyphs, GGI_MARK_NONEXISTING_GLYPHS) == static_cast<DWORD>(length);
    for (int i = 0; covered && i < length; ++i) covered = glyphs[i] != 0xFFFF;
    at += length;
  }
  return covered;
}

void DrawFrame(const SkinState* skin, HDC dc, const RECT& rect, COLORREF colour) {
  ScopedBrush brush(CreateSolidBrush(colour));
  RECT line = rect;
  for (int i = 0; i < Scaled(skin, 1) && !IsRectEmpty(&line); ++i) {
    FrameRect(dc, &line, brush.get());
    InflateRect(&line, -1, -1);
  }
}

void TileBackground(const SkinState* skin, HDC dc, const RECT& rect) {
  if (!skin->colours.contrast) {
    if (skin->background) skin->background->DrawTiled(dc, rect);
    return;
  }
  ScopedBrush window(CreateSolidBrush(skin->colours.window));
  FillRect(dc, &rect, window.get());
  RECT picture;
  if (!skin->background) return;
  if (IntersectRect(&picture, &rect, &skin->keptPicture)) skin->background->DrawTiled(dc, picture);
  // The frame around the picture and the window's edge, whatever part of them the rectangle holds:
  // the window has no border of its own.
  RECT frame = skin->keptPicture, edge = {0, 0, skin->background->width, skin->background->height};
  InflateRect(&frame, Scaled(skin, 1), Scaled(skin, 1));
  if (!IsRectEmpty(&skin->keptPicture)) DrawFrame(skin, dc, frame, skin->colours.text);
  DrawFrame(skin, dc, edge, skin->colours.text);
}

SkinDrawing::SkinDrawing(SkinState* skin) : skin_(skin), outer_(skin->paintDC), dc_(skin->window) {
  SelectObject(dc_.get(), mainFont);
  SetBkMode(dc_.get(), TRANSPARENT);
  SetTextColor(dc_.get(), TextColour(skin));
  skin->paintDC = dc_.get();
}

SkinDrawing::~SkinDrawing() { skin_->paintDC = outer_; }

SkinSurface::SkinSurface(SkinState* state, HINSTANCE instance) : skin(state), clientRect(), outerPaintDC_(nullptr) {
  skin->instance = instance;
  skin->widgetCount = 0;
  skin->paintDC = nullptr;
  skin->bufferDC = nullptr;
  skin->background.reset();
  skin->statusShown[0] = L'\0';
  skin->statusShownBy = nullptr;
  skin->dpi = 96;
  skin->statusChildId = 0;
  skin->statusHeld = false;
  skin->colours = SkinColours();
  SetRectEmpty(&skin->keptPicture);
}

SkinSurface::~SkinSurface() {
  Detach();
  skin->bufferDC = nullptr;
}

void SkinSurface::SetMainFont(HFONT font) {
  // In the buffer before the old one goes: a selected font stays alive.
  if (skin->bufferDC) SelectObject(skin->bufferDC, font);
  mainFont_.reset(font);
  mainFont = font;
}

void SkinSurface::Detach() {
  skin->background.reset();
  for (int i = 0; i < skin->widgetCount; ++i) skin->widgets[i].reset();
  skin->widgetCount = 0;
  skin->statusShownBy = nullptr;
  skin->statusShown[0] = L'\0';
  if (skin->bufferDC) SelectObject(skin->bufferDC, GetStockObject(SYSTEM_FONT));  // a selected font stays alive
  mainFont = underlineFont = nullptr;
  mainFont_.reset();
  underlineFont_.reset();
}

void SkinSurface::Attach(HWND window, BitmapId backgroundId, UINT cursorId, const RECT* statusRect) {
  skin->window = window;
  if (!mainFont_.valid()) mainFont = *mainFont_.receive() = CreateSkinFont(skin, Scaled(skin, 13), 0);
  if (!underlineFont_.valid()) underlineFont = *underlineFont_.receive() = CreateSkinFont(skin, Scaled(skin, 13), 1);
  if (!handCursor) handCursor = LoadCursorW(skin->instance, MAKEINTRESOURCEW(cursorId & 0xFFFF));
  if (statusRect) {
    skin->statusRect = *statusRect;
  } else {
    SetRect(&skin->statusRect, 0, 0, 0, 0);
  }
  CreateBuffer(window);
  if (skin->paintDC) {
    skin->background.reset(new (kNoThrow) BitmapStrip(skin->instance, skin->paintDC, backgroundId, skin->dpi));
  } else {
    WindowDC dc(window);
    skin->background.reset(new (kNoThrow) BitmapStrip(skin->instance, dc.get(), backgroundId, skin->dpi));
  }
}

void SkinSurface::CreateBuffer(HWND window) {
  RECT windowRect;
  GetWindowRect(window, &windowRect);
  POINT lowerRight = {windowRect.right, windowRect.bottom};
  ScreenToClient(window, &lowerRight);
  // Never smaller than before: widgets compose anywhere in the window.
  LONG width = lowerRight.x > clientRect.right ? lowerRight.x : clientRect.right;
  LONG height = lowerRight.y > clientRect.bottom ? lowerRight.y : clientRect.bottom;
  SetRect(&clientRect, 0, 0, width, height);

  WindowDC dc(window);
  HBITMAP bitmap = CreateCompatibleBitmap(dc.get(), width > 0 ? width : 1, height > 0 ? height : 1);
  if (!buffer_.valid()) {
    buffer_.reset(CreateCompatibleDC(dc.get()));
    skin->bufferDC = buffer_.get();
    SetBkMode(skin->bufferDC, TRANSPARENT);
  }
  if (bitmap) {
    SelectObject(skin->bufferDC, bitmap);  // the old one is out of the buffer before it goes
    bufferBitmap_.reset(bitmap);
  }
  if (mainFont) SelectObject(skin->bufferDC, mainFont);
  SetTextColor(skin->bufferDC, TextColour(skin));
}

void SkinSurface::EnsureBufferCovers(HWND window) {
  RECT client;
  if (!GetClientRect(window, &client)) return;
  if (client.right > clientRect.right || client.bottom > clientRect.bottom) CreateBuffer(window);
}

HDC SkinSurface::BeginPaintCycle() {
  // Every paint is paced by a 50 ms wait, as the skin has always done; bench/RESULTS.md shows
  // what it costs.
  Sleep(50);
  paint_.Begin(skin->window);
  EnsureBufferCovers(skin->window);
  // A cycle can run inside a dispatch, through a nested modal loop: the dispatch keeps its context.
  outerPaintDC_ = skin->paintDC;
  paintDC_ = WindowDC(skin->window);
  skin->paintDC = paintDC_.get();
  SelectObject(skin->paintDC, mainFont);
  SetBkMode(skin->paintDC, TRANSPARENT);
  SetTextColor(skin->paintDC, TextColour(skin));
  return skin->paintDC;
}

void SkinSurface::PaintAll() {
  TileBackground(skin, skin->paintDC, paint_.area());
  for (int i = 0; i < skin->widgetCount; ++i) {
    if (skin->widgets[i]->visible) skin->widgets[i]->Paint(skin->paintDC);
  }
}

void SkinSurface::TextAt(int x, int y, const wchar_t* text) {
  if (skin->paintDC) PutText(skin->paintDC, x, y, text);
}

void SkinSurface::EndPaintCycle() {
  paintDC_.reset();
  skin->paintDC = outerPaintDC_;
  outerPaintDC_ = nullptr;
  paint_.reset();
}

int SkinSurface::DispatchMouse(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message < WM_MOUSEMOVE || message > WM_MBUTTONDBLCLK) return 0;
  if (skin->widgetCount < 1) return 0;
  EnsureBufferCovers(window);
  SkinDrawing drawing(skin);
  int taken = 0;
  for (int i = 0; i < skin->widgetCount && !taken; ++i) {
    Widget* widget = skin->widgets[i].get();
    if (!widget->enabled) continue;
    skin->paintDC = drawing.dc();  // a nested paint cycle inside the last call may have moved the slot
    taken = widget->OnMouse(window, message, wParam, lParam) ? 1 : 0;
  }
  return taken;
}
