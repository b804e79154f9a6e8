#include "payload/WrittenItems.h"

#include <wchar.h>

#include "base/PathText.h"

void WrittenItems::Record(bool isValue, const wchar_t* subject, DWORD size, ContentHash hash) {
  size_t length = BoundedLength(subject, kWrittenSubjectCapacity);
  WrittenItem* item = length < kWrittenSubjectCapacity ? items_.Append() : nullptr;
  if (!item) {
    complete_ = false;
    return;
  }
  item->isValue = isValue;
  item->size = size;
  item->hash = hash;
  wmemcpy(item->subject, subject, length + 1);
}
