#pragma once
// Keywords of the components the user left out; an installed name containing one is not installed.

enum {
  kSkipRows = 20,
  kSkipKeywordCapacity = 40,  // a component's keyword: the build allows 39 characters
};

struct SkipKeyword {
  char text[kSkipKeywordCapacity];  // empty marks a free row
};

extern SkipKeyword SkipList[kSkipRows];

// Keeps the keyword in the first free row; ignored when all rows are taken or it would not fit.
void AddSkipKeyword(const char* keyword);

// Empties the list before a run fills it again.
void ClearSkipList();

// True when the name contains any keyword of the list.
bool IsSkipped(const char* installName);
