#include "skin/SkinTestWindow.h"

static LRESULT CALLBACK SkinWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* skin = reinterpret_cast<SkinWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (message != WM_PAINT || !skin) return DefWindowProcA(window, message, wParam, lParam);
  skin->surface.BeginPaintCycle();
  skin->surface.PaintAll();
  skin->surface.EndPaintCycle();
  return 0;
}

SkinWindow::SkinWindow() {
  WNDCLASSA windowClass = {0, SkinWindowProc, 0, 0, GetModuleHandleA(nullptr), 0, 0, 0, 0, "SkinTestWindow"};
  RegisterClassA(&windowClass);  // fails harmlessly for a process's second window
  hwnd = CreateWindowExA(WS_EX_TOPMOST, "SkinTestWindow", "", WS_POPUP | WS_VISIBLE, 0, 0, 320, 200, nullptr,
                         nullptr, windowClass.hInstance, nullptr);
  screen = GetDC(hwnd);
  RECT status = {20, 150, 200, 170};
  surface.Attach(hwnd, kGradientId, 0, &status);
  SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}
