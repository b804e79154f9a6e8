#pragma once
// The dialog from the keyboard. The skinned widgets are no windows: one small window of ours, the
// key sink, takes the keys for all of them and keeps a focus among them (DialogState::focus), in
// reading order, with the real folder list between the toggles and INSTALL. Tab and Shift+Tab move
// through the link, the toggles, the list, INSTALL and CANCEL (in the completed state the link and
// FINISH); the arrow keys move among the toggles, down the columns; Space flips a toggle, presses a
// button or opens the link, as Enter does on a button or the link; Enter elsewhere installs (or
// finishes), Escape cancels. The focus starts on INSTALL, and its cue, a dotted rectangle as
// standard controls draw, shows once the keyboard is used. The status line follows the focus.
#include <windows.h>

#include "ui/DialogState.h"

// Makes the key sink (id IDC_FOCUS_SINK) and gives it the focus; while the dialog initialises.
void CreateKeySink(HWND dialog);

// Moves the focus to the element; byKeyboard shows the cue from now on. Tells screen readers.
void FocusElement(HWND dialog, DialogElement element, bool byKeyboard);

// The folder list took the focus (CBN_SETFOCUS): it is the focused element. Giving the key sink the
// focus again takes it to the element Tab or Shift+Tab reaches from the list, or to INSTALL.
void OnListFocus(HWND dialog);

// Draws the focus cue, where it shows, into the paint cycle's DC.
void DrawFocusCue(HWND dialog, HDC dc);
