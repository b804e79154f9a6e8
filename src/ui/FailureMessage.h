#pragma once
// The message that tells the user what a run could not write, and why.
#include <windows.h>

class InstallFailures;

// Shows the first install failure with the system's reason and how many more there were.
void ShowInstallFailure(HWND dialog, const InstallFailures& failures);
