#include "payload/SkipList.h"

#include "base/PathText.h"

void SkipList::Add(const wchar_t* keyword) {
  if (!keyword[0]) return;
  for (SkipKeyword& row : rows) {
    if (row.empty()) {
      row.Assign(keyword);  // one that does not fit leaves the row free
      return;
    }
  }
}

void SkipList::Clear() {
  for (SkipKeyword& row : rows) row.Clear();
}

bool SkipList::Skips(const wchar_t* installName) const {
  for (const SkipKeyword& row : rows) {
    if (row.empty()) break;
    if (ContainsIgnoringCase(installName, row)) return true;
  }
  return false;
}
