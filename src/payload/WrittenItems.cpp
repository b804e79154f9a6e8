#include "payload/WrittenItems.h"

#include <wchar.h>

WrittenItems::~WrittenItems() {
  if (items_) HeapFree(GetProcessHeap(), 0, items_);
}

void WrittenItems::Record(bool isValue, const wchar_t* subject, DWORD size, ContentHash hash) {
  size_t length = wcsnlen(subject, kWrittenSubjectCapacity);
  if (length >= kWrittenSubjectCapacity) {
    complete_ = false;
    return;
  }
  if (count_ == capacity_) {
    int capacity = capacity_ ? capacity_ * 2 : 64;
    void* block = capacity > 0x100000 ? nullptr  // a million items: no setup writes that many
                  : items_ ? HeapReAlloc(GetProcessHeap(), 0, items_, capacity * sizeof *items_)
                           : HeapAlloc(GetProcessHeap(), 0, capacity * sizeof *items_);
    if (!block) {
      complete_ = false;
      return;
    }
    items_ = static_cast<WrittenItem*>(block);
    capacity_ = capacity;
  }
  WrittenItem& item = items_[count_++];
  item.isValue = isValue;
  item.size = size;
  item.hash = hash;
  wmemcpy(item.subject, subject, length + 1);
}
