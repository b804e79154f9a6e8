#pragma once
// The journal of an installation run that lasts beyond it: below the entry in the list of installed
// programs, flushed to the disk before each change the run makes, it says what the run is about to
// change. A run that never ends (killed, a power cut, a window closed as "not responding") leaves
// it behind, and the next start of the setup or of its uninstaller takes that run back first, as a
// failed run takes itself back: old files at their names again, new and temporary files gone,
// preset values and the entry as they were, folders the run made removed where empty. A run that
// ends, committed or taken back, removes its journal.
#include <windows.h>

#include "base/BoundedText.h"
#include "base/ChangeRecorder.h"
#include "base/ScopedHandle.h"
#include "base/SystemError.h"

class TrustedFolder;

class RunJournal final : public ChangeRecorder {
 public:
  // Starts the journal below the open entry; madeEntry: the run made the entry. Then keeps the
  // entry's values as they are. 0 or the registry's status: the run must then write nothing.
  SystemError Begin(HKEY entry, bool madeEntry);
  // The folders at the end of the open folder's path that its Open made, to be removed if empty.
  SystemError MadeFolders(const TrustedFolder& folder, int count);
  // The run has ended, committed or taken back: the journal goes.
  void End();

  SystemError WillMakeTemporary(const wchar_t* fullName) override;
  SystemError WillMoveAside(const wchar_t* fullName, const wchar_t* asideFullName) override;
  SystemError WillPutNew(const wchar_t* fullName) override;
  SystemError WillWriteValue(const wchar_t* keyPath, const wchar_t* name, REGSAM view, bool existed, DWORD type,
                             const BYTE* data, DWORD size) override;

 private:
  // Adds the step, joined from its parts with '|', and flushes the journal to the disk.
  SystemError Add(const wchar_t* kind, const wchar_t* first, const wchar_t* second = nullptr);
  ScopedKey key_;
  int steps_ = 0, values_ = 0;
};

// Before anything else, under the record lock: takes back a run that left its journal behind, and
// logs what it put back. ERROR_SUCCESS when there was none or it is taken back whole; else the first
// failure, with what it failed on in subject, and the journal stays for the next start.
SystemError TakeBackInterruptedRun(FilePath* subject);
