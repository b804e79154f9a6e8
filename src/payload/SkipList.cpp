#include "payload/SkipList.h"

#include <string.h>

SkipKeyword SkipList[kSkipRows];

void AddSkipKeyword(const char* keyword) {
  size_t length = strnlen(keyword, kSkipKeywordCapacity);
  if (length >= kSkipKeywordCapacity) return;
  for (SkipKeyword& row : SkipList) {
    if (!row.text[0]) {
      memcpy(row.text, keyword, length + 1);
      return;
    }
  }
}

void ClearSkipList() {
  for (SkipKeyword& row : SkipList) row = SkipKeyword();
}

bool IsSkipped(const char* installName) {
  for (const SkipKeyword& row : SkipList) {
    if (!row.text[0]) break;
    if (strstr(installName, row.text)) return true;
  }
  return false;
}
