#pragma once
// The copy of the setup that the list of installed programs starts to uninstall, kept in the
// product's folder under Program Files, which only administrators can write.
#include <windows.h>

// Where the kept copy lives: MAX_PATH characters. False when the system names no such place.
bool KeptUninstallerPath(char* path);

// Copies this program there, unless it runs from there. False, with GetLastError, on failure.
bool KeepUninstaller();

// Removes the kept copy and its folder. The running copy cannot delete itself: it moves aside in
// its folder, and the system deletes it and the folder, once empty, at the next start.
void RemoveKeptCopy();
