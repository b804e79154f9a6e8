#pragma once
// Preset blocks: payload resources for two other products of ours that become registry values
// under HKEY_LOCAL_MACHINE instead of files.
#include <windows.h>

#include "base/BoundedText.h"
#include "base/ChangeRecorder.h"
#include "base/GrowableArray.h"
#include "base/SystemError.h"

class InstallFailures;
struct PayloadRun;

// One of the kinds of src/format/PresetKinds.h.
struct PresetKind {
  const wchar_t* keyword;      // found in the installed name
  const wchar_t* subkey;       // below the maker's key
  const wchar_t* valuePrefix;  // followed by the record number, two digits at least
  int recordCount;
  int recordSize;
};

// A preset kind's key below HKEY_LOCAL_MACHINE.
using PresetKeyPath = BoundedText<300>;

// The kind's key; false when it is too long.
bool PresetKeyPathOf(const PresetKind& kind, PresetKeyPath* keyPath);

// The kind whose keyword the installed name contains, the first in table order; null for a file.
const PresetKind* FindPresetKind(const wchar_t* installName);

// Stores each record as one binary value, in every registry view (both under WOW64), each one
// remembered as it was so that the run can take it back. A block shorter than its records is
// refused whole and recorded; bytes beyond the last record are ignored. Failed values are
// recorded, the rest written.
void WritePresetBlock(PayloadRun* run, const PresetKind& kind, const BYTE* data, DWORD size, const wchar_t* resourceName);

// Creates or opens the key in the view (0: the program's own), sets one REG_BINARY value, closes
// the key. Returns the registry status.
SystemError WriteRegistryValue(const wchar_t* valueName, const wchar_t* keyPath, const void* data, DWORD size, REGSAM view);

// Removes the key (below HKEY_LOCAL_MACHINE) and its parents up to the maker's own key while they
// hold nothing.
void RemoveEmptyKeys(const wchar_t* keyPath, REGSAM view);

// Preset values as they were before a run wrote them.
class ValueJournal {
 public:
  // Remembers the value before it is written. ERROR_SUCCESS, or why it cannot be (no memory, a
  // value too large to be ours, a key that cannot be read): it must then not be written.
  SystemError Remember(const wchar_t* keyPath, const wchar_t* name, REGSAM view);
  // Puts every remembered value back as it was, or deletes it where there was none, and removes
  // the keys left empty. Forgets everything. Each value that stays otherwise is a failure.
  void TakeBack(InstallFailures* failures);
  void Forget() { entries_.Clear(); }
  // Told of each value before it is written (null: none is kept beyond the run).
  ChangeRecorder* recorder = nullptr;

 private:
  enum { kNameCapacity = 32, kDataCapacity = 1024 };
  struct Entry {
    PresetKeyPath keyPath;
    BoundedText<kNameCapacity> name;
    REGSAM view;
    bool existed;
    DWORD type, size;
    BYTE data[kDataCapacity];
  };
  GrowableArray<Entry, 0x10000> entries_;
};
