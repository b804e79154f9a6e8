#pragma once
// Payload items are stored under upper-case names that give back the installed file name
// (src/format/InstallNameRule.h).

// Transforms the stored name into the installed name, in place (it never grows).
wchar_t* MakeInstallName(wchar_t* name);
