#include "discovery/FolderTable.h"

#include <windows.h>

#include "base/PathText.h"
#include "base/MakerValues.h"

FolderEntry FolderTable[kFolderRows];

bool InstallFolderOf(const FolderEntry& candidate, FolderPath* folder) {
  *folder = candidate.path;
  return !candidate.addMakerSubfolder ||
         (folder->AppendPart(Maker(kMakerMakerFolder)) && folder->EnsureTrailingBackslash());
}

void AddFolderCandidate(wchar_t* path, bool makerSubfolder, bool planned) {
  // A relative or drive-relative text means whatever folder is current.
  if (BoundedLength(path, kPathCapacity) >= kPathCapacity || !IsAbsolutePath(path)) return;
  if (!planned && !FindExistingFolder(path)) return;
  LowerAscii(path);

  // Earlier installations recorded our own subfolder; the candidate is the folder that holds it.
  if (wchar_t* makerFolder = FindText(path, Maker(kMakerFolderMark))) {
    if (makerFolder > path && makerFolder[-1] == L'\\') *makerFolder = L'\0';
  }

  // That editor loads plug-ins from its own folder only, not from subfolders.
  bool noMakerSubfolder = !makerSubfolder || FindText(path, L"igrafx") != nullptr;
  if (!EnsureTrailingBackslash(path, kPathCapacity)) return;
  CapitalizePath(path);

  for (FolderEntry& row : FolderTable) {
    if (row.path.empty()) {
      row.path.Assign(path);
      row.addMakerSubfolder = noMakerSubfolder ? 0 : 1;
      return;
    }
    if (wcscmp(row.path, path) == 0) return;
  }
}
