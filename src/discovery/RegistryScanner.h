#pragma once
// Depth-first search below one vendor key, under HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE and
// HKEY_USERS\.default, and under WOW64 also in the 64-bit view of HKEY_LOCAL_MACHINE, for string
// values that name a plug-in folder.
#include <windows.h>

#include "base/BoundedText.h"

enum { kStackDepth = 19 };  // levels entered below the start key

// The walk's only state besides one key-path text: where to go on in each parent.
struct KeyPathStack {
  int top = -1;
  int savedIndex[kStackDepth + 1] = {};
  int savedLength[kStackDepth + 1] = {};

  // Enters the subkey: appends "\name" to the path and resets the caller's index to 0. False,
  // with nothing changed, when the stack is full or the path would not fit its 400 characters:
  // the caller then skips that subtree.
  bool Push(KeyPath* keyPath, const wchar_t* subkeyName, DWORD* index);
  // Cuts the path back to the parent's; the index the parent had reached, or -1 when empty.
  int Pop(KeyPath* keyPath);
};

// Every value whose data name an absolute folder ("X:\...") and whose key path or name speaks of plug-ins
// goes to AddFolderCandidate. The needle (lower case) must occur in the key path.
void ScanRegistryTree(const wchar_t* softwareWord, const wchar_t* vendorWord, const wchar_t* keyPathNeedle);
