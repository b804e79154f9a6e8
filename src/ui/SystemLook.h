#pragma once
// What the dialog follows of the user's settings for seeing better: a contrast theme, drawn in the
// system's colours, and the size chosen for text in Windows' accessibility settings, to which the
// whole layout grows.
#include <windows.h>

#include "skin/SkinSurface.h"

// Whether the user has a contrast theme on. Each program links its own answer: the setup's asks
// the system; test programs stand in for a system that cannot switch one on.
bool ContrastThemeOn();

// Reads whether a contrast theme is on, and the system's colours, into the skin. True when what
// the skin draws with changed.
bool ReadSystemColours(SkinState* skin);

// The scale to lay the dialog out at on a display of windowDpi: that scale grown by the size the
// user chose for text (up to Windows' largest, 225 %), as far as the window then fits the work area
// of its monitor (the one of area, or else the window's).
int LayoutScale(HWND dialog, int windowDpi, const RECT* area = nullptr);
