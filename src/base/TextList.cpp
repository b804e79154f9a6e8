#include "base/TextList.h"

#include <windows.h>

bool ReserveText(TextList* list, size_t count) {
  size_t needed = list->used + count + 1;  // the block's closing NUL
  if (needed < list->used) return false;
  if (needed <= list->capacity) return true;
  size_t capacity = list->capacity ? list->capacity : 4096;
  while (capacity < needed) {
    if (capacity > static_cast<size_t>(-1) / 8) return false;
    capacity *= 2;
  }
  size_t bytes = capacity * sizeof(wchar_t);
  void* block = list->text ? HeapReAlloc(GetProcessHeap(), 0, list->text, bytes) : HeapAlloc(GetProcessHeap(), 0, bytes);
  if (!block) return false;
  list->text = static_cast<wchar_t*>(block);
  list->capacity = capacity;
  return true;
}

bool AddText(TextList* list, const wchar_t* text, size_t length) {
  if (length + 1 < length || !ReserveText(list, length + 1)) return false;
  wmemcpy(list->text + list->used, text, length);
  list->used += length;
  list->text[list->used++] = '\0';
  list->text[list->used] = '\0';
  return true;
}

void RemoveText(TextList* list, size_t offset) {
  size_t next = NextText(*list, offset);
  wmemmove(list->text + offset, list->text + next, list->used - next + 1);
  list->used -= next - offset;
}

bool CopyTexts(TextList* to, const TextList& from) {
  ClearTexts(to);
  if (!from.used) return true;
  if (!ReserveText(to, from.used)) return false;
  wmemcpy(to->text, from.text, from.used + 1);
  to->used = from.used;
  return true;
}

void ClearTexts(TextList* list) {
  list->used = 0;
  if (list->text) list->text[0] = '\0';
}

TextList::~TextList() {
  if (text) HeapFree(GetProcessHeap(), 0, text);
}

TextList::TextList(TextList&& other) noexcept : text(other.text), used(other.used), capacity(other.capacity) {
  other.text = nullptr;
  other.used = other.capacity = 0;
}

TextList& TextList::operator=(TextList&& other) noexcept {
  if (this != &other) {
    if (text) HeapFree(GetProcessHeap(), 0, text);
    text = other.text;
    used = other.used;
    capacity = other.capacity;
    other.text = nullptr;
    other.used = other.capacity = 0;
  }
  return *this;
}
