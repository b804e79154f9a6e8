#pragma once
// Keywords of the components the user left out; an installed name containing one is not installed.
#include "discovery/FolderTable.h"

enum { kSkipRows = 20 };

extern FolderEntry SkipList[kSkipRows];  // only path is used: it holds the keyword

// Keeps the needle in the first free row; ignored when all rows are taken or it would not fit.
void AddSkipNeedle(const char* needle);

// Empties the list before a run fills it again.
void ClearSkipList();

// True when the name contains any keyword of the list.
bool IsSkipped(const char* installName);
