#pragma once
// The content hash (src/format/ContentHash.h) as the setup keeps it: in the install record as 16 hex
// digits, and over files it opened.
#include <windows.h>

#include "format/ContentHash.h"

enum { kHashTextCapacity = 17 };  // 16 hex digits and a NUL

using setup_format::ContentHash;
using setup_format::ContentHasher;
using setup_format::EarlierHashOf;
using setup_format::HashOf;
using setup_format::kEarlierEmptyHash;

// The hash as 16 lower-case hex digits.
void HashText(ContentHash hash, wchar_t* text);

// Hashes the file from its start to its end; earlier: with the hash of earlier versions. False, with
// GetLastError, on a read error.
bool HashOpenFile(HANDLE file, ContentHash* hash, bool earlier = false);
