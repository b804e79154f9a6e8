#pragma once
// The maker's values, which the packer writes into every setup: the maker's and the product's
// names, the words discovery looks for, the addresses and the version. Read once as the program
// starts, read-only afterwards, as the texts are.
#include <windows.h>

#include "format/MakerValue.h"

// Reads the module's maker values. False when it carries none or they are damaged: every value is
// then empty.
bool LoadMakerValues(HMODULE module);

const wchar_t* Maker(MakerValue value);

// Made from them: the maker's key below HKEY_LOCAL_MACHINE ("Software\<maker>"), the key of the
// entry in the list of installed programs, the suffix of a plug-in set aside (".<scan word>-old"),
// the site's host as the dialog's link shows it.
const wchar_t* MakerKey();
const wchar_t* EntryName();  // "HKEY_LOCAL_MACHINE\\" and the entry's key, as the log and messages name it
const wchar_t* EntryKey();
const wchar_t* AsideSuffix();
const wchar_t* WebsiteHost();
