#pragma once
// What a run tells whoever started it; administrators' scripts rely on these numbers.

enum ExitCode {
  kExitSuccess = 0,
  kExitBadCommandLine = 1,
  kExitNowhereToInstall = 2,
  kExitNotWritten = 3,        // a file or registry value could not be written or removed
  kExitAlreadyRunning = 4,
  kExitLogNotWritten = 5,     // everything else succeeded
  kExitChangedFilesKept = 6,  // uninstall: files changed since they were installed were left
  kExitCancelled = 7,         // the user said no, or stopped the run
  kExitOutOfMemory = 8,       // the system's own number for it (ERROR_NOT_ENOUGH_MEMORY)
  kExitNoWindow = 9,          // the setup window could not be created
  kExitNotTakenBack = 10,     // a failed run left something changed that it could not take back
};
