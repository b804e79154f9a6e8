#pragma once
// What the setup tells its user beyond the dialog: the title of every window and message box, the
// name of its entry in the list of installed programs, and how a run ended, told once: to the log in
// English, and in a message box in the user's language unless the run is silent.
#include <windows.h>

#include "base/MakerValues.h"
#include "base/TextId.h"

// The window title of every window and message box of the setup, in the user's language.
const wchar_t* WindowTitle();

// Logs "Outcome: " and the text in English, and shows it in the user's language unless silent, with
// the icon (MB_ICON...). detail fills the text's {1}; where it is empty, the text named by
// otherwise does, in each language.
void TellOutcome(bool silent, UINT icon, TextId text, const wchar_t* detail = L"", TextId otherwise = kTextCount);
