#pragma once
// The installation run that the dialog and the unattended install share: the payload of the
// module goes into one folder, the record of it into the list of installed programs, and every
// step into the log. A run writes all or nothing: whatever fails, what it wrote is taken back, so
// that a failed run leaves the machine as it found it.
#include <windows.h>

#include "base/ExitCode.h"
#include "base/BoundedText.h"
#include "payload/SkipList.h"

class InstallFailures;
struct RunState;

// The program being run: its resources and its own file, opened as it started.
struct InstallSource {
  HMODULE module;
  HANDLE ownFile;
};

// What an installation is asked to do, and all it reads of the one who asks: where, and what not.
struct InstallPlan {
  FolderPath folder;  // X:\...\ or \\server\share\...\, ending in a backslash
  SkipList leftOut;               // keywords of the components left out
};

// Installs every resource of the module that the plan does not leave out into its folder, with a
// kept uninstaller and the record of it. The run holds what was written and what failed.
void InstallIntoFolder(const InstallSource& source, const InstallPlan& plan, RunState* run);

// Installs every component without a window into folder, or into the first candidate when it is
// empty. Returns the exit code.
ExitCode RunSilentInstall(const InstallSource& source, const FolderPath& folder);

// The exit code of a run with these failures: another run was active (4), the run left something
// it could not take back (10), the user stopped it (7), it ran out of memory (8), or wrote nothing
// (3); 0 without failures.
ExitCode RunExitCode(const InstallFailures& failures);

// The outcome line of the log for a run with these failures.
void LogOutcome(const InstallFailures& failures);
