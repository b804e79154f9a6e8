#pragma once
// A folder the elevated setup acts in without trusting its name twice. It is opened by walking from
// its drive or share down, one name at a time, each through the handle of the folder above and
// never through a link (a junction or symbolic link, which whoever can write to a folder may plant
// there; a sync client's cloud folder is none). Its files are then opened, created, renamed and
// deleted through its handle, by plain names only, so that swapping a folder between two steps
// sends no operation anywhere else. The handle lets nobody rename the folder while it is open,
// which keeps the folders above it in place.
#include <windows.h>

#include "base/BoundedText.h"
#include "base/PathText.h"
#include "base/ScopedHandle.h"
#include "base/SystemError.h"

enum FolderAccess { kReadFolder, kWriteFolder, kMakeFolder };  // make: create what is missing

// What a link on the way gives instead of an open folder or file.
const DWORD kLinkRefused = ERROR_CANT_ACCESS_FILE;

class TrustedFolder {
 public:
  // Opens the folder "X:\..." or "\\server\share\...". 0 or the system's error: kLinkRefused for a
  // link, ERROR_BAD_PATHNAME for another kind of text.
  SystemError Open(const wchar_t* path, FolderAccess access);
  bool isOpen() const { return handle_.valid(); }
  HANDLE get() const { return handle_.get(); }
  const wchar_t* path() const { return path_; }  // as opened, ending in a backslash
  // After a failed Open: true when the drive or share itself was not there, so that what lies in
  // it is out of reach rather than gone.
  bool rootMissing() const { return rootMissing_; }
  // After Open: how many folders at the end of the path it made.
  int made() const { return made_; }
  // Whether the error of Open or OpenFile says the thing is gone: not found, where the drive or
  // share is there.
  bool IsGone(SystemError error) const {
    return (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) && !rootMissing_;
  }
  // Opens the folder that the full name (of a file, or of a folder without its backslash) lies in,
  // unless it is the one open already; *name points at the last part of fullName. 0 or as Open.
  SystemError OpenFolderOf(const wchar_t* fullName, FolderAccess access, const wchar_t** name);

  // Opens a file of this folder by its plain name, as NtCreateFile's disposition says (FILE_OPEN,
  // FILE_CREATE); a link is refused and closed again. attributes, when given, receives the file's.
  // 0 or the system's error.
  SystemError OpenFile(const wchar_t* name, ACCESS_MASK access, ULONG share, ULONG disposition, ScopedHandle* file,
                       DWORD* attributes = nullptr) const;
  // Gives the open file (opened with DELETE) another plain name in this folder.
  SystemError Rename(HANDLE file, const wchar_t* name, bool replace) const;
  // Removes the empty subfolder; 0 or the system's error (ERROR_DIR_NOT_EMPTY when it is not).
  SystemError RemoveSubfolder(const wchar_t* name) const;
  // After a failed run: closes the folder and removes the folders that Open made, deepest first,
  // those left empty. 0, or the system's error for the first one that stays.
  SystemError TakeBackMade();
  // After Open for writing or making: whether ordinary users can change what is put in the folder,
  // in it or by taking away a folder on its way and putting another in its place; also when the
  // system could not say.
  bool othersCanChange() const { return othersCanChange_; }
  // Refuses what has these attributes too, as a link. Only for tests on a system that makes no links
  // (Wine): an attribute it does keep then stands in for the link's.
  void RefuseAlso(DWORD attributes) { alsoRefused_ |= attributes; }

 private:
  ScopedHandle handle_;
  FolderPath path_;
  bool rootMissing_ = false;
  bool othersCanChange_ = false;
  int made_ = 0;  // the folders at the end of the path that Open made
  DWORD alsoRefused_ = 0;
  mutable bool renamesByFullName_ = false;  // the system refused a rename relative to the folder
};

// Deletes the open file, which was opened with DELETE. 0 or the system's error.
SystemError DeleteOpenFile(HANDLE file);

// The attributes of the open file; INVALID_FILE_ATTRIBUTES when the system cannot say.
DWORD AttributesOf(HANDLE file);

// Whether a file of these attributes and reparse tag is a link: a reparse point that stands for
// another name (a junction, a symbolic link), not one in which a sync client keeps its cloud files.
bool IsLinkKind(DWORD attributes, DWORD reparseTag);

// A name a file can have inside a folder: not empty, no separator, wildcard or character the file
// system refuses, not "." or "..", no blank or dot at the end, and no device name (CON, NUL,
// COM1...) with or without an extension.
bool IsPlainFileName(const wchar_t* name);
