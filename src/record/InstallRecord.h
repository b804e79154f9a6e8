#pragma once
// The record of everything the installations wrote, kept in the entry of the system's list of
// installed programs: which files (with a hash of what was written), which registry values, and
// which folders. Removal touches nothing else.
#include <windows.h>

#include "payload/WrittenItems.h"

enum { kListCapacity = 32768 };

// A REG_MULTI_SZ list of entries in a fixed buffer. A file's entry is "path|hash|size"; an entry's
// key, which names what it records, is the text before the first '|'.
struct EntryList {
  char text[kListCapacity + 2];
  size_t used;  // bytes of the entries, their NULs included
};

void LoadList(HKEY key, const char* name, EntryList* list);
bool StoreList(HKEY key, const char* name, const EntryList& list);
// Appends the entry, replacing one with the same key. False when the list has no room.
bool PutEntry(EntryList* list, const char* entry);
// Whether a file is still the one the setup wrote: a hash of its bytes, 16 hex digits.
bool HashFile(const char* path, char* hash);

// Adds what the last run wrote to the entry, keeping what earlier runs recorded (other folders
// included), and keeps a copy of this program to uninstall with. False, with GetLastError, when the
// entry or the copy could not be written.
bool RecordInstallation(const char* folder);
