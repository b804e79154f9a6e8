#pragma once
// Registry reads for discovery. Each opens its key by full path from a root and closes it again
// before returning: no handle is held between reads. The registry fills at most 256 characters of
// a text, which is always terminated, and empty on failure.
#include <windows.h>

#include "base/BoundedText.h"
#include "base/RegistryView.h"
#include "base/SystemError.h"

enum { kRegistryTextLimit = 256 };  // characters

// Position of the next value EnumNextValue reads; back to 0 whenever a read fails.
extern DWORD valueCursor;

// The value's REG_SZ data (empty for any other type). Non-zero status when the key or value is
// missing or the data exceed 256 characters.
// view: 0 for the program's own, or KEY_WOW64_64KEY.
SystemError QueryStringValue(HKEY root, const wchar_t* keyPath, const wchar_t* valueName, FolderPath* data,
                             REGSAM view = 0);

// Reads the value at valueCursor and advances it. Any non-zero status ends the key's values: the
// normal end, and also a name over 255 characters or data over 256 characters.
SystemError EnumNextValue(HKEY root, const wchar_t* keyPath, KeyPath* valueName, FolderPath* data, REGSAM view = 0);

// The name of the key's subkey at the index.
SystemError EnumSubkey(HKEY root, const wchar_t* keyPath, KeyPath* subkeyName, DWORD index, REGSAM view = 0);
