#include "payload/WrittenItems.h"

#include <string.h>

namespace {
WrittenItem* items;
int itemCount, itemCapacity;
bool complete = true;
TextList movedAside;

bool MakeRoom() {
  if (itemCount < itemCapacity) return true;
  int capacity = itemCapacity ? itemCapacity * 2 : 64;
  if (capacity > 0x100000) return false;  // a million items: no setup writes that many
  void* block = items ? HeapReAlloc(GetProcessHeap(), 0, items, capacity * sizeof *items)
                      : HeapAlloc(GetProcessHeap(), 0, capacity * sizeof *items);
  if (!block) return false;
  items = static_cast<WrittenItem*>(block);
  itemCapacity = capacity;
  return true;
}
}  // namespace

void RecordWritten(bool isValue, const char* subject, DWORD size, ContentHash hash) {
  size_t length = strnlen(subject, kWrittenSubjectCapacity);
  if (length >= kWrittenSubjectCapacity || !MakeRoom()) {
    complete = false;
    return;
  }
  WrittenItem& item = items[itemCount++];
  item.isValue = isValue;
  item.size = size;
  item.hash = hash;
  memcpy(item.subject, subject, length + 1);
}

int WrittenCount() { return itemCount; }

const WrittenItem* GetWritten(int index) { return index >= 0 && index < itemCount ? &items[index] : nullptr; }

bool WrittenComplete() { return complete; }

void ClearWritten() {
  itemCount = 0;
  complete = true;
  ClearTexts(&movedAside);
}

void RecordMovedAside(const char* path) {
  if (!AddText(&movedAside, path)) complete = false;
}

const TextList& MovedAside() { return movedAside; }
