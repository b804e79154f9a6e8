#pragma once
// The dialog once the plug-ins are installed: banner, link, finish button and four lines of text.
#include <windows.h>

#include "skin/SkinSurface.h"

enum { kCompletedLineCount = 4 };

// A line of the completed state's message, in the user's language, and where it starts.
const wchar_t* CompletedLine(int line);
POINT CompletedLineAt(const SkinState* skin, int line);

// Hides the choosing state's widgets and list, shows the completed state's, and picks the largest
// font with which every line of the message ends inside the window.
void ShowCompletedState(HWND dialog);
