#include "payload/WrittenItems.h"

#include <wchar.h>

#include "base/HeapArray.h"

WrittenItems::~WrittenItems() { FreeBlock(items_); }

void WrittenItems::Record(bool isValue, const wchar_t* subject, DWORD size, ContentHash hash) {
  size_t length = wcsnlen(subject, kWrittenSubjectCapacity);
  // A million items: no setup writes that many.
  if (length >= kWrittenSubjectCapacity ||
      !MakeRoom(reinterpret_cast<void**>(&items_), count_, &capacity_, sizeof *items_, 0x100000)) {
    complete_ = false;
    return;
  }
  WrittenItem& item = items_[count_++];
  item.isValue = isValue;
  item.size = size;
  item.hash = hash;
  wmemcpy(item.subject, subject, length + 1);
}
