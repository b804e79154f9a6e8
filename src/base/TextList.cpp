#include "base/TextList.h"

#include <windows.h>

bool ReserveText(TextList* list, size_t bytes) {
  size_t needed = list->used + bytes + 1;  // the block's closing NUL
  if (needed < list->used) return false;
  if (needed <= list->capacity) return true;
  size_t capacity = list->capacity ? list->capacity : 4096;
  while (capacity < needed) {
    if (capacity > static_cast<size_t>(-1) / 2) return false;
    capacity *= 2;
  }
  void* block = list->text ? HeapReAlloc(GetProcessHeap(), 0, list->text, capacity)
                           : HeapAlloc(GetProcessHeap(), 0, capacity);
  if (!block) return false;
  list->text = static_cast<char*>(block);
  list->capacity = capacity;
  return true;
}

bool AddText(TextList* list, const char* text, size_t length) {
  if (length + 1 < length || !ReserveText(list, length + 1)) return false;
  memcpy(list->text + list->used, text, length);
  list->used += length;
  list->text[list->used++] = '\0';
  list->text[list->used] = '\0';
  return true;
}

void RemoveText(TextList* list, size_t offset) {
  size_t next = NextText(*list, offset);
  memmove(list->text + offset, list->text + next, list->used - next + 1);
  list->used -= next - offset;
}

void ClearTexts(TextList* list) {
  list->used = 0;
  if (list->text) list->text[0] = '\0';
}

void FreeTexts(TextList* list) {
  if (list->text) HeapFree(GetProcessHeap(), 0, list->text);
  *list = TextList();
}
