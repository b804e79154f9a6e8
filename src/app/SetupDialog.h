#pragma once
// The one window of the program: the skinned dialog "main".
#include <windows.h>

enum {
  IDC_FOLDER_LIST = 1033,
  IDC_FOCUS_SINK = 1034,
  kCompletedTextX = 234,
  kCompletedLineCount = 4,
};

// The completed state's message, a line each.
extern const char* const kCompletedLines[kCompletedLineCount];

INT_PTR CALLBACK SetupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The installation run: the IDOK branch. 1 when it ended the dialog.
INT_PTR RunInstallation(HWND dialog);

// Opens the folder browser. A folder chosen there is listed before the browse entry, replacing an
// earlier browsed one, and selected: true. Otherwise the first entry is selected: false.
bool BrowseForFolder(HWND dialog);

// True when the selected list entry is the browse entry.
bool BrowseEntrySelected(HWND dialog);

// Installs every component without a window into folder, or into the first candidate when it is
// empty. Returns the exit code.
int RunSilentInstall(const char* folder);

// Sum of the component toggles' values (0: nothing selected).
int SelectedComponentsTotal();
