#include "payload/SkipList.h"

#include <string.h>

FolderEntry SkipList[kSkipRows];

void AddSkipNeedle(const char* needle) {
  size_t length = strnlen(needle, kPathCapacity);
  if (length >= kPathCapacity) return;
  for (FolderEntry& row : SkipList) {
    if (!row.path[0]) {
      memcpy(row.path, needle, length + 1);
      return;
    }
  }
}

void ClearSkipList() {
  for (FolderEntry& row : SkipList) row = FolderEntry();
}

bool IsSkipped(const char* installName) {
  for (const FolderEntry& row : SkipList) {
    if (!row.path[0]) break;
    if (strstr(installName, row.path)) return true;
  }
  return false;
}
