#pragma once
// Files put in place so that a folder never holds a half-written plug-in, and so that a whole run
// can be taken back until it is committed. A new file is written as a temporary file in its
// folder and flushed to the disk; then the old file, if there is one, is renamed aside in the same
// folder, under a name no editor loads, and the new file takes its name. An editor that has loaded
// the old plug-in keeps it from being replaced or deleted, but not from being renamed: it uses the
// new one from its next start. Committing deletes what was moved aside, or, where a program still
// has it loaded, leaves it to the system's next start. Taking back deletes the new files and gives
// the old ones their names again. Everything goes through the folder's handle (TrustedFolder).
#include <windows.h>

#include "base/BoundedText.h"
#include "base/ChangeRecorder.h"
#include "base/GrowableArray.h"
#include "base/MakerValues.h"
#include "base/ScopedHandle.h"
#include "base/SystemError.h"
#include "base/TextList.h"
#include "base/TrustedFolder.h"

// Files moved aside end in AsideSuffix(): no editor loads them, and later runs know them as the
// setup's own.
bool IsAsideName(const wchar_t* name);

// Told of each file that taking back leaves otherwise than it was.
class TakeBackReport {
 public:
  // fullName: where the old file now lies, when oldStranded; else a new file that could not be
  // removed again.
  virtual void NotTakenBack(const wchar_t* fullName, bool oldStranded, SystemError error) = 0;

 protected:
  ~TakeBackReport() = default;
};

// What one run put in place, in order, until it is committed or taken back.
class Replacements {
 public:
  Replacements() = default;
  ~Replacements() { Forget(); }
  Replacements(const Replacements&) = delete;
  Replacements& operator=(const Replacements&) = delete;

  // Deletes the old files moved aside; each one a program still has loaded is left to the next
  // start and its full name logged. Keeps only those, for ListAside.
  void Commit();
  // Gives every old file its name back over the new one, and deletes the new files that replaced
  // nothing, newest first; each one that stays otherwise is told to the report. Forgets everything.
  void TakeBack(TakeBackReport* report);
  // Adds the full name of every file moved aside (after Commit: every one still there) to the list.
  // False when no memory is left.
  bool ListAside(TextList* list) const;
  void Forget() { entries_.Clear(); }
  bool empty() const { return entries_.count() == 0; }
  // Told of each rename before it is made (null: none is kept beyond the run).
  ChangeRecorder* recorder = nullptr;

 private:
  friend class NewFile;
  struct Entry {
    const TrustedFolder* folder;
    ShortPath name;
    ShortPath aside;   // empty: there was no old file
    ScopedHandle asideFile;  // the old file as it was opened to be moved aside, until committed
  };
  // Takes over asideFile.
  void Add(const TrustedFolder& folder, const wchar_t* name, const wchar_t* aside, HANDLE asideFile);
  GrowableArray<Entry, 0x100000> entries_;  // a million files: no setup writes that many
};

// A file being written: a temporary file in its folder until PutInPlace, deleted if it never gets
// there.
class NewFile {
 public:
  NewFile() = default;
  ~NewFile() { Abandon(); }
  NewFile(const NewFile&) = delete;
  NewFile& operator=(const NewFile&) = delete;

  // Makes the temporary file in the folder, which must outlive this object, telling the recorder
  // first where there is one. flushAsItGoes: a run that shows its progress has a large file flushed
  // as it is written, so that the progress does not stand at its end while the system writes it
  // out; otherwise the one flush before it is put in place lets the system write while we do. 0 or
  // the system's error.
  SystemError Begin(const TrustedFolder& folder, ChangeRecorder* recorder = nullptr, bool flushAsItGoes = false);
  SystemError Write(const void* data, DWORD size);
  // Flushes the file and puts it in place under name, the old file moved aside, and tells the
  // journal. A read-only old file is its owner's protection: ERROR_ACCESS_DENIED, nothing moved.
  // Should the new file not get the name, the old one gets it back; when even that fails,
  // strandedAside names where the old file now is, and the log says so. 0 or the system's error
  // of the first step that failed.
  SystemError PutInPlace(const wchar_t* name, Replacements* journal, FilePath* strandedAside);
  // Deletes the temporary file, unless it was put in place.
  void Abandon();

 private:
  const TrustedFolder* folder_ = nullptr;
  ScopedHandle file_;
  DWORD unflushed_ = 0;  // bytes written since the last flush
  bool flushAsItGoes_ = false;
};

// Renames the open file (opened with DELETE) aside in its folder and has the system delete it at
// the next start. asideName receives its new name. 0 or the system's error.
SystemError MoveAsideForNextStart(const TrustedFolder& folder, HANDLE file, const wchar_t* name, ShortPath* asideName);

// The errors of a file that a program holds open or loaded.
bool IsHeldError(SystemError error);
