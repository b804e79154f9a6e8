#pragma once
// The record of everything the installations wrote, kept in the entry of the system's list of
// installed programs: which files (with a hash of what was written), which registry values, which
// folders, and which old files were moved aside. Removal touches nothing else, so a record that
// cannot be read as written is never taken for an empty one.
#include <windows.h>

#include "base/ScopedHandle.h"
#include "base/SystemError.h"
#include "base/TextList.h"

class Replacements;
struct PayloadRun;

// REG_MULTI_SZ lists. A file's entry is "path|hash|size", a value's "HKEY_LOCAL_MACHINE\key\name",
// with " (64-bit view)" behind the name for the other view, a folder's "X:\...\", a moved-aside
// file's its full name. An entry's key, which names what it records, is the text before the
// first '|'.
struct InstallRecord {
  TextList files, values, folders, aside;
};

// Reads the record of the open entry key; a missing list is an empty one. ERROR_SUCCESS, or why
// the record cannot be used: ERROR_INVALID_DATA for a list of the wrong type or with an entry that
// this setup never writes, ERROR_NOT_ENOUGH_MEMORY.
SystemError ReadInstallRecord(HKEY entry, InstallRecord* record);
// Stores the lists. The registry's status.
SystemError WriteInstallRecord(HKEY entry, const InstallRecord& record);

// Adds the entry, replacing one with the same key. False when no memory is left.
bool PutEntry(TextList* list, const wchar_t* entry);

// The value entry's key path (below HKEY_LOCAL_MACHINE), name and view, split in place. False for
// an entry that names no value below the maker's key.
bool SplitValueEntry(wchar_t* entry, wchar_t** keyPath, wchar_t** name, REGSAM* view);

// A folder text the record can hold and read again: "X:\...\" or "\\server\share\...\".
bool IsFolderEntry(const wchar_t* entry);

// Deletes the old files that completed runs recorded as moved aside, those no program has loaded
// any more, and keeps in the list the ones still there. A file of that suffix that no run recorded
// is never touched: it may be a plug-in that could not be put back.
void RemoveMovedAsideLeftovers(TextList* aside);

// Opens the entry for writing, creating it if there is none (*created then says so), and reads
// its record, which an installation adds to. ERROR_SUCCESS or why not, as ReadInstallRecord says,
// or the registry's status when the entry cannot be opened or made.
SystemError OpenInstallRecord(ScopedKey* entry, InstallRecord* record, bool* created);

// Stores in the entry the record with what the run wrote added, with the values the list of
// installed programs shows and the commands of the kept uninstaller at keptPath. ERROR_SUCCESS, or
// why not: the entry may then be part-written, and the run puts back its snapshot. refusedValue:
// the name of a value the registry is to refuse, standing in for a full or damaged registry (tests).
SystemError RecordInstallation(HKEY entry, const InstallRecord& record, const PayloadRun& run, const wchar_t* keptPath,
                               const wchar_t* refusedValue = nullptr);

enum { kEntryValues = 15 };  // the values of the entry that an installation writes
const wchar_t* EntryValueName(int index);  // each of them, 0 to kEntryValues - 1

// The value's type and data, read whole into a block of its own. The registry's status.
SystemError ReadWholeValue(HKEY key, const wchar_t* name, DWORD* type, DWORD* size, ScopedHeapBlock* data);

// Those values as they were before a run, for a failed run to put back: the entry then reads as it
// did, the version that deployment tools detect an installation by included.
class EntrySnapshot {
 public:
  // Reads them from the open entry. ERROR_SUCCESS, the registry's status, or ERROR_NOT_ENOUGH_MEMORY.
  SystemError Take(HKEY entry);
  // Gives each value its type and data again and deletes each that was not there; nothing when none
  // was taken. ERROR_SUCCESS, or the first failure's status: the others are put back all the same.
  SystemError PutBack(HKEY entry) const;

 private:
  struct Value {
    bool present = false;
    DWORD type = 0, size = 0;
    ScopedHeapBlock data;
  };
  Value values_[kEntryValues];
  bool taken_ = false;
};

// After the run's commit: stores as the list of files moved aside the earlier ones the record
// still lists and those of the run still there (files: what the commit left). The registry's status.
SystemError RecordMovedAside(HKEY entry, const InstallRecord& record, const Replacements& files);
