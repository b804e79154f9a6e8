#pragma once
// The drop-down list of candidate folders: the discovered ones, a browsed one, the browse entry.
#include <windows.h>

// Lists the candidate table's folders (with the maker folder where it belongs), the browse entry
// and the command line's folder, and selects that folder or else the first entry.
void FillFolderList(HWND dialog);

// Opens the folder browser. A folder chosen there is listed before the browse entry, replacing an
// earlier browsed one, and selected: true. Otherwise the first entry is selected: false.
bool BrowseForFolder(HWND dialog);

// True when the selected list entry is the browse entry.
bool BrowseEntrySelected(HWND dialog);

// The selected folder into folder (kPathCapacity characters). False when none is selected or the
// entry is longer than the folder text: cut, it would be another folder.
bool SelectedFolder(HWND dialog, wchar_t* folder);
