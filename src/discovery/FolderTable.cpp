#include "discovery/FolderTable.h"

#include <string.h>
#include <windows.h>

#include "base/PathText.h"
#include "base/Product.h"

FolderEntry FolderTable[kFolderRows];

void AddFolderCandidate(char* path) {
  // A relative or drive-relative text means whatever folder is current, and discovery keeps moving it.
  if (strnlen(path, kPathCapacity) >= kPathCapacity || !IsAbsolutePath(path)) return;
  if (!FindExistingFolder(path)) return;
  LowerAscii(path);

  // Earlier installations recorded our own subfolder; the candidate is the folder that holds it.
  // A double-byte character's second byte before it may look like a backslash without being one.
  if (char* makerFolder = FindText(path, MAKER_FOLDER_MARK)) {
    char first = *makerFolder;
    *makerFolder = '\0';
    if (!EndsInBackslash(path)) *makerFolder = first;
  }

  // That editor loads plug-ins from its own folder only, not from subfolders.
  bool noMakerSubfolder = FindText(path, "igrafx") != nullptr;
  if (!EnsureTrailingBackslash(path, kPathCapacity)) return;
  CapitalizePath(path);

  for (FolderEntry& row : FolderTable) {
    if (!row.path[0]) {
      memcpy(row.path, path, strlen(path) + 1);
      row.addMakerSubfolder = noMakerSubfolder ? 0 : 1;
      return;
    }
    if (lstrcmpA(row.path, path) == 0) return;
  }
}
