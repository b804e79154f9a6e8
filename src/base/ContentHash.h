#pragma once
// Whether a file is still the one the setup wrote: a 64-bit FNV-1a hash of its bytes, kept in the
// install record as 16 hex digits.
#include <windows.h>

enum { kHashTextCapacity = 17 };  // 16 hex digits and a NUL

typedef unsigned long long ContentHash;
const ContentHash kEmptyContentHash = 14695981039346656037ull;

// Continues the hash over more bytes.
ContentHash HashBytes(ContentHash hash, const void* bytes, size_t size);

// The hash as 16 lower-case hex digits.
void HashText(ContentHash hash, wchar_t* text);

// Hashes the file from its current position to its end. False, with GetLastError, on a read error.
bool HashOpenFile(HANDLE file, ContentHash* hash);
