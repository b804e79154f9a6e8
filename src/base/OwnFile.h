#pragma once
// The setup's own file, which it keeps as the uninstaller. The setup is downloaded into a folder
// the signed-in user's programs can write, so the file at its name may not be the program that
// runs: another program can rename it and put itself at that name in the moment between the
// start of the process and the opening of the file. Only a file that is the running image itself
// is ever kept.
#include <windows.h>

// Opens the file the process was started from, for reading and for renaming by this process only:
// nobody may write, rename or replace it while the handle is open. INVALID_HANDLE_VALUE when it
// cannot be opened.
HANDLE OpenOwnFile();

// Whether the open file is the image this process runs (the system compares the file of an image
// view of it with that of the running module), not merely a file with the same name.
bool IsRunningImage(HANDLE file);
