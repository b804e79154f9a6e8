#pragma once
// What a run tells whoever started it; administrators' scripts rely on these numbers.

enum class ExitCode : int {
  kSuccess = 0,
  kBadCommandLine = 1,
  kNowhereToInstall = 2,
  kNotWritten = 3,        // a file or registry value could not be written or removed
  kAlreadyRunning = 4,
  kLogNotWritten = 5,     // everything else succeeded
  kChangedFilesKept = 6,  // uninstall: files changed since they were installed were left
  kCancelled = 7,         // the user said no, or stopped the run
  kOutOfMemory = 8,       // the system's own number for it (ERROR_NOT_ENOUGH_MEMORY)
  kNoWindow = 9,          // the setup window could not be created
  kNotTakenBack = 10,     // a failed run left something changed that it could not take back
};

// The number the process ends with.
inline int ProcessExitCode(ExitCode code) { return static_cast<int>(code); }
