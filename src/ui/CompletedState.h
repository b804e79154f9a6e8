#pragma once
// The dialog once the plug-ins are installed: banner, link, finish button and four lines of text,
// with a fifth where other users can change what was installed.
#include <windows.h>

#include "base/BoundedText.h"
#include "skin/SkinSurface.h"
#include "ui/DialogState.h"

enum { kCompletedMessageLines = 4, kMostCompletedLines = 5 };

// How many lines the completed state shows.
int CompletedLineCount(const DialogState& state);
// A line of the completed state's text, in the user's language, and where it starts.
using CompletedLineText = BoundedText<256>;
CompletedLineText CompletedLine(int line);
POINT CompletedLineAt(const SkinState* skin, int line);

// Hides the choosing state's widgets and list, shows the completed state's, and picks the largest
// font with which every line of the message ends inside the window.
void ShowCompletedState(HWND dialog);
