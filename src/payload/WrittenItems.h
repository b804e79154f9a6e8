#pragma once
// What a run wrote: the files, with their sizes and hashes, and the registry values. The log lists
// them, and the install record keeps them so that removal touches nothing else. As many as a run
// writes: the list grows with them.
#include <windows.h>

#include "base/ContentHash.h"
#include "base/GrowableArray.h"

enum { kWrittenSubjectCapacity = 500 };  // a full file name, or a value's key path, name and view

struct WrittenItem {
  bool isValue;  // a registry value, "HKEY_LOCAL_MACHINE\key path\value name[ (64-bit view)]"
  DWORD size;
  ContentHash hash;  // of a file's bytes
  wchar_t subject[kWrittenSubjectCapacity];
};

class WrittenItems {
 public:
  // Keeps the item. A subject that does not fit is not kept, nor an item when memory runs out: the
  // run's record is then incomplete, which complete() tells.
  void Record(bool isValue, const wchar_t* subject, DWORD size, ContentHash hash = 0);
  int count() const { return items_.count(); }
  const WrittenItem* Get(int index) const { return index >= 0 && index < count() ? &items_[index] : nullptr; }
  bool complete() const { return complete_; }  // every item written since the last clear was kept
  void Clear() {
    items_.Clear();
    complete_ = true;
  }

 private:
  GrowableArray<WrittenItem, 0x100000> items_;  // a million items: no setup writes that many
  bool complete_ = true;
};
