#pragma once
// Resource names are stored upper-case; they encode the installed file name:
// "__" joins two capitalised words, "_" is a blank, ":" is dropped.

// Transforms the stored name into the installed name, in place (it never grows).
wchar_t* MakeInstallName(wchar_t* name);
