#pragma once
// The entry in the system's list of installed programs, with the record of everything the
// installations wrote, and the uninstall run that removes exactly that.
#include <windows.h>

struct CommandLine;

// Adds what the last run wrote to the entry, keeping what earlier runs recorded (other folders
// included), and keeps a copy of this program to uninstall with. False, with GetLastError, when the
// entry or the copy could not be written.
bool RecordInstallation(const char* folder);

// Removes the recorded files that are unchanged, the recorded values and empty maker folders; a
// failure keeps the record of what is left. Returns the exit code.
int RunUninstall(const CommandLine& options);

// Waits for the uninstaller with that process id to end, then removes its kept copy.
void RemoveKeptUninstaller(DWORD processId);
