#pragma once
// The drop-down list of candidate folders: the discovered ones, a browsed one, the browse entry.
#include <windows.h>

#include "base/BoundedText.h"

// Lists the dialog's candidate folders (each the folder to install into), the browse entry and the
// command line's folder, and selects that folder or else the first entry.
void FillFolderList(HWND dialog);

// Opens the folder browser. A folder chosen there is listed before the browse entry, replacing an
// earlier browsed one, and selected: true. Otherwise the first entry is selected: false.
bool BrowseForFolder(HWND dialog);

// True when the selected list entry is the browse entry.
bool BrowseEntrySelected(HWND dialog);

// The folder of the selected entry, from what the entry
// lists, not from the list's text. False when no folder is selected.
bool SelectedFolder(HWND dialog, FolderPath* folder);
