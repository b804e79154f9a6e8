#pragma once
// The dialog once the plug-ins are installed: banner, link, finish button and four lines of text.
#include <windows.h>

enum {
  kCompletedTextX = 234,
  kCompletedLineCount = 4,
};

// A line of the completed state's message, in the user's language.
const wchar_t* CompletedLine(int line);

// Hides the choosing state's widgets and list, shows the completed state's, and picks the largest
// font with which every line of the message ends inside the window.
void ShowCompletedState(HWND dialog);
