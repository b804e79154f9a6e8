#pragma once
// The installation run that the dialog and the unattended install share: the payload of the
// module goes into one folder, the record of it into the list of installed programs, and every
// step into the log.
#include <windows.h>

#include "base/PathText.h"

// The folder chosen for installation; always ends in a backslash while a run uses it.
extern char targetFolder[kPathCapacity];

// Writes every resource of the module that is not skipped into targetFolder, and records and
// logs what it wrote. What failed is left in the install failures.
void InstallIntoTarget(HMODULE module);

// Installs every component without a window into folder, or into the first candidate when it is
// empty. Returns the exit code.
int RunSilentInstall(HMODULE module, const char* folder);
