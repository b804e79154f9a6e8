#include "payload/WrittenItems.h"

#include <string.h>

namespace {
WrittenItem items[kWrittenItems];
int itemCount;
bool overflowed;
}  // namespace

void RecordWritten(bool isValue, const char* subject, DWORD size) {
  size_t length = strnlen(subject, kWrittenSubjectCapacity);
  if (itemCount >= kWrittenItems || length >= kWrittenSubjectCapacity) {
    overflowed = true;
    return;
  }
  WrittenItem& item = items[itemCount++];
  item.isValue = isValue;
  item.size = size;
  memcpy(item.subject, subject, length + 1);
}

int WrittenCount() { return itemCount; }

const WrittenItem* GetWritten(int index) { return index >= 0 && index < itemCount ? &items[index] : nullptr; }

bool WrittenOverflowed() { return overflowed; }

void ClearWritten() {
  itemCount = 0;
  overflowed = false;
}
