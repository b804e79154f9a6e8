#pragma once
// The dialog as screen readers see it. Its skinned widgets are no windows, so the dialog answers
// for them with an accessible object of its own (IAccessible) whose children are its elements in
// reading order (DialogElements.h): each toggle a check button named by its caption, described by
// its status text; INSTALL, CANCEL and FINISH push buttons; the link a link whose default action is
// "open"; the prompt, the status line and the completed lines text; the folder list a combo box
// whose value is the chosen folder. The object is made on the first request, with the accessibility
// and COM libraries it needs, so that the dialog starts as fast as it did without it.
#include <windows.h>

// Answers WM_GETOBJECT: the dialog's object for OBJID_CLIENT, 0 for anything else (the system's
// own then).
LRESULT AnswerGetObject(HWND dialog, WPARAM wParam, LPARAM lParam);

// The dialog is going: the object, which a screen reader may still hold, answers nothing more.
void DisconnectAccessibleObject(HWND dialog);

// Tells screen readers that a toggle's state, or the set of elements shown, changed.
void NotifyStateChange(HWND dialog);
