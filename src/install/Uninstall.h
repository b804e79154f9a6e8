#pragma once
// The uninstall run that the list of installed programs starts: it removes exactly what the
// installations recorded.
#include <windows.h>

#include "base/ExitCode.h"

// Removes the recorded files that are unchanged, the recorded values, empty maker folders and the
// kept copy (ownFile: this program's own file, opened at start); a failure keeps the record of
// what is left. silent: no message box. Returns the exit code.
ExitCode RunUninstall(bool silent, HANDLE ownFile);
