// The floor of any dialog under the platform: a plain modal dialog of the setup's size with one
// drop-down list, built in memory, doing nothing else.
#include <windows.h>

namespace {
INT_PTR CALLBACK BareProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    SetWindowTextA(dialog, "Bare dialog");
    MoveWindow(dialog, (GetSystemMetrics(SM_CXSCREEN) - 500) / 2, (GetSystemMetrics(SM_CYSCREEN) - 292) / 2, 500,
               292, FALSE);
    return TRUE;
  }
  if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
    EndDialog(dialog, 0);
    return TRUE;
  }
  return FALSE;
}

struct alignas(4) Template {
  DLGTEMPLATE dialog;
  WORD menu, windowClass, title;
  DLGITEMTEMPLATE list;
  WORD classMarker, classAtom, text, extra;
};
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  Template t = {};
  t.dialog.style = WS_POPUP | WS_VISIBLE | DS_CENTER;
  t.dialog.cdit = 1;
  t.dialog.cx = 333;
  t.dialog.cy = 180;
  t.list.style = WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST;
  t.list.x = 10;
  t.list.y = 140;
  t.list.cx = 300;
  t.list.cy = 80;
  t.list.id = 1033;
  t.classMarker = 0xFFFF;
  t.classAtom = 0x0085;  // combo box
  DialogBoxIndirectParamA(instance, &t.dialog, nullptr, BareProc, 0);
  return 0;
}
