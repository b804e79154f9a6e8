#pragma once
// The modal grid of numbered thumbnails that a popup selector opens on its left button.
#include <windows.h>

class FrameSelector;

// Shows the grid next to the selector; true with the picked thumbnail's index, false for no pick.
bool OpenGridPicker(FrameSelector& selector, HWND owner, int* pickedIndex);
