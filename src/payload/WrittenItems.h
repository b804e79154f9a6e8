#pragma once
// What a run wrote: the files, with their sizes, and the registry values. The log lists them, and
// the uninstall record keeps them so that removal touches nothing else.
#include <windows.h>

enum {
  kWrittenItems = 64,             // files and preset values of one run; past them the record is marked full
  kWrittenSubjectCapacity = 500,  // a full file name, or a value's key path and name
};

struct WrittenItem {
  bool isValue;  // a registry value under HKEY_LOCAL_MACHINE, "key path\value name"; else a file
  DWORD size;
  char subject[kWrittenSubjectCapacity];
};

// A subject that does not fit is not kept: cut, it would name something else.
void RecordWritten(bool isValue, const char* subject, DWORD size);
int WrittenCount();                       // kept ones
const WrittenItem* GetWritten(int index);  // null past the kept ones
bool WrittenOverflowed();                  // more were written than kept
void ClearWritten();
