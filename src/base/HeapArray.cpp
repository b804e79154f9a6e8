#include "base/HeapArray.h"

#include <windows.h>

bool MakeRoom(void** block, int count, int* capacity, size_t size, int limit) {
  if (count < *capacity) return true;
  int grown = *capacity ? *capacity * 2 : 16;
  if (grown > limit) return false;
  void* moved = *block ? HeapReAlloc(GetProcessHeap(), 0, *block, grown * size) : HeapAlloc(GetProcessHeap(), 0, grown * size);
  if (!moved) return false;
  *block = moved;
  *capacity = grown;
  return true;
}

void FreeBlock(void* block) {
  if (block) HeapFree(GetProcessHeap(), 0, block);
}
