#pragma once
// The dialog's parts in reading order, as the keyboard and screen readers know them: which there
// are in the present state, where each is, what it is called, and what pressing it does. A screen
// reader knows each by its place in that order (its child id, from 1).
#include <windows.h>

#include "ui/DialogState.h"

enum { kMaxElements = kComponents + 10 };


// The elements the dialog shows now, in reading order; returns their count.
int ListElements(HWND dialog, DialogElement* elements);
// The element's child id (1 and up), or 0 when the dialog does not show it now.
LONG ChildIdOf(HWND dialog, DialogElement element);
bool SameElement(DialogElement a, DialogElement b);
// The ones the keyboard reaches: the link, the toggles, the list and the buttons.
bool IsFocusable(DialogElement element);

// The skinned widget that shows it; null for the list and the texts.
Widget* WidgetOf(const DialogState& state, DialogElement element);
// Where it is, in client pixels.
RECT ElementRect(HWND dialog, DialogElement element);
// What it is called (capacity characters): a toggle its whole caption, a button its word.
void ElementName(HWND dialog, DialogElement element, wchar_t* name, size_t capacity);
// What a click on it does: a toggle flips, a button is pressed, the link opens, the list drops down.
void PressElement(HWND dialog, DialogElement element);
