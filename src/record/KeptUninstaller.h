#pragma once
// The copy of the setup that the list of installed programs starts to uninstall, kept in the
// product's folder under Program Files.
#include <windows.h>

// Where the kept copy lives: MAX_PATH characters. False when the path does not fit.
bool KeptUninstallerPath(char* path);

// Copies this program there, unless it runs from there. False, with GetLastError, on failure.
bool KeepUninstaller();

// Removes the kept copy once this process has ended: a running program cannot delete itself.
void RemoveKeptCopy();

// Waits for the uninstaller with that process id to end, then removes its kept copy.
void RemoveKeptUninstaller(DWORD processId);
