#pragma once
// The modal grid of numbered thumbnails that a popup selector opens on its left button: every
// value of the selector as a 26 x 26 thumbnail, four to a row; a left-button release picks.
#include <windows.h>

#include "skin/SkinSurface.h"

class FrameSelector;

// One picker at a time: its modality sees to that.
extern FrameSelector* pickerOwner;
extern SkinState* pickerSkin;
extern int pickerWidth;
extern int pickerHeight;
extern DWORD pickedPoint;  // client position of the release that picked; 0: nothing picked

enum {
  kPickerWidth = 198,
  kCellPitchX = 44,
  kCellPitchY = 36,
  kPickerColumns = 4,
};

// Opens the picker beside the selector and waits for it. True with the picked cell's index; false
// when nothing was picked (cancelled, or a release outside the cells' columns).
bool OpenGridPicker(FrameSelector& selector, HWND owner, int* pickedIndex);

INT_PTR CALLBACK GridPickerProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
