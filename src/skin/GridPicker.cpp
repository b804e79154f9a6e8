#include "skin/GridPicker.h"

#include "base/GdiScope.h"
#include "skin/FrameSelector.h"

FrameSelector* pickerOwner;
SkinState* pickerSkin;
int pickerWidth;
int pickerHeight;
DWORD pickedPoint;

namespace {

// A dialog with no items, no title and no font; it places and sizes itself.
struct alignas(4) PickerTemplate {
  DWORD style = WS_POPUP | WS_BORDER | DS_MODALFRAME;
  DWORD extendedStyle = 0;
  WORD itemCount = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  WORD menu = 0, windowClass = 0, title = 0;
  WORD padding[2] = {};
};
static_assert(sizeof(PickerTemplate) == 28, "the template's layout is the platform's");

void PaintGrid(HWND dialog) {
  PaintCycle paint(dialog);
  {
    WindowDC dc(dialog);
    SelectedObject font(dc.get(), mainFont);
    SetBkMode(dc.get(), TRANSPARENT);
    TileBackground(pickerSkin, dc.get(), paint.area());
    const FrameSelector& owner = *pickerOwner;
    for (int i = 0; owner.strip && i <= owner.maxValue; ++i) {
      int column = i % kPickerColumns;
      int row = i / kPickerColumns;
      RECT cell = {kCellPitchX * column + 18, kCellPitchY * row + 10, kCellPitchX * column + 44,
                   kCellPitchY * row + 36};
      if (owner.flags & SEL_TRANSPOSED) {
        owner.strip->CopyRectTransposed(dc.get(), cell, kThumbnailSize * column, kThumbnailSize * row);
      } else {
        owner.strip->CopyRect(dc.get(), cell, kThumbnailSize * column, kThumbnailSize * row);
      }
      wchar_t number[16];
      wsprintfW(number, L"%0.2i", i + 1);
      TextOutW(dc.get(), kCellPitchX * column + 4, kCellPitchY * row + 12, number, 2);
    }
  }
}

}  // namespace

INT_PTR CALLBACK GridPickerProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message & 0xFFFF) {
    case WM_INITDIALOG:
      SetWindowPos(dialog, HWND_TOP, static_cast<int>(lParam & 0xFFFF) - pickerWidth,
                   static_cast<int>((lParam >> 16) & 0xFFFF) - pickerHeight, pickerWidth, pickerHeight, 0);
      pickedPoint = 0;
      return 0;
    case WM_PAINT:
      PaintGrid(dialog);
      return 0;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, static_cast<INT_PTR>(wParam));
        return 1;
      }
      return 0;
    case WM_LBUTTONUP:
      pickedPoint = static_cast<DWORD>(lParam);
      SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
      return 0;
    case WM_RBUTTONDOWN:
      SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
      return 0;
    default:
      return 0;
  }
}

bool OpenGridPicker(FrameSelector& selector, HWND owner, int* pickedIndex) {
  pickerOwner = &selector;
  pickerSkin = selector.skin;
  PickerTemplate dialogTemplate;

  RECT client;
  GetClientRect(owner, &client);
  POINT origin = {client.left, client.top};
  ClientToScreen(owner, &origin);
  pickerWidth = kPickerWidth;
  pickerHeight = kCellPitchY * (selector.maxValue / kPickerColumns) + 50;
  int anchorX = origin.x + selector.bounds.left - 1;
  int anchorY = origin.y + selector.bounds.top - 1;
  // Near the top there is no room above: open below instead, never over the selector.
  if (selector.bounds.top < pickerHeight) anchorY += (selector.bounds.bottom - selector.bounds.top) + pickerHeight + 1;

  // A picker that cannot be created must not pick from what the last one left.
  pickedPoint = 0;
  DialogBoxIndirectParamW(pickerSkin->instance, reinterpret_cast<LPCDLGTEMPLATEW>(&dialogTemplate), owner,
                          GridPickerProc, MAKELPARAM(anchorX, anchorY));
  if (pickedPoint == 0) return false;
  int x = static_cast<int>(pickedPoint & 0xFFFF);
  int y = static_cast<int>((pickedPoint >> 16) & 0xFFFF);
  int column = (x - 9) / kCellPitchX;
  int row = (y - 5) / kCellPitchY;
  if (column < 0) column = 0;
  if (row < 0) row = 0;
  // Right of the fourth column there is no cell: the formula would wrap into the next row.
  if (column >= kPickerColumns) return false;
  *pickedIndex = column + kPickerColumns * row;
  return true;
}
