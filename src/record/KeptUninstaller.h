#pragma once
// The copy of the setup that the list of installed programs starts to uninstall, kept in the
// product's folder under Program Files, which only administrators can write. It comes from the
// running image's own resources (the setup without its payload), or is copied from the handle the
// setup opened on its own file as it started, which lets nobody write, rename or replace that file
// meanwhile: it is always what the program that started carries, whatever its download folder's
// owner does.
#include <windows.h>

#include "base/BoundedText.h"
#include "base/SystemError.h"

class Replacements;
class TrustedFolder;

// Where the kept copy lives. False when the system names no such place.
bool KeptUninstallerPath(ShortPath* path);

// Puts the uninstaller there through the run's journal (a temporary file, flushed, then moved in;
// an earlier copy moves aside), so that the run can take it back; keptFolder is opened (made where
// missing) for it. The uninstaller is the setup without its payload where module carries it (a
// setup whose payload outweighs it), else a copy of ownFile. 0 or the system's error; should the
// earlier copy then not get its name back, strandedAside names where it is, else it is empty.
SystemError KeepUninstaller(TrustedFolder* keptFolder, Replacements* journal, HMODULE module, HANDLE ownFile,
                            FilePath* strandedAside);

// Removes the kept copy and its folder. When it is the running program (ownFile), it can only be
// renamed: it moves aside in its folder, and the system deletes it and the folder, once empty, at
// the next start. 0, or the system's error when it stays.
SystemError RemoveKeptCopy(HANDLE ownFile);
