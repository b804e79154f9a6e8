#pragma once
// What a run wrote: the files, with their sizes and hashes, and the registry values. The log lists
// them, and the install record keeps them so that removal touches nothing else. As many as a run
// writes: the list grows with them.
#include <windows.h>

#include "base/ContentHash.h"
#include "base/TextList.h"

enum { kWrittenSubjectCapacity = 500 };  // a full file name, or a value's key path, name and view

struct WrittenItem {
  bool isValue;  // a registry value, "HKEY_LOCAL_MACHINE\key path\value name[ (64-bit view)]"
  DWORD size;
  ContentHash hash;  // of a file's bytes
  char subject[kWrittenSubjectCapacity];
};

// Keeps the item. A subject that does not fit is not kept, nor an item when memory runs out: the
// run's record is then incomplete, which RecordWritten's callers learn from WrittenComplete().
void RecordWritten(bool isValue, const char* subject, DWORD size, ContentHash hash = 0);
int WrittenCount();
const WrittenItem* GetWritten(int index);  // null past the last
bool WrittenComplete();                    // every item written since the last clear was kept
void ClearWritten();

// Old files moved aside because a program held them, to go at the next start.
void RecordMovedAside(const char* path);
const TextList& MovedAside();
