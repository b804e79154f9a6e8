#pragma once
// The dialog once the plug-ins are installed: banner, link, finish button and four lines of text.
#include <windows.h>

enum {
  kCompletedTextX = 234,
  kCompletedLineCount = 4,
};

// The completed state's message, a line each.
extern const wchar_t* const kCompletedLines[kCompletedLineCount];

// Hides the choosing state's widgets and list, shows the completed state's, and picks the largest
// font with which every line of the message ends inside the window.
void ShowCompletedState(HWND dialog);
