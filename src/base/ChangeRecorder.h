#pragma once
// What a run is about to change, kept where it lasts (flushed to the disk) before the change is
// made, so that a run cut off in the middle (killed, a power cut) is taken back at the next start.
#include <windows.h>

#include "base/SystemError.h"

class ChangeRecorder {
 public:
  // Each answers 0, or why the change could not be kept: it must then not be made.
  // A temporary file is about to be made under the name fullName.
  virtual SystemError WillMakeTemporary(const wchar_t* fullName) = 0;
  // The old file fullName is about to be renamed to asideFullName, in the same folder.
  virtual SystemError WillMoveAside(const wchar_t* fullName, const wchar_t* asideFullName) = 0;
  // A new file is about to take the name fullName, where there was none.
  virtual SystemError WillPutNew(const wchar_t* fullName) = 0;
  // The value below HKEY_LOCAL_MACHINE in the view is about to be written; as it is now, or none.
  virtual SystemError WillWriteValue(const wchar_t* keyPath, const wchar_t* name, REGSAM view, bool existed,
                                     DWORD type, const BYTE* data, DWORD size) = 0;

 protected:
  ~ChangeRecorder() = default;
};
