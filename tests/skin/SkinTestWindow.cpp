#include "skin/SkinTestWindow.h"

#include "skin/SkinTestBitmaps.h"

Canvas::Canvas(int width, int height, COLORREF fill) : width_(width), height_(height), bits_(nullptr) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bits_ = static_cast<unsigned*>(bits);
  dc_ = CreateCompatibleDC(nullptr);
  previous_ = SelectObject(dc_, bitmap_);
  unsigned pixel = (GetRValue(fill) << 16) | (GetGValue(fill) << 8) | GetBValue(fill);
  for (int i = 0; i < width * height; ++i) bits_[i] = pixel;
}

Canvas::~Canvas() {
  SelectObject(dc_, previous_);
  DeleteDC(dc_);
  DeleteObject(bitmap_);
}

COLORREF Canvas::Pixel(int x, int y) const {
  GdiFlush();
  unsigned pixel = bits_[y * width_ + x];
  return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

SkinSurface* SkinTestWindow::paintingSurface;

namespace {
LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT && SkinTestWindow::paintingSurface) {
    SkinTestWindow::paintingSurface->BeginPaintCycle();
    SkinTestWindow::paintingSurface->PaintAll();
    SkinTestWindow::paintingSurface->EndPaintCycle();
    return 0;
  }
  if (message == WM_ERASEBKGND) return 1;
  return DefWindowProcA(window, message, wParam, lParam);
}
}  // namespace

SkinTestWindow::SkinTestWindow(int width, int height) {
  static ATOM windowClass;
  if (!windowClass) {
    WNDCLASSA description = {};
    description.lpfnWndProc = TestWindowProc;
    description.hInstance = GetModuleHandleA(nullptr);
    description.lpszClassName = "SkinTestWindow";
    description.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass = RegisterClassA(&description);
  }
  window_ = CreateWindowExA(WS_EX_TOPMOST, "SkinTestWindow", "skin test", WS_POPUP | WS_VISIBLE, 0, 0, width,
                            height, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  PumpMessages();
}

SkinTestWindow::~SkinTestWindow() {
  DestroyWindow(window_);
  PumpMessages();
}

COLORREF SkinTestWindow::Pixel(int x, int y) const {
  GdiFlush();
  HDC dc = GetDC(window_);
  COLORREF colour = GetPixel(dc, x, y);
  ReleaseDC(window_, dc);
  return colour;
}

void SkinTestWindow::Fill(const RECT& rect, COLORREF colour) const {
  HDC dc = GetDC(window_);
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(dc, &rect, brush);
  DeleteObject(brush);
  ReleaseDC(window_, dc);
}

void SkinTestWindow::PumpMessages() const {
  // Everything but the widgets' commands, which stay queued for TakeCommand.
  MSG message;
  bool handled = true;
  while (handled) {
    handled = false;
    while (PeekMessageA(&message, nullptr, 0, 0x4FF, PM_REMOVE)) {
      DispatchMessageA(&message);
      handled = true;
    }
    while (PeekMessageA(&message, nullptr, 0x501, 0xFFFFFFFF, PM_REMOVE)) {
      DispatchMessageA(&message);
      handled = true;
    }
  }
}

int SkinTestWindow::TakeCommand() const {
  MSG message;
  if (!PeekMessageA(&message, window_, 0x500, 0x500, PM_REMOVE)) return -1;
  return static_cast<int>(message.wParam);
}

AttachedSkin::AttachedSkin(int width, int height) : window(width, height), state() {
  surface = new SkinSurface(&state, GetModuleHandleA(nullptr));
  statusTextColour = RGB(255, 255, 255);
  RECT status = {20, 150, 200, 170};
  surface->Attach(window.hwnd(), kGradientId, 0, &status);
}

AttachedSkin::~AttachedSkin() {
  DropPaintDC();
  if (SkinTestWindow::paintingSurface == surface) SkinTestWindow::paintingSurface = nullptr;
  delete surface;
}

void AttachedSkin::HoldPaintDC() {
  if (state.paintDC) return;
  state.paintDC = GetDC(window.hwnd());
  SelectObject(state.paintDC, mainFont);
  SetBkMode(state.paintDC, TRANSPARENT);
}

void AttachedSkin::DropPaintDC() {
  if (!state.paintDC) return;
  ReleaseDC(window.hwnd(), state.paintDC);
  state.paintDC = nullptr;
}
