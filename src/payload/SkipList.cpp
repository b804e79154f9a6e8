#include "payload/SkipList.h"

#include "base/PathText.h"

void SkipList::Add(const wchar_t* keyword) {
  size_t length = BoundedLength(keyword, kSkipKeywordCapacity);
  if (length >= kSkipKeywordCapacity || length == 0) return;
  for (SkipKeyword& row : rows) {
    if (!row.text[0]) {
      wmemcpy(row.text, keyword, length + 1);
      return;
    }
  }
}

void SkipList::Clear() {
  for (SkipKeyword& row : rows) row = SkipKeyword();
}

bool SkipList::Skips(const wchar_t* installName) const {
  for (const SkipKeyword& row : rows) {
    if (!row.text[0]) break;
    if (ContainsIgnoringCase(installName, row.text)) return true;
  }
  return false;
}
