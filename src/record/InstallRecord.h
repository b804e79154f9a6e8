#pragma once
// The record of everything the installations wrote, kept in the entry of the system's list of
// installed programs: which files (with a hash of what was written), which registry values, and
// which folders. Removal touches nothing else, so a record that cannot be read as written is
// never taken for an empty one.
#include <windows.h>

#include "base/TextList.h"

// REG_MULTI_SZ lists. A file's entry is "path|hash|size", a value's "HKEY_LOCAL_MACHINE\key\name",
// with " (64-bit view)" behind the name for the other view, a folder's "X:\...\". An entry's key,
// which names what it records, is the text before the first '|'.
struct InstallRecord {
  TextList files, values, folders;
};

// Reads the record of the open entry key; a missing list is an empty one. ERROR_SUCCESS, or why
// the record cannot be used: ERROR_INVALID_DATA for a list of the wrong type or with an entry that
// this setup never writes, ERROR_NOT_ENOUGH_MEMORY.
LONG ReadInstallRecord(HKEY entry, InstallRecord* record);
// Stores all three lists. The registry's status.
LONG WriteInstallRecord(HKEY entry, const InstallRecord& record);
void FreeInstallRecord(InstallRecord* record);

// Adds the entry, replacing one with the same key. False when no memory is left.
bool PutEntry(TextList* list, const char* entry);

// The value entry's key path (below HKEY_LOCAL_MACHINE), name and view, split in place. False for
// an entry that names no value below the maker's key.
bool SplitValueEntry(char* entry, char** keyPath, char** name, REGSAM* view);

// Deletes the files that earlier runs moved aside in the folders, those no program has loaded any
// more: the ones of this setup's own naming.
void RemoveMovedAsideLeftovers(const TextList& folders);

// ERROR_SUCCESS when an installation may add to the record: there is none yet, or it reads as
// written (the leftovers of its folders are then removed). Otherwise why not, as
// ReadInstallRecord says.
LONG CheckInstallRecord();

// Adds what the last run wrote to the entry, keeping what earlier runs recorded (other folders
// included), and keeps a copy of this program to uninstall with. False, with GetLastError, when the
// entry or the copy could not be written.
bool RecordInstallation(const char* folder);
