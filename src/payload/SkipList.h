#pragma once
// Keywords of the components the user left out; an installed name that holds one is not installed.
#include <wchar.h>

#include "base/BoundedText.h"

enum {
  kSkipRows = 20,
  kSkipKeywordCapacity = 40,  // a component's keyword: the build allows 39 characters
};

using SkipKeyword = BoundedText<kSkipKeywordCapacity>;  // empty marks a free row

struct SkipList {
  SkipKeyword rows[kSkipRows];

  // Keeps the keyword in the first free row; ignored when all rows are taken or it would not fit.
  void Add(const wchar_t* keyword);
  // Empties the list before a run fills it again.
  void Clear();
  // True when the name holds any keyword of the list, letter case aside (as the build compares
  // them, so that what the build accepts is what a cleared toggle leaves out).
  bool Skips(const wchar_t* installName) const;
};
