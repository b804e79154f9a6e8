#include "skin/GridPicker.h"

// No picker yet: a popup selector's left button picks nothing.
bool OpenGridPicker(FrameSelector&, HWND, int*) { return false; }
