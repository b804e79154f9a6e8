#pragma once
// A 32-bit program on 64-bit Windows sees HKEY_LOCAL_MACHINE\Software (and parts of
// HKEY_CLASSES_ROOT) through its own 32-bit view; 64-bit programs read and record theirs in the
// other one.
#include <windows.h>

// The views to use, the program's own first (0): one, or under WOW64 also the 64-bit one
// (KEY_WOW64_64KEY). Returns the count.
int RegistryViews(REGSAM views[2]);

// How a registry value's name says which view it lives in: appended to the 64-bit view's names
// under WOW64, nothing for the program's own view.
#define OTHER_VIEW_SUFFIX L" (64-bit view)"
